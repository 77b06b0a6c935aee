#include "TaskFormsTestUtil.h"
#include "base/UCommandLine.h"
#include "db/UMysqlDBLogonOption.h"
#include "platform/ini/UIniFile.h"
#include "program/CmdLineTestRun.h"
#include "transfer/SampleLogonProfile.h"
#include "transfer/ULobImportSession.h"
#include "transfer/ULogonBatchFileCreator.h"
#include "transfer/USessionManager.h"
#include "transfer/forms/ULogonBatchFileCreateDlg.h"
#include "transfer/forms/USessionSaveForm.h"

#include <QDir>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace taskforms;

namespace {

// Every text the dialog shows: labels, edits and buttons.
QStringList ShownTexts(QWidget* dialog)
{
    QStringList texts{dialog->windowTitle()};
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        texts << label->text();
    for (const QLineEdit* edit : dialog->findChildren<QLineEdit*>())
        texts << edit->text();
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        texts << button->text();
    return texts;
}

class BatchFileDialog : public TaskFormsTest {
protected:
    void SetUp() override
    {
        TaskFormsTest::SetUp();
        SetProgramArguments(S("/opt/vq/bin/Vantorquill"), {});
        // A double quote inside the password must not end the mask early.
        transfertest::FillSampleProfile(Profile, S("s3cr\"et"));
    }
    void TearDown() override
    {
        SetProgramArguments(QString(), {});
        TaskFormsTest::TearDown();
    }

    // A saved import task in the test folder.
    QString SaveTask(const QString& name)
    {
        TLobImportSession task;
        task.Schema = S("shop");
        task.LoadFolder = Path(S("in"));
        task.SaveToFile(Path(name));
        return Path(name);
    }

    TMysqlDBLogonOption Profile;
    TLogonBatchFileCreator Creator {S("task"), &Profile, &Profile};
};

}  // namespace

TEST_F(BatchFileDialog, OpenedEmptyChecksTheProfileFirst)
{
    TMysqlDBLogonOption empty;
    const struct Case {
        const char* what;
        TMysqlDBLogonOption* profile;
        QString message;
    } cases[] = {
        {"profile without user", &empty, S("Please enter Username.")},
        {"valid profile", &Profile, S("Please enter sessoin file name.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Prompter.Prompts.clear();
        TLogonBatchFileCreator creator(S("task"), c.profile, c.profile);
        bool stayedOpen = false;
        WhenModal<TLogonBatchFileCreateDlg>([&stayedOpen](TLogonBatchFileCreateDlg* dialog) {
            EXPECT_EQ(dialog->windowTitle(), S("Create Batch File"));
            EXPECT_EQ(LabelText(dialog, "lblSessionFile"), S("Task File"));
            EXPECT_EQ(LabelText(dialog, "lblLogFile"), S("Log File"));
            EXPECT_EQ(LabelText(dialog, "lblBatchFile"), S("Batch File"));
            for (const char* edit : {"edtSessionFile", "edtLogFile", "edtBatchFile"})
                EXPECT_EQ(FileText(dialog, edit), QString()) << edit;
            auto* schedule = Child<QAbstractButton>(dialog, "btnScheduleTask");
            EXPECT_EQ(schedule->text(), S("Create && Schedule Task"));
            EXPECT_TRUE(schedule->isVisible());
            EXPECT_TRUE(schedule->isEnabled());
            Click(dialog, "btnOK");
            stayedOpen = dialog->isVisible();
            Click(dialog, "btnCancel");
        });
        creator.ShowBatchDialog();
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(Prompter.Messages(), QStringList{c.message});
        EXPECT_TRUE(Opener.Documents.isEmpty());
    }
}

TEST_F(BatchFileDialog, SavingWithMakeBatchFileShowsTheDerivedNames)
{
    QDir().mkpath(Path(S("tasks.ilt.d")));
    TSessionManager manager(&Creator);
    TLobImportSession task;
    task.LoadFolder = Path(S("in"));
    WhenModal<TSessionSaveForm>([this](TSessionSaveForm* dialog) {
        Type(dialog, "edtSessionFile", Path(S("tasks.ilt.d/daily.ilt")));
        Click(dialog, "btnBatch");
        WhenModal<TLogonBatchFileCreateDlg>([this](TLogonBatchFileCreateDlg* dialog) {
            EXPECT_EQ(FileText(dialog, "edtSessionFile"), Path(S("tasks.ilt.d/daily.ilt")));
            EXPECT_EQ(FileText(dialog, "edtLogFile"), Path(S("tasks.ilt.d/daily.log")));
            EXPECT_EQ(FileText(dialog, "edtBatchFile"), Path(S("tasks.ilt.d/daily.sh")));
            // A typed name derives nothing.
            Type(dialog, "edtSessionFile", Path(S("other.elt")));
            EXPECT_EQ(FileText(dialog, "edtLogFile"), Path(S("tasks.ilt.d/daily.log")));
            Click(dialog, "btnCancel");
        });
    });
    EXPECT_TRUE(manager.SaveSession(task));
    EXPECT_EQ(task.FileName(), Path(S("tasks.ilt.d/daily.ilt")));
    EXPECT_FALSE(QFileInfo::exists(Path(S("tasks.ilt.d/daily.sh"))));
    EXPECT_FALSE(TIniFile(task.FileName()).SectionExists(S("SourceDB"))) << "Cancel writes nothing";
}

TEST_F(BatchFileDialog, PanelsShowTheMaskedProfilesNeverThePassword)
{
    TLogonBatchFileCreator sourceOnly(S("task"), &Profile, nullptr);
    WhenModal<TLogonBatchFileCreateDlg>([this](TLogonBatchFileCreateDlg* dialog) {
        EXPECT_EQ(LabelText(dialog, "lblSourceDBType"), S("Mysql (Source DB)"));
        EXPECT_EQ(LabelText(dialog, "lblDestDBType"), QString());
        const QString shown = LabelText(dialog, "lblSourceDBOptionString");
        EXPECT_TRUE(shown.contains(S("password=\"******\""))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(S("db.example.org")));
        EXPECT_EQ(LabelText(dialog, "lblDestDBOptionString"), QString());
        for (const QString& text : ShownTexts(dialog)) {
            EXPECT_FALSE(text.contains(S("s3cr"))) << text.toStdString();
            EXPECT_FALSE(text.contains(S("et\""))) << text.toStdString();
        }
        Click(dialog, "btnCancel");
    });
    sourceOnly.ShowBatchDialog();
    WhenModal<TLogonBatchFileCreateDlg>([](TLogonBatchFileCreateDlg* dialog) {
        EXPECT_EQ(LabelText(dialog, "lblDestDBType"), S("Mysql (Target DB)"));
        EXPECT_EQ(LabelText(dialog, "lblDestDBOptionString"), LabelText(dialog, "lblSourceDBOptionString"));
        Click(dialog, "btnCancel");
    });
    Creator.ShowBatchDialog();
}

TEST_F(BatchFileDialog, OkWritesSectionsAndScriptAndOpensIt)
{
    const QString task = SaveTask(S("daily.ilt"));
    const QByteArray before = ReadBytes(task);

    // Cancel writes nothing.
    WhenModal<TLogonBatchFileCreateDlg>([](TLogonBatchFileCreateDlg* dialog) { Click(dialog, "btnCancel"); });
    Creator.ExecuteFor(task);
    EXPECT_EQ(ReadBytes(task), before);
    EXPECT_FALSE(QFileInfo::exists(Path(S("daily.sh"))));
    EXPECT_TRUE(Prompter.Prompts.isEmpty());

    bool closed = false;
    WhenModal<TLogonBatchFileCreateDlg>([&closed](TLogonBatchFileCreateDlg* dialog) {
        Click(dialog, "btnOK");
        closed = !dialog->isVisible();
        EXPECT_TRUE(dialog->Result());
    });
    Creator.ExecuteFor(task);
    EXPECT_TRUE(closed);
    EXPECT_EQ(Prompter.Messages(), QStringList{S("File ") + Path(S("daily.sh")) + S(" Created.")});
    EXPECT_EQ(Opener.Documents, QStringList{Path(S("daily.sh"))});
    EXPECT_TRUE(Opener.Programs.isEmpty()) << "the script is never started from here";

    const QByteArray script = ReadBytes(Path(S("daily.sh")));
    EXPECT_EQ(script, "#!/bin/sh\n\"/opt/vq/bin/Vantorquill\"  task=\"" + Path(S("daily.ilt")).toUtf8()
                          + "\" logfile=\"" + Path(S("daily.log")).toUtf8() + "\"\n");
    TIniFile ini(task);
    for (const QString& section : {S("SourceDB"), S("TargetDB")}) {
        EXPECT_EQ(ini.ReadString(section, S("Server"), QString()), S("db.example.org")) << section.toStdString();
        EXPECT_EQ(ini.ReadString(section, S("PasswordEncrypted"), QString()), S("1"));
    }
    EXPECT_FALSE(ReadBytes(task).contains("s3cr")) << "the password is stored enciphered";
    EXPECT_EQ(ini.ReadString(S("Import"), S("Schema"), QString()), S("shop")) << "the task's own section stays";
}

namespace {

// On a database of its own on the test MariaDB, with the built program.
class BatchFileDialogRun : public cmdtest::CmdLineTest {
protected:
    void SetUp() override
    {
        vqtest::WidgetApp();
        CmdLineTest::SetUp();
        RegisterTaskSavingForms();
    }
    void TearDown() override
    {
        UnregisterTaskSavingForms();
        SetProgramArguments(QString(), {});
        CmdLineTest::TearDown();
    }

    vqtest::FakePrompter Prompter;
    vqtest::FakeShellOpener Opener;
};

}  // namespace

TEST_F(BatchFileDialogRun, ScriptWrittenAfterSavingRunsTheImport)
{
    Exec(S("CREATE TABLE docs (id INT AUTO_INCREMENT PRIMARY KEY, name VARCHAR(40), body LONGBLOB)"));
    WriteFile(S("in/a.txt"), QByteArray("alpha\r\n"));
    WriteFile(S("in/b.bin"), QByteArray("\x00\xff\x80", 3));

    TMysqlDBLogonOption profile;
    FillTestDbProfile(profile);
    TLogonBatchFileCreator creator(S("task"), &profile, &profile);
    TSessionManager manager(&creator);
    SetProgramArguments(vqtest::ProgramPath(), {});

    TLobImportSession task;
    task.Schema = Database;
    task.Table = S("docs");
    task.LobField = S("body");
    task.LoadFolder = Path(S("in"));
    task.NameField = S("name");
    const QString taskFile = Path(S("my tasks/import.ilt"));
    QDir().mkpath(Path(S("my tasks")));
    WhenModal<TSessionSaveForm>([&taskFile](TSessionSaveForm* dialog) {
        Type(dialog, "edtSessionFile", taskFile);
        Click(dialog, "btnBatch");
        WhenModal<TLogonBatchFileCreateDlg>([](TLogonBatchFileCreateDlg* dialog) { Click(dialog, "btnOK"); });
    });
    ASSERT_TRUE(manager.SaveSession(task));
    const QString script = Path(S("my tasks/import.sh"));
    ASSERT_EQ(Opener.Documents, QStringList{script});

    const vqtest::ProcessResult run = vqtest::RunProcess(script, {}, Env);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Rows(S("SELECT name, HEX(body) FROM docs ORDER BY name")),
              QStringList({S("a|616C7068610D0A"), S("b|00FF80")}));
    EXPECT_TRUE(LogLines(Path(S("my tasks/import.log"))).contains(S("[T] 2 records    Elapsed: T")))
        << LogLines(Path(S("my tasks/import.log"))).join(S("\n")).toStdString();
}
