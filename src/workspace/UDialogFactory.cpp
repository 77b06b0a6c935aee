#include "UDialogFactory.h"

#include "UAboutBoxDialog.h"
#include "UMainForm.h"
#include "app/UUpdateCheckRunner.h"
#include "settings/UAppSettings.h"
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
    const auto handOver = [&](auto request, auto operation) {
        QObject::connect(&dlg, request, FMainForm, operation, Qt::DirectConnection);
    };
    handOver(&TStartTaskDlg::NewImportLobRequested, &TMainForm::actImportLobExecute);
    handOver(&TStartTaskDlg::NewExportLobRequested, &TMainForm::actExportLobExecute);
    handOver(&TStartTaskDlg::OpenImportTaskRequested, &TMainForm::actOpenImportTaskExecute);
    handOver(&TStartTaskDlg::OpenExportTaskRequested, &TMainForm::actOpenExportTaskExecute);
    handOver(&TStartTaskDlg::OpenImportTaskFileRequested, &TMainForm::OpenImportTaskFile);
    handOver(&TStartTaskDlg::OpenExportTaskFileRequested, &TMainForm::OpenExportTaskFile);
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
