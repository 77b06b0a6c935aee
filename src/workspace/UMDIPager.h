#pragma once

#include "UFormManager.h"

#include <QObject>
#include <memory>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;
class QTabBar;
class TTabRenameDlg;

// The tab strip of the child windows: one tab per window opened through it,
// a tab and its window sharing an integer id. A click on a tab brings its
// window to the front; the strip's popup menu closes or renames the tab
// under the mouse. The strip hides while it has no tab.
class TMDIPager : public QObject {
    Q_OBJECT
public:
    // The popup menu belongs to ownerForm; the rename dialog to the pager.
    TMDIPager(QWidget* ownerForm, QMdiArea* mdiArea, QTabBar* pageControl);
    ~TMDIPager() override;

    // Opens a maximised child window of formClass with its tab (made active);
    // the window is left hidden for the caller to show. False, after a
    // "System Error" message box, when the window cannot be created.
    bool AddForm(const TFormClass& formClass, QWidget*& form, const QString& caption);
    void SetActivePage(int index);
    // Closes every child window of the area, the last one first, tab or not.
    void CloseAll();
    int PageCount() const;

    // Handlers of the strip and its popup menu.
    void PageChange();
    // A right click at pos (strip coordinates): the tab there becomes the
    // clicked and active one and the popup opens; away from every tab nothing
    // happens.
    void ContextPopup(const QPoint& pos);
    void CloseClick();
    void RenameClick();

    // The child window of a tab, null when it has none.
    QMdiSubWindow* WindowOfTab(int index) const;
    int ClickedTab() const { return FClickedTab; }
    QMenu* PopupMenu() const { return FPopupMenu; }
    TTabRenameDlg* RenameDialog() const { return FRenameDlg.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ChildClose(QMdiSubWindow* window);
    QMdiSubWindow* WindowOfId(int id) const;
    int TabOfWindow(const QMdiSubWindow* window) const;
    void FollowActiveWindow(QMdiSubWindow* window);

    QWidget* FOwnerForm;
    QMdiArea* FMdiArea;
    QTabBar* FPageControl;
    QMenu* FPopupMenu;
    QAction* FRenameItem;
    QAction* FCloseItem;
    std::unique_ptr<TTabRenameDlg> FRenameDlg;
    int FClickedTab = -1;
    int FLastId = 0;
};
