// The main window's transfer actions open their dialogs on the logged-on
// connection: preselected from the tree's schema and table, or loaded from a
// task file that the open dialog returns.
#include "app/AppTestUtil.h"
#include "app/UQuenmarel.h"
#include "base/URttiUtil.h"
#include "db/UDBDictionary.h"
#include "db/UDBLogonForm.h"
#include "platform/dac/UUniConnection.h"
#include "support/VqFakePrompter.h"
#include "support/VqTestSupport.h"
#include "support/VqWidgetTestSupport.h"
#include "transfer/ULobExportSession.h"
#include "transfer/ULobImportSession.h"
#include "transfer/ULobObjectFactory.h"
#include "transfer/forms/UBrowseFileEdit.h"
#include "transfer/forms/ULobExportForm.h"
#include "transfer/forms/ULobImportForm.h"
#include "transfer/forms/ULobMergeForm.h"
#include "workspace/UMainForm.h"
#include "workspace/UMainFormActions.h"
#include "workspace/UQuenmarelFormManager.h"

#include <QAction>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

class TOpenersTestApp : public TQuenmarel {
public:
    static TOpenersTestApp* Make()
    {
        std::unique_ptr<TOpenersTestApp> app(new TOpenersTestApp());
        app->Construct();
        return app.release();
    }

protected:
    void CreateLobObjectFactory() override { FLobObjectFactory = std::make_unique<TLobObjectFactory>(); }
};

class TOpenersLogonForm : public TDBLogonForm {
public:
    using TDBLogonForm::TDBLogonForm;

    int ShowModal() override
    {
        apptest::PointAtTestServer(*FConnection);
        FConnection->SetDatabase(S("mysql"));
        FConnection->Connect();
        return 0;
    }

protected:
    void OnConnectionSet() override {}
};

class TransferOpeners : public vqtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        VQ_REQUIRE_TEST_DB();
        units = std::make_unique<apptest::ProgramUnits>();
        TRttiUtil::RegisterComponentClass<TOpenersLogonForm>(S("UMysqlLogonForm.TMysqlLogonForm"));
        app.reset(TOpenersTestApp::Make());
        form = std::make_unique<TMainForm>();
        form->Actions().actLogon->trigger();
        ASSERT_TRUE(form->IsLoggedOn());
    }

    void TearDown() override
    {
        form.reset();
        app.reset();
        units.reset();
    }

    // Triggers action and, once the modal dialog T is up, notes what inspect
    // says of it and closes it.
    template <class T>
    QStringList OpenWith(QAction* action, std::function<QStringList(T&)> inspect)
    {
        QStringList seen;
        auto* timer = new QTimer();
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [&, timer] {
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            seen = inspect(*dialog);
            dialog->close();
        });
        timer->start();
        action->trigger();
        return seen;
    }

    vqtest::RecordedPrompt LastFileDialog() const
    {
        for (auto it = prompter.Prompts.crbegin(); it != prompter.Prompts.crend(); ++it) {
            if (it->type == vqtest::RecordedPrompt::OpenFile)
                return *it;
        }
        return {};
    }

    static QString Current(QWidget& dialog, const char* combo)
    {
        return dialog.findChild<QComboBox*>(S(combo))->currentText();
    }

    vqtest::FakePrompter prompter;
    std::unique_ptr<apptest::ProgramUnits> units;
    std::unique_ptr<TQuenmarel> app;
    std::unique_ptr<TMainForm> form;
};

TEST_F(TransferOpeners, ActionsOpenEachDialogPreselectedOrLoaded)
{
    // The tree's current schema and table.
    form->Dictionary()->SetCurrentSchema(S("mysql"));
    form->Dictionary()->SetCurrentTable(S("help_topic"));
    const TMainFormActions& a = form->Actions();
    const auto tableAndLob = [](QWidget& dialog) {
        return QStringList{dialog.windowTitle(), Current(dialog, "cbbSchema"), Current(dialog, "cbTable"),
                           Current(dialog, "cbLobField")};
    };
    EXPECT_EQ(OpenWith<TLobImportForm>(a.actImportLob, tableAndLob),
              (QStringList{S("Import Lob"), S("mysql"), S("help_topic"), S("description")}));
    EXPECT_EQ(OpenWith<TLobExportForm>(a.actExportLob, tableAndLob),
              (QStringList{S("Export Lob"), S("mysql"), S("help_topic"), S("description")}));
    const QStringList merge = OpenWith<TLobMergeForm>(a.actMergeLOBs, tableAndLob);
    ASSERT_EQ(merge.size(), 4);
    EXPECT_EQ(merge[0], S("Merge LOBs to a file"));
    EXPECT_EQ(merge[1], S("mysql"));

    QTemporaryDir dir;
    TLobImportSession importTask;
    importTask.Schema = S("mysql");
    importTask.Table = S("help_topic");
    importTask.LoadFolder = dir.path();
    importTask.SaveToFile(dir.filePath(S("in.ilt")));
    prompter.QueueText(dir.filePath(S("in.ilt")));
    const auto folderOf = [](const char* edit) {
        return [edit](QWidget& dialog) {
            return QStringList{dialog.windowTitle(), Current(dialog, "cbTable"),
                               dialog.findChild<TBrowseFileEdit*>(S(edit))->FileName()};
        };
    };
    EXPECT_EQ(OpenWith<TLobImportForm>(a.actOpenImportTask, folderOf("edtLoadFolder")),
              (QStringList{S("Import Lob"), S("help_topic"), dir.path()}));
    EXPECT_EQ(LastFileDialog().options.Filter, S("Import Lob Task (*.ilt)|*.ilt"));
    EXPECT_EQ(LastFileDialog().options.DefaultExt, S("ilt"));

    TLobExportSession exportTask;
    exportTask.Schema = S("mysql");
    exportTask.Table = S("help_category");
    exportTask.UnloadFolder = dir.path();
    exportTask.SaveToFile(dir.filePath(S("out.elt")));
    prompter.QueueText(dir.filePath(S("out.elt")));
    EXPECT_EQ(OpenWith<TLobExportForm>(a.actOpenExportTask, folderOf("deSaveTo")),
              (QStringList{S("Export Lob"), S("help_category"), dir.path()}));
    EXPECT_EQ(LastFileDialog().options.Filter, S("Export Lob Task (*.elt)|*.elt"));

    // A cancelled file dialog opens nothing; OpenFile knows only the exact extensions.
    prompter.QueueText(std::nullopt);
    a.actOpenImportTask->trigger();
    QFile::copy(dir.filePath(S("in.ilt")), dir.filePath(S("in.ILT")));
    form->FormManager()->OpenFile(dir.filePath(S("in.ILT")));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
