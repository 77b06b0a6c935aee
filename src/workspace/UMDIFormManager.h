#pragma once

#include "UFormManager.h"

#include <memory>

class QMdiArea;
class QTabBar;
class TMDIPager;

// The window manager over a tab strip: the child windows of the main form's
// MDI area, one tab each.
class TMDIFormManager : public TFormManager {
public:
    TMDIFormManager(QWidget* mainForm, QMdiArea* mdiArea, QTabBar* pageControl);
    ~TMDIFormManager() override;

    void SetActivePage(int index) override;
    int PageCount() const override;
    void CloseAll() override;

    TMDIPager* Pager() const { return FPager.get(); }

protected:
    QWidget* FMainForm;   // borrowed
    std::unique_ptr<TMDIPager> FPager;
};
