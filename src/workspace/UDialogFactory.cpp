#include "UDialogFactory.h"

#include "UAboutBoxDialog.h"
#include "UMainForm.h"
#include "app/UUpdateCheckRunner.h"
#include "app/settings/UAppSettings.h"
#include "transfer/forms/UStartTaskDlg.h"

#include <QDate>

TDialogFactory::TDialogFactory(TMainForm* mainForm) : FMainForm(mainForm) {}

QString TDialogFactory::NoticeText()
{
    return QStringLiteral("Copyright \u00A9 Corvanta ") + QDate::currentDate().toString(QStringLiteral("yyyy"));
}

void TDialogFactory::ShowAbout()
{
    TAboutBoxDialog about;
    about.ProductName = QStringLiteral("Vantorquill");
    about.Copyright = NoticeText();
    about.Execute();
}

void TDialogFactory::ShowStartTaskDialog()
{
    TStartTaskDlg dlg;
    // Direct connections: the chosen dialog runs on top of the launcher, which
    // closes once it returns.
    TMainForm* form = FMainForm;
    QObject::connect(&dlg, &TStartTaskDlg::NewImportLobRequested, form, &TMainForm::actImportLobExecute,
                     Qt::DirectConnection);
    QObject::connect(&dlg, &TStartTaskDlg::NewExportLobRequested, form, &TMainForm::actExportLobExecute,
                     Qt::DirectConnection);
    QObject::connect(&dlg, &TStartTaskDlg::OpenImportTaskRequested, form, &TMainForm::actOpenImportTaskExecute,
                     Qt::DirectConnection);
    QObject::connect(&dlg, &TStartTaskDlg::OpenExportTaskRequested, form, &TMainForm::actOpenExportTaskExecute,
                     Qt::DirectConnection);
    QObject::connect(&dlg, &TStartTaskDlg::OpenImportTaskFileRequested, form, &TMainForm::OpenImportTaskFile,
                     Qt::DirectConnection);
    QObject::connect(&dlg, &TStartTaskDlg::OpenExportTaskFileRequested, form, &TMainForm::OpenExportTaskFile,
                     Qt::DirectConnection);
    dlg.exec();
}

void TDialogFactory::ShowStartTaskDialogOnce()
{
    if (!TAppSettings::ShowLaunch || FStartTaskDialogShown)
        return;
    ShowStartTaskDialog();
    FStartTaskDialogShown = true;
}

void TDialogFactory::ShowUpgradeNotice()
{
    TUpdateCheckRunner::CheckUpdate();
}
