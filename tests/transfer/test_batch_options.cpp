#include "base/UCommandLine.h"
#include "base/UException.h"
#include "db/UCryptUtil.h"
#include "db/UMysqlDBLogonOption.h"
#include "platform/ini/UIniFile.h"
#include "SampleLogonProfile.h"
#include "support/VqTestSupport.h"
#include "transfer/ULogonBatchOptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray ReadBytes(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << fileName.toStdString();
    file.write(bytes);
}

int ModeOf(const QString& fileName)
{
    const QFileDevice::Permissions p = QFile::permissions(fileName);
    int mode = 0;
    const std::pair<QFileDevice::Permission, int> bits[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200}, {QFileDevice::ExeOwner, 0100},
        {QFileDevice::ReadGroup, 040},  {QFileDevice::WriteGroup, 020},  {QFileDevice::ExeGroup, 010},
        {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},   {QFileDevice::ExeOther, 01}};
    for (const auto& [flag, bit] : bits)
        if (p.testFlag(flag))
            mode |= bit;
    return mode;
}

class BatchOptions : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        SetProgramArguments(S("/opt/vq/bin/Vantorquill"), {});
    }
    void TearDown() override { SetProgramArguments(QString(), {}); }

    QString Path(const QString& name) const { return Dir.filePath(name); }

    QTemporaryDir Dir;
};

}  // namespace

TEST_F(BatchOptions, LineHasTheFixedShapeAndQuotesWhatTheShellWouldRun)
{
    struct Case {
        QString program, session, log, line;
    } cases[] = {
        {S("/opt/vq/bin/Vantorquill"), S("/home/ann/Tasks/daily.elt"), S("/home/ann/Tasks/daily.log"),
         S("\"/opt/vq/bin/Vantorquill\"  task=\"/home/ann/Tasks/daily.elt\" logfile=\"/home/ann/Tasks/daily.log\"")},
        {S("/opt/v q/Vantorquill"), S("/t/Größe & 'x' (1).elt"), S("/t/a b.log"),
         S("\"/opt/v q/Vantorquill\"  task=\"/t/Größe & 'x' (1).elt\" logfile=\"/t/a b.log\"")},
        {S("/opt/$HOME/`id`"), S("/t/a\"b\\c.elt"), S("/t/$(reboot).log"),
         S("\"/opt/\\$HOME/\\`id\\`\"  task=\"/t/a\\\"b\\\\c.elt\" logfile=\"/t/\\$(reboot).log\"")},
    };
    for (const Case& c : cases) {
        SetProgramArguments(c.program, {});
        TBatchOptions options;
        options.SetOptionName(S("task"));
        options.SessionFile = c.session;
        options.LogFile = c.log;
        EXPECT_EQ(options.GetBatchLine(), c.line);
        EXPECT_EQ(options.GetBatchText(), S("#!/bin/sh\n") + c.line + S("\n"));
    }
}

TEST_F(BatchOptions, ScriptHandsHostilePathsToTheProgramAsTheyAre)
{
    // The "program" prints its arguments one per line; every name is made of
    // what a shell would expand or run.
    const QString folder = Path(S("$(touch pwned) `touch pwned2` \"q\" \\ $HOME"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString program = folder + S("/args $USER");
    WriteBytes(program, "#!/bin/sh\nfor a; do printf '%s\\n' \"$a\"; done\n");
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    SetProgramArguments(program, {});

    TBatchOptions options;
    options.SetOptionName(S("task"));
    options.SetSessionFile(folder + S("/a;b|c $x.elt"));
    WriteBytes(options.SessionFile, "[Export]\n");
    ASSERT_TRUE(options.Validate()) << options.ErrorMessage.toStdString();
    options.WriteBatchFile();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const vqtest::ProcessResult run = vqtest::RunProcess(options.BatchFile, {}, env);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(run.out),
              S("task=") + options.SessionFile + S("\nlogfile=") + folder + S("/a;b|c $x.log\n"));
    EXPECT_FALSE(QFile::exists(S("pwned")) || QFile::exists(S("pwned2")) || QFile::exists(Path(S("pwned"))));
}

TEST_F(BatchOptions, DerivedNamesReplaceTheExtensionAtTheEndOnly)
{
    struct Case {
        QString session, log, batch;
    } cases[] = {
        {S("/t/x.elt"), S("/t/x.log"), S("/t/x.sh")},
        {S("/t/x.elt.d/tasks/x.elt"), S("/t/x.elt.d/tasks/x.log"), S("/t/x.elt.d/tasks/x.sh")},
        {S("/t/daily.tar.ilt"), S("/t/daily.tar.log"), S("/t/daily.tar.sh")},
        {S("/t/x.ELT"), S("/t/x.log"), S("/t/x.sh")},
        {S("/t/v1.2/daily"), S("/t/v1.2/daily.log"), S("/t/v1.2/daily.sh")},
        {S("daily.elt"), S("daily.log"), S("daily.sh")},
    };
    for (const Case& c : cases) {
        TBatchOptions options;
        options.SetSessionFile(c.session);
        EXPECT_EQ(options.SessionFile, c.session);
        EXPECT_EQ(options.LogFile, c.log) << c.session.toStdString();
        EXPECT_EQ(options.BatchFile, c.batch) << c.session.toStdString();
    }
}

TEST_F(BatchOptions, OptionNameAndCaption)
{
    TBatchOptions options;
    EXPECT_EQ(options.OptionName, S("session"));
    EXPECT_EQ(options.SessionFileCaption(), S("Session File"));
    options.SetOptionName(S("job"));
    EXPECT_EQ(options.OptionName, S("session"));
    options.SetOptionName(S("TASK"));
    EXPECT_EQ(options.OptionName, S("task"));
    EXPECT_EQ(options.SessionFileCaption(), S("Task File"));
    EXPECT_EQ(TBatchOptions::BatchFileDefaultExt, S("sh"));
    EXPECT_EQ(TBatchOptions::BatchFileFilter, S("Shell scripts (*.sh)|*.sh"));
}

TEST_F(BatchOptions, ValidationRunsItsChecksInOrder)
{
    TMysqlDBLogonOption source, target;
    TLogonBatchOptions options;
    options.SetOptionName(S("task"));
    options.SourceDBLogonOption = &source;
    options.TargetDBLogonOption = &target;
    const QString task = Path(S("daily.elt"));
    QDir().mkpath(Path(S("real")));
    QFile::link(Dir.path(), Path(S("real/up")));

    // Each step mends the previous failure and meets the next one.
    const std::vector<std::pair<std::function<void()>, QString>> steps = {
        {[] {}, S("Please enter Username.")},
        {[&] { transfertest::FillSampleProfile(source); }, S("Please enter Username.")},   // the target's own message
        {[&] { transfertest::FillSampleProfile(target); }, S("Please enter sessoin file name.")},
        {[&] { options.SessionFile = task; }, S("Please enter log file name.")},
        {[&] { options.LogFile = Path(S("daily.log")); }, S("Please enter batch file name.")},
        {[&] { options.BatchFile = Path(S("real/up/daily.elt")); },
         S("The task file \"") + task + S("\" does not exist.")},
        // Other spellings of one file: through a link, through "..".
        {[&] { WriteBytes(task, "[Export]\n"); }, S("The batch file must not be the task file.")},
        {[&] { options.BatchFile = Path(S("daily.sh")); options.LogFile = Path(S("real/../daily.elt")); },
         S("The log file must not be the task file.")},
        {[&] { options.LogFile = Path(S("real/up/daily.sh")); }, S("The log file must not be the batch file.")},
        {[&] { options.LogFile = Path(S("daily.log")); }, QString()},
    };
    for (const auto& [mend, message] : steps) {
        mend();
        const bool ok = options.Validate();
        EXPECT_EQ(ok, message.isEmpty()) << message.toStdString();
        if (!ok) {
            EXPECT_EQ(options.ErrorMessage, message);
        }
    }
}

TEST_F(BatchOptions, PasswordIsMaskedInThePreview)
{
    struct Case {
        QString text, masked;
    } cases[] = {
        {S(" mysql_username=\"ann\" mysql_password=\"s3cret\" mysql_server=\"h\""),
         S(" mysql_username=\"ann\" mysql_password=\"******\" mysql_server=\"h\"")},
        {S(" mysql_password=\"\" mysql_port=\"1\""), S(" mysql_password=\"******\" mysql_port=\"1\"")},
        {S(" mysql_password=\"open"), S(" mysql_password=\"******\"")},
        {S(" mysql_server=\"h\""), S(" mysql_server=\"h\"")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TLogonBatchOptions::MaskPassword(c.text), c.masked);

    TMysqlDBLogonOption source;
    transfertest::FillSampleProfile(source);
    source.Password = S("pa\"ss\" word");   // quotes would end the plain mask early
    TLogonBatchOptions options;
    EXPECT_EQ(options.SourceTypeCaption(), QString());
    EXPECT_EQ(options.SourceOptionString(), QString());
    options.SourceDBLogonOption = &source;
    options.TargetDBLogonOption = &source;
    EXPECT_EQ(options.SourceTypeCaption(), S("Mysql (Source DB)"));
    EXPECT_EQ(options.TargetTypeCaption(), S("Mysql (Target DB)"));
    const QString expected = S(" mysql_username=\"ann\" mysql_password=\"******\" mysql_server=\"db.example.org\"")
                             + S(" mysql_database=\"shop\" mysql_port=\"3307\" mysql_unicode=\"True\"");
    EXPECT_EQ(options.SourceOptionString(), expected);
    EXPECT_EQ(options.TargetOptionString(), expected);
}

TEST_F(BatchOptions, WritingAddsTheLogonSectionsAndTheScript)
{
    const QString task = Path(S("daily.elt"));
    const QByteArray taskSection = "[Export]\r\nFromType=0\r\nTable=docs\r\nUnloadFolder=/tmp/out\r\n";
    WriteBytes(task, taskSection + "[SourceDB]\r\nServer=old\r\n");
    QFile::setPermissions(task, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                    | QFileDevice::ReadOther);
    WriteBytes(Path(S("daily.sh")), "old script, longer than the new one........................................");

    TMysqlDBLogonOption source;
    transfertest::FillSampleProfile(source);
    TLogonBatchOptions options;
    options.SetOptionName(S("task"));
    options.SourceDBLogonOption = &source;
    options.TargetDBLogonOption = &source;
    options.SetSessionFile(task);
    ASSERT_TRUE(options.Validate()) << options.ErrorMessage.toStdString();
    options.WriteBatchFile();

    // The task keeps its own section byte for byte and becomes owner-only.
    const QByteArray content = ReadBytes(task);
    EXPECT_TRUE(content.startsWith(taskSection)) << content.toStdString();
    EXPECT_FALSE(content.contains("s3cret"));
    EXPECT_EQ(ModeOf(task), 0600);
    const TIniFile ini(task);
    for (const QString& section : {S("SourceDB"), S("TargetDB")}) {
        EXPECT_EQ(ini.ReadString(section, S("Server"), QString()), S("db.example.org"));
        EXPECT_EQ(ini.ReadString(section, S("PasswordEncrypted"), QString()), S("1"));
        EXPECT_EQ(ini.ReadString(section, S("Password"), QString()), EncryptPassword(S("s3cret")));
        TMysqlDBLogonOption back;
        back.LoadFromIni(task, section);
        EXPECT_EQ(back.Password, S("s3cret"));
        EXPECT_EQ(back.Username, S("ann"));
        EXPECT_EQ(back.Port, S("3307"));
    }

    EXPECT_EQ(ReadBytes(Path(S("daily.sh"))),
              QByteArray("#!/bin/sh\n\"/opt/vq/bin/Vantorquill\"  task=\"") + task.toUtf8() + "\" logfile=\""
                  + Path(S("daily.log")).toUtf8() + "\"\n");
    EXPECT_EQ(ModeOf(Path(S("daily.sh"))), 0700);
    EXPECT_FALSE(QFile::exists(Path(S("daily.log"))));
}

TEST_F(BatchOptions, WithoutProfilesOnlyTheScriptIsWrittenAndFailuresRaise)
{
    const QString task = Path(S("daily.ilt"));
    WriteBytes(task, "[Import]\nTable=docs\n");
    TLogonBatchOptions options;
    options.SetSessionFile(task);
    ASSERT_TRUE(options.Validate());
    options.WriteBatchFile();
    EXPECT_EQ(ReadBytes(task), QByteArray("[Import]\nTable=docs\n"));
    EXPECT_TRUE(ReadBytes(Path(S("daily.sh"))).contains("  session=\""));

    options.BatchFile = Path(S("missing/daily.sh"));
    EXPECT_THROW(options.WriteBatchFile(), EInOutError);
}
