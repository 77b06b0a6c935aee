#pragma once

#include <QDialog>
#include <QList>

class QAction;
class QMenu;
class QStatusBar;
class QTabWidget;
class QToolButton;
class TDBViewForm;
class TDBViewFormSelector;
class TFieldDataLink;

// The modal edit form of a field editor: shows the current row's value
// through the selector's viewers, steps to the prior and next rows, and asks
// "Save Changes?" before a changed row is left.
class TFieldEditForm : public QDialog {
    Q_OBJECT

public:
    explicit TFieldEditForm(QWidget* parent = nullptr);

    virtual void SetDataLink(TFieldDataLink* dataLink);
    void SetPriorAction(QAction* action);
    void SetNextAction(QAction* action);
    void SetPageControl(QTabWidget* pageControl);
    // Gives the selector the page control and lets it create its viewers.
    void SetSelector(TDBViewFormSelector* selector);
    // The Search menu and the three search buttons the viewers' actions go to.
    void SetSearchControls(QMenu* menu, const QList<QAction*>& placeholders, const QList<QToolButton*>& buttons);
    void SetStatusBar(QStatusBar* statusBar) { FStatusBar = statusBar; }

    // The modal run; false when no data source is bound (nothing shown).
    bool Execute();

    TFieldDataLink* DataLink() const { return FDataLink; }
    TDBViewFormSelector* Selector() const { return FSelector; }
    TDBViewForm* CurrentView() const;
    // The value cannot be changed here: the link is read-only, or the field
    // is within an editable result (a column of another table or alias, an
    // expression).
    bool ReadOnlyValue() const;
    QTabWidget* PageControl() const { return FPageControl; }

    // Commands, public for the menus, toolbar and tests.
    void PriorExecute();
    void NextExecute();
    void QuerySave();
    void UpdateNavigation();

protected:
    void LoadCurrentRecord();
    void ShowCurrentView();
    void BindViewActions();
    void PageChange(int index);
    // Closing hands the current viewer's edit to the field first; when that
    // fails (a character the value's encoding lacks) the form stays open.
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    bool CommitBeforeClose();
    void ShowNote();
    void Move(bool forward);

    TFieldDataLink* FDataLink = nullptr;
    QAction* FPriorAction = nullptr;
    QAction* FNextAction = nullptr;
    QTabWidget* FPageControl = nullptr;
    TDBViewFormSelector* FSelector = nullptr;
    QMenu* FSearchMenu = nullptr;
    QList<QAction*> FSearchPlaceholders;
    QList<QToolButton*> FSearchButtons;
    QStatusBar* FStatusBar = nullptr;
    int FPreviousIndex = -1;
};
