// The arguments of an unattended run: names in any letter case, the first of
// a name, trimmed values, and which arguments select the logon by parameters.
#include "transfer/ULobCmdLineProcessor.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

class TProbeProcessor : public TLobCmdLineProcessor {
public:
    using TLobCmdLineProcessor::HasLogonParams;
    bool Processed = false;

protected:
    bool Process() override
    {
        Processed = true;
        return true;
    }
};

}  // namespace

TEST(CmdLineProcessor, ArgumentNamesIgnoreCaseAndTheFirstOfANameWins)
{
    QTemporaryDir dir;
    const QString logFile = dir.filePath(S("run.log"));
    TProbeProcessor processor;
    EXPECT_TRUE(processor.Run({S("TASK= \t/t/a.elt \r"), S("task=/t/b.elt"), S("LogFile=") + logFile, S("sql"),
                               S("mysql_password==x= ")}));
    EXPECT_TRUE(processor.Processed);
    EXPECT_EQ(processor.ExitCode(), ecSucceeded);
    EXPECT_EQ(processor.ParamValue(S("task")), S("/t/a.elt"));
    EXPECT_EQ(processor.LogFile(), logFile);
    EXPECT_EQ(processor.ParamValue(S("sql")), QString()) << "an argument without \"=\" has no name";
    EXPECT_EQ(processor.ParamValue(S("mysql_password")), S("=x="));
    EXPECT_EQ(processor.Params().size(), 5);
    EXPECT_FALSE(QFile::exists(logFile)) << "nothing was logged";
}

TEST(CmdLineProcessor, NamesWithServerOrDatabaseSelectTheLogonByParameters)
{
    const struct {
        const char* argument;
        bool logon;
    } cases[] = {
        {"mysql_server=h", true}, {"DataBase=d", true},     {"dbserver=h", true},  {"server", false},
        {"task=server.elt", false}, {"mysql_port=3306", false}, {"=server", false},
    };
    for (const auto& c : cases) {
        TProbeProcessor processor;
        processor.Run({S(c.argument)});
        EXPECT_EQ(processor.HasLogonParams(), c.logon) << c.argument;
    }
}

TEST(CmdLineProcessor, WithoutArgumentsOrADatabaseTheRunFails)
{
    TProbeProcessor idle;
    EXPECT_FALSE(idle.Run(QStringList()));
    EXPECT_FALSE(idle.Processed);
    EXPECT_EQ(idle.ExitCode(), ecFailed);

    QTemporaryDir dir;
    TLobCmdLineProcessor noDatabase;
    EXPECT_FALSE(noDatabase.Run({S("mysql_server=h"), S("logfile=") + dir.filePath(S("run.log"))}));
    EXPECT_EQ(noDatabase.ExitCode(), ecFailed);
}
