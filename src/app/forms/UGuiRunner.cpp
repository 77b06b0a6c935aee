#include "UGuiRunner.h"

#include "UExceptionReportDlg.h"
#include "UNotifyUpdateDlg.h"
#include "UVqApplication.h"
#include "widgets/UAppIcons.h"
#include "widgets/UWidgetPrompter.h"
#include "app/UQuenmarel.h"
#include "app/UWindowModule.h"
#include "base/UCommandLine.h"
#include "base/UException.h"
#include "db/UDBLogon.h"
#include "db/UDBObjectFactory.h"
#include "db/forms/UMysqlLogonFormInit.h"
#include "settings/USettingsStartCheck.h"
#include "transfer/forms/UConverterEventPump.h"
#include "transfer/forms/UTaskSavingForms.h"
#include "workspace/UMainForm.h"

#include <type_traits>

// The window module's entry, which the program resolves by name.
extern "C" Q_DECL_EXPORT void VqRunWindowMode(TQuenmarel& app)
{
    RunWindowMode(app);
}
static_assert(std::is_same_v<decltype(&VqRunWindowMode), TWindowModuleEntry>);

void RunWindowMode(TQuenmarel& app)
{
    static QByteArray program;
    program = ParamStr(0).toLocal8Bit();
    static char* argv[2];
    argv[0] = program.data();
    argv[1] = nullptr;
    static int argc;
    argc = 1;

    TVqApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantorquill"));
    // Every window, the about box and the task dialogs show it.
    QApplication::setWindowIcon(ApplicationIcon());
    // No display name: the platform would append it to every window caption.

    // Reports and update notices are windows from here on.
    InstallExceptionReportDialog();
    TNotifyUpdateDlg::InstallPresenter();
    struct RemoveWindowReports {
        ~RemoveWindowReports()
        {
            TNotifyUpdateDlg::RemovePresenter();
            RemoveExceptionReportDialog();
        }
    } removeReports;

    TWidgetPrompter prompter;
    TPrompter::SetInstance(&prompter);
    struct RestorePrompter {
        ~RestorePrompter() { TPrompter::SetInstance(nullptr); }
    } restore;

    RegisterTaskSavingForms();
    struct UnregisterForms {
        ~UnregisterForms() { UnregisterTaskSavingForms(); }
    } unregisterForms;

    // Transfers run on this thread: while they go, the windows repaint and a
    // click on Stop gets through.
    TConverterEventPump::Install();
    struct RemoveEventPump {
        ~RemoveEventPump() { TConverterEventPump::Remove(); }
    } removePump;

    // The logon dialog is a window-mode class, created by name on first use
    // and freed while the window system is still there.
    InitMysqlLogonForms();
    struct DoneLogonForms {
        TQuenmarel& app;
        ~DoneLogonForms()
        {
            app.GetDBObjectFactory()->GetLogon()->FreeLogonForm();
            DoneMysqlLogonForms();
        }
    } doneLogonForms{app};

    TSettingsStartCheck::TellInWindow(prompter);

    TMainForm mainForm;
    mainForm.show();
    QApplication::exec();
}
