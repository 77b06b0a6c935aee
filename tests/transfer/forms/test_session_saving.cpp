#include "TaskFormsTestUtil.h"
#include "base/USystemUtil.h"
#include "transfer/UBatchFileCreateDlg.h"
#include "transfer/UBatchFileCreator.h"
#include "transfer/UBatchOptions.h"
#include "transfer/ULobImportSession.h"
#include "transfer/USessionManager.h"
#include "transfer/forms/USessionSaveForm.h"

#include <QDir>
#include <QFileInfo>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>

using namespace taskforms;

namespace {

// A batch-file creator that only counts the dialogs asked of it.
class CountingCreator : public TBatchFileCreator {
public:
    QStringList TaskFiles;

    std::unique_ptr<TBatchFileCreateDlg> CreateDialog() override { return std::make_unique<Dialog>(*this); }

private:
    class Dialog : public TBatchFileCreateDlg {
    public:
        explicit Dialog(CountingCreator& creator)
            : TBatchFileCreateDlg(std::make_unique<TBatchOptions>()), FCreator(creator)
        {
        }
        bool Execute() override
        {
            FCreator.TaskFiles << FSessionFile;
            return false;
        }

    protected:
        QString SessionFileText() const override { return FSessionFile; }
        QString LogFileText() const override { return QString(); }
        QString BatchFileText() const override { return QString(); }
        void SetSessionFileText(const QString& text) override { FSessionFile = text; }
        void SetLogFileText(const QString&) override {}
        void SetBatchFileText(const QString&) override {}
        void SetSessionFileCaption(const QString&) override {}

    private:
        CountingCreator& FCreator;
        QString FSessionFile;
    };
};

// A task that is not blank: a folder is chosen.
void FillTask(TLobImportSession& task)
{
    task.Schema = S("shop");
    task.Table = S("pictures");
    task.LoadFolder = S("/srv/in");
}

class SessionSaving : public TaskFormsTest {
protected:
    QString DefaultFolder() const { return GetDocumentsDir() + S("/Vantorquill"); }

    // Opens the save dialog for task, types name and presses button; a
    // failed check is followed by Cancel.
    bool SaveAs(TLobImportSession& task, const QString& name, const char* button = "btnSave")
    {
        WhenModal<TSessionSaveForm>([this, name, button](TSessionSaveForm* dialog) {
            Type(dialog, "edtSessionFile", name);
            Click(dialog, button);
            if (dialog->isVisible()) {
                // The edit inside the file-name control has the focus.
                QWidget* focused = dialog->focusWidget();
                FocusAfterFailure = focused && focused->parentWidget() ? focused->parentWidget()->objectName() : S("?");
                Click(dialog, "btnCancel");
            }
        });
        return Manager.SaveSession(task);
    }

    CountingCreator Creator;
    TSessionManager Manager {&Creator};
    QString FocusAfterFailure;   // the control that had the focus after a failed check
};

}  // namespace

TEST_F(SessionSaving, DialogShowsTheTaskAndItsFilter)
{
    TLobImportSession task;
    FillTask(task);
    task.SaveToFile(Path(S("old.ilt")));
    WhenModal<TSessionSaveForm>([this](TSessionSaveForm* dialog) {
        EXPECT_EQ(dialog->windowTitle(), S("Save Session"));
        EXPECT_EQ(FileText(dialog, "edtSessionFile"), Path(S("old.ilt")));
        EXPECT_EQ(LabelText(dialog, "lblSessionFile"), S("Session File"));
        EXPECT_EQ(LabelText(dialog, "lblSessionDesc"), S("Save Session (") + Path(S("old.ilt")) + S(")"));
        EXPECT_EQ(Child<QAbstractButton>(dialog, "btnBatch")->text(), S("Save && Make Batch File"));
        QTest::mouseClick(Child<TBrowseFileEdit>(dialog, "edtSessionFile")->BrowseButton(), Qt::LeftButton);
        Click(dialog, "btnCancel");
    });
    EXPECT_TRUE(Manager.SaveSession(task)) << "the file was there before";
    ASSERT_EQ(Prompter.Prompts.size(), 1);
    EXPECT_EQ(Prompter.Prompts[0].type, vqtest::RecordedPrompt::OpenFile);
    EXPECT_EQ(Prompter.Prompts[0].options.Filter, S("Import Lob Task (*.ilt)|*.ilt"));
    EXPECT_EQ(Prompter.Prompts[0].options.DefaultExt, S("ilt"));
    EXPECT_TRUE(Creator.TaskFiles.isEmpty());

    // A task without file: its description, line breaks as two blanks.
    TLobImportSession fresh;
    FillTask(fresh);
    QString description = fresh.GetDescription();
    ASSERT_TRUE(description.contains(S("\r\n")));
    description.replace(S("\r\n"), S("  "));
    WhenModal<TSessionSaveForm>([description](TSessionSaveForm* dialog) {
        EXPECT_EQ(LabelText(dialog, "lblSessionDesc"), S("Save Session (") + description + S(")"));
        Click(dialog, "btnCancel");
    });
    EXPECT_FALSE(Manager.SaveSession(fresh));
    EXPECT_TRUE(fresh.FileName().isEmpty());
}

TEST_F(SessionSaving, NamesAreCompletedCheckedAndSaved)
{
    QDir(DefaultFolder()).removeRecursively();
    QDir().mkpath(Path(S("a folder")));
    QFile old(Path(S("old.ilt")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("[Import]\r\nSchema=old\r\n");
    old.close();

    const struct Case {
        QString typed;
        QString saved;                   // empty: nothing saved
        QByteArray bak;                  // the copy that the save leaves
        QString message;                 // the start of the check's message
    } cases[] = {
        // A new name is test-created, so the save keeps a copy of the test file.
        {S("my task"), DefaultFolder() + S("/my_task.ilt"), "\r\n", {}},
        {Path(S("a folder/my task")), Path(S("a folder/my task.ilt")), "\r\n", {}},
        {Path(S("x.dat")), Path(S("x.dat")), "\r\n", {}},
        {Path(S("old.ilt")), Path(S("old.ilt")), "[Import]\r\nSchema=old\r\n", {}},
        {S("   "), {}, {}, S("Please choose/enter Sessoin file.")},
        {Path(S("missing/x.ilt")), {}, {}, S("Can not create Session file \"") + Path(S("missing/x.ilt")) + S("\": ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Prompter.Prompts.clear();
        FocusAfterFailure.clear();
        TLobImportSession task;
        FillTask(task);
        const bool saved = SaveAs(task, c.typed);
        if (c.saved.isEmpty()) {
            EXPECT_FALSE(saved);
            EXPECT_TRUE(task.FileName().isEmpty());
            ASSERT_EQ(Prompter.Messages().size(), 1);
            EXPECT_TRUE(Prompter.Messages()[0].startsWith(c.message)) << Prompter.Messages()[0].toStdString();
            EXPECT_EQ(FocusAfterFailure, S("edtSessionFile"));
            continue;
        }
        EXPECT_TRUE(saved);
        EXPECT_TRUE(Prompter.Prompts.isEmpty()) << "no question on the way";
        EXPECT_EQ(task.FileName(), c.saved);
        EXPECT_TRUE(ReadBytes(c.saved).contains("Schema=shop"));
        EXPECT_EQ(ReadBytes(c.saved + S(".bak")), c.bak);
    }
    EXPECT_FALSE(QFileInfo::exists(Path(S("missing"))));
}

TEST_F(SessionSaving, CancelAfterAFailedBatchSaveSavesNothing)
{
    // A task saved before: its file exists, so only the flag could open the
    // batch-file dialog.
    TLobImportSession task;
    FillTask(task);
    task.SaveToFile(Path(S("daily.ilt")));
    task.Table = S("changed");
    const QByteArray before = ReadBytes(Path(S("daily.ilt")));
    EXPECT_TRUE(SaveAs(task, Path(S("missing/x.ilt")), "btnBatch")) << "the earlier file still exists";
    EXPECT_EQ(Prompter.Messages().size(), 1);
    EXPECT_EQ(task.FileName(), Path(S("daily.ilt")));
    EXPECT_EQ(ReadBytes(Path(S("daily.ilt"))), before);
    EXPECT_TRUE(Creator.TaskFiles.isEmpty()) << "no batch-file dialog";

    // The same button with a good name goes on to the batch-file dialog.
    EXPECT_TRUE(SaveAs(task, Path(S("next.ilt")), "btnBatch"));
    EXPECT_EQ(Creator.TaskFiles, QStringList{Path(S("next.ilt"))});
}

TEST_F(SessionSaving, AsksOnlyForAChangedTask)
{
    TLobImportSession saved;
    FillTask(saved);
    saved.SaveToFile(Path(S("saved.ilt")));
    TLobImportSession changed;
    FillTask(changed);
    changed.SaveToFile(Path(S("changed.ilt")));
    changed.Table = S("other");

    const struct Case {
        const char* what;
        TLobImportSession* task;
        std::optional<TPromptAnswer> answer;   // none: no question expected
        bool save;
    } cases[] = {
        {"blank", nullptr, std::nullopt, false},
        {"unchanged", &saved, std::nullopt, false},
        {"changed, Yes", &changed, TPromptAnswer::Yes, true},
        {"changed, No", &changed, TPromptAnswer::No, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Prompter.Prompts.clear();
        TLobImportSession blank;
        TLobImportSession& task = c.task ? *c.task : blank;
        if (c.answer)
            Prompter.QueueAnswer(*c.answer);
        EXPECT_EQ(TSessionManager::QuerySaveSession(task), c.save);
        if (!c.answer) {
            EXPECT_TRUE(Prompter.Prompts.isEmpty());
            continue;
        }
        ASSERT_EQ(Prompter.Prompts.size(), 1);
        EXPECT_EQ(Prompter.Prompts[0].text, S("Save changed session now?\n") + Path(S("changed.ilt")));
        EXPECT_EQ(Prompter.Prompts[0].buttons, TPromptButtons(pbYes | pbNo));
    }
}
