#pragma once

#include "UFieldEditForm.h"

class QAction;
class QStatusBar;
class QTabWidget;
class QToolBar;

// The one concrete edit form: menus, toolbar, the viewers' tabs and a status
// bar.
class TCommonFieldEditForm : public TFieldEditForm {
    Q_OBJECT

public:
    explicit TCommonFieldEditForm(QWidget* parent = nullptr);

    void SetDataLink(TFieldDataLink* dataLink) override;

    QAction* LoadAction() const { return FLoad; }
    QAction* SaveAction() const { return FSave; }
    QAction* PriorAction() const { return FPrior; }
    QAction* NextAction() const { return FNext; }
    QStatusBar* StatusBar() const { return FStatusBar; }

private:
    QAction* NewAction(const QString& name, const QString& text);
    QAction* NewEditAction(const QString& name, const QString& text, const QKeySequence& shortcut, const char* slot);

    QAction* FLoad;
    QAction* FSave;
    QAction* FPrior;
    QAction* FNext;
    QStatusBar* FStatusBar;
};
