#include "UQuenmarelFormManager.h"

#include "UMDIPager.h"

bool TQuenmarelFormManager::NewWindow(const TFormClass& formClass, QWidget*& form, const QString& caption)
{
    return FPager->AddForm(formClass, form, caption);
}
