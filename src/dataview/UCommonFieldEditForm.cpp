#include "UCommonFieldEditForm.h"

#include "UDBViewForm.h"
#include "base/UAppException.h"
#include "platform/dac/UFieldDataLink.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TCommonFieldEditForm::TCommonFieldEditForm(QWidget* parent) : TFieldEditForm(parent)
{
    setObjectName(QStringLiteral("CommonFieldEditForm"));
    setWindowTitle(QStringLiteral("Field Data Editor"));
    resize(688, 426);

    FLoad = NewAction(QStringLiteral("acLoad"), QStringLiteral("Load"));
    FLoad->setToolTip(QStringLiteral("Load form file"));
    FSave = NewAction(QStringLiteral("acSave"), QStringLiteral("Save"));
    FSave->setToolTip(QStringLiteral("Save to file"));
    FPrior = NewAction(QStringLiteral("actPrior"), QStringLiteral("Prior"));
    FPrior->setToolTip(QStringLiteral("Prior"));
    FPrior->setEnabled(false);
    FNext = NewAction(QStringLiteral("actNext"), QStringLiteral("Next"));
    FNext->setToolTip(QStringLiteral("Next"));
    FNext->setEnabled(false);

    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = menuBar->addMenu(QStringLiteral("File"));
    file->addAction(FLoad);
    file->addAction(FSave);
    QMenu* edit = menuBar->addMenu(QStringLiteral("Edit"));
    edit->addAction(NewEditAction(QStringLiteral("EditCut1"), QStringLiteral("Cu&t"), QKeySequence::Cut, "cut"));
    edit->addAction(NewEditAction(QStringLiteral("EditCopy1"), QStringLiteral("&Copy"), QKeySequence::Copy, "copy"));
    edit->addAction(NewEditAction(QStringLiteral("EditPaste1"), QStringLiteral("&Paste"), QKeySequence::Paste, "paste"));
    edit->addAction(NewEditAction(QStringLiteral("EditSelectAll1"), QStringLiteral("Select &All"), QKeySequence::SelectAll,
                                  "selectAll"));
    edit->addAction(NewEditAction(QStringLiteral("EditUndo1"), QStringLiteral("&Undo"), QKeySequence::Undo, "undo"));
    QMenu* view = menuBar->addMenu(QStringLiteral("View"));
    QAction* font = view->addAction(QStringLiteral("Font"));
    font->setObjectName(QStringLiteral("mniFont"));
    connect(font, &QAction::triggered, this, Guarded([this](auto&&...) {
                if (TDBViewForm* current = CurrentView())
                    current->ChangeFont();
            }));
    QMenu* search = menuBar->addMenu(QStringLiteral("Search"));
    search->setObjectName(QStringLiteral("mnuSearch"));
    QList<QAction*> placeholders;
    const QStringList names = {QStringLiteral("mniSearchFind"), QStringLiteral("mniSearchFindNext"),
                               QStringLiteral("mniSearchReplace")};
    const QStringList texts = {QStringLiteral("Find"), QStringLiteral("Find Next"), QStringLiteral("Replace")};
    for (int i = 0; i < names.size(); ++i) {
        auto* placeholder = new QAction(texts[i], this);
        placeholder->setObjectName(names[i]);
        placeholder->setEnabled(false);
        search->addAction(placeholder);
        placeholders << placeholder;
    }

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto addButton = [toolBar, this](const QString& name, QAction* action) {
        auto* button = new QToolButton(toolBar);
        button->setObjectName(name);
        button->setDefaultAction(action);
        toolBar->addWidget(button);
        return button;
    };
    addButton(QStringLiteral("tbOpen"), FLoad);
    addButton(QStringLiteral("tbSave"), FSave);
    const QStringList buttonNames = {QStringLiteral("btnSearchFind"), QStringLiteral("btnSearchFindNext"),
                                     QStringLiteral("btnSearchReplace")};
    QList<QToolButton*> buttons;
    for (int i = 0; i < buttonNames.size(); ++i)
        buttons << addButton(buttonNames[i], placeholders[i]);
    toolBar->addSeparator();
    addButton(QStringLiteral("tbPrior"), FPrior);
    addButton(QStringLiteral("tbNext"), FNext);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pgcData"));
    pages->setIconSize(QSize(16, 16));
    FStatusBar = new QStatusBar(this);
    FStatusBar->setObjectName(QStringLiteral("StatusBar1"));
    FStatusBar->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(toolBar);
    layout->addWidget(pages, 1);
    layout->addWidget(FStatusBar);

    connect(FLoad, &QAction::triggered, this, Guarded([this](auto&&...) {
                if (TDBViewForm* current = CurrentView())
                    current->LoadFromFile();
            }));
    connect(FSave, &QAction::triggered, this, Guarded([this](auto&&...) {
                if (TDBViewForm* current = CurrentView())
                    current->SaveToFile();
            }));

    SetSearchControls(search, placeholders, buttons);
    SetStatusBar(FStatusBar);
    SetPriorAction(FPrior);
    SetNextAction(FNext);
    SetPageControl(pages);
}

QAction* TCommonFieldEditForm::NewAction(const QString& name, const QString& text)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    addAction(action);
    return action;
}

QAction* TCommonFieldEditForm::NewEditAction(const QString& name, const QString& text, const QKeySequence& shortcut,
                                             const char* slot)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    // Editing widgets keep their own shortcuts; the menu runs the same slot
    // on whichever of them has the focus.
    action->setShortcutContext(Qt::WidgetShortcut);
    connect(action, &QAction::triggered, this, [slot](auto&&...) {
        if (QWidget* focused = QApplication::focusWidget())
            QMetaObject::invokeMethod(focused, slot);
    });
    return action;
}

void TCommonFieldEditForm::SetDataLink(TFieldDataLink* dataLink)
{
    TFieldEditForm::SetDataLink(dataLink);
    FLoad->setEnabled(dataLink && !ReadOnlyValue());
}
