#include "UMDIFormManager.h"

#include "UMDIPager.h"

TMDIFormManager::TMDIFormManager(QWidget* mainForm, QMdiArea* mdiArea, QTabBar* pageControl)
    : FMainForm(mainForm), FPager(std::make_unique<TMDIPager>(mainForm, mdiArea, pageControl))
{
}

TMDIFormManager::~TMDIFormManager() = default;

void TMDIFormManager::SetActivePage(int index)
{
    FPager->SetActivePage(index);
}

int TMDIFormManager::PageCount() const
{
    return FPager->PageCount();
}

void TMDIFormManager::CloseAll()
{
    FPager->CloseAll();
}
