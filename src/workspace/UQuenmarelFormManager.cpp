#include "UQuenmarelFormManager.h"

#include "ULogViewerForm.h"
#include "UMDIPager.h"
#include "scheduler/forms/TaskList.h"

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

void TQuenmarelFormManager::ShowTaskList()
{
    TTaskListForm form(FMainForm);
    form.exec();
}
