#include "UQuenmarelFormManager.h"

#include "ULogViewerForm.h"
#include "UMDIPager.h"
#include "scheduler/forms/TaskList.h"
#include "transfer/forms/ULobExportForm.h"
#include "transfer/forms/ULobImportForm.h"
#include "transfer/forms/ULobMergeForm.h"

#include <functional>

bool TQuenmarelFormManager::NewWindow(const TFormClass& formClass, QWidget*& form, const QString& caption)
{
    return FPager->AddForm(formClass, form, caption);
}

void TQuenmarelFormManager::ShowLog()
{
    TLogViewerForm form(FMainForm);
    form.LoadLog();
    form.exec();
}

namespace {

// A transfer dialog lives only while it is shown; it is freed after its run
// has returned (the dialog waits for it before it closes).
template <class T>
void ShowTransferDialog(QWidget* mainForm, const std::function<void(T&)>& fill)
{
    T dialog(mainForm);
    fill(dialog);
    dialog.exec();
}

}  // namespace

void TQuenmarelFormManager::ShowImportLob(const QString& schema, const QString& table)
{
    ShowTransferDialog<TLobImportForm>(FMainForm, [&](TLobImportForm& dialog) {
        dialog.FillSchemas();
        dialog.SelectTable(schema, table);
    });
}

void TQuenmarelFormManager::ShowExportLob(const QString& schema, const QString& table)
{
    ShowTransferDialog<TLobExportForm>(FMainForm, [&](TLobExportForm& dialog) {
        dialog.FillSchemas();
        dialog.SelectTable(schema, table);
    });
}

void TQuenmarelFormManager::ShowMergeLobs()
{
    ShowTransferDialog<TLobMergeForm>(FMainForm, [](TLobMergeForm& dialog) { dialog.FillSchemas(); });
}

void TQuenmarelFormManager::OpenImportTask(const QString& fileName)
{
    ShowTransferDialog<TLobImportForm>(FMainForm, [&](TLobImportForm& dialog) {
        dialog.FillSchemas();
        dialog.LoadTask(fileName);
    });
}

void TQuenmarelFormManager::OpenExportTask(const QString& fileName)
{
    ShowTransferDialog<TLobExportForm>(FMainForm, [&](TLobExportForm& dialog) {
        dialog.FillSchemas();
        dialog.LoadTask(fileName);
    });
}

void TQuenmarelFormManager::OpenFile(const QString& fileName)
{
    if (fileName.endsWith(QLatin1String(".ilt")))
        OpenImportTask(fileName);
    else if (fileName.endsWith(QLatin1String(".elt")))
        OpenExportTask(fileName);
}

void TQuenmarelFormManager::ShowTaskList()
{
    TTaskListForm form(FMainForm);
    form.exec();
}
