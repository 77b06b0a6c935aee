// The script that the batch-file writer makes for a task, run as a scheduler
// would run it: no arguments, no display, another working folder.
#include "CmdLineTestRun.h"
#include "base/UCommandLine.h"
#include "platform/ini/UIniFile.h"

namespace {

using cmdtest::S;

class BatchScript : public cmdtest::CmdLineTest {
protected:
    void TearDown() override
    {
        SetProgramArguments(QString(), {});
        CmdLineTest::TearDown();
    }
};

}  // namespace

TEST_F(BatchScript, WrittenScriptLogsOnByItselfAndRunsTheTask)
{
    Exec(S("CREATE TABLE items (id INT PRIMARY KEY, name VARCHAR(20), ext VARCHAR(10), body LONGBLOB)"));
    Exec(S("INSERT INTO items VALUES (1, 'a', 'bin', X'00FF0D0A80'), (2, 'b', 'txt', X'C3BC')"));
    // A folder name that a shell would expand if the script did not quote it.
    const QString folder = S("tasks $HOME `false`");
    const QString out = Path(S("out"));
    QDir().mkpath(out);
    WriteFile(folder + S("/daily.elt"), IniSection(S("Export"), {{S("FromType"), S("0")},
                                                                 {S("Schema"), Database},
                                                                 {S("Table"), S("items")},
                                                                 {S("LobField"), S("body")},
                                                                 {S("NameType"), S("0")},
                                                                 {S("NameField"), S("name")},
                                                                 {S("ExtType"), S("0")},
                                                                 {S("ExtField"), S("ext")},
                                                                 {S("UnloadFolder"), out}}));
    const QString task = Path(folder + S("/daily.elt"));

    TMysqlDBLogonOption profile;
    FillTestDbProfile(profile);

    SetProgramArguments(vqtest::ProgramPath(), {});
    ASSERT_FALSE(WriteBatchScript(task, profile).isEmpty());
    EXPECT_FALSE(ReadFile(task).contains(profile.Password.toUtf8()));
    EXPECT_EQ(TIniFile(task).ReadString(S("SourceDB"), S("PasswordEncrypted"), QString()), S("1"));

    const vqtest::ProcessResult run = vqtest::RunProcess(Path(folder + S("/daily.sh")), {}, Env);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ReadFile(out + S("/a.bin")), QByteArray("\x00\xff\r\n\x80", 5));
    EXPECT_EQ(ReadFile(out + S("/b.txt")), QByteArray("\xc3\xbc"));
    EXPECT_EQ(LogLines(Path(folder + S("/daily.log"))),
              QStringList({S("[T] [info]\t") + task, S("[T] 2 records    Elapsed: T")}));
}
