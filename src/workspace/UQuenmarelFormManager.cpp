#include "UQuenmarelFormManager.h"

#include "ULogViewerForm.h"
#include "UMDIPager.h"

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
