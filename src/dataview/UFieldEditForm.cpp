#include "UFieldEditForm.h"

#include "UDBViewForm.h"
#include "UDBViewFormSelector.h"
#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "platform/dac/UFieldDataLink.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

TFieldEditForm::TFieldEditForm(QWidget* parent) : QDialog(parent) {}

void TFieldEditForm::SetDataLink(TFieldDataLink* dataLink)
{
    FDataLink = dataLink;
}

void TFieldEditForm::SetPriorAction(QAction* action)
{
    FPriorAction = action;
    connect(action, &QAction::triggered, this, Guarded([this](auto&&...) { PriorExecute(); }));
}

void TFieldEditForm::SetNextAction(QAction* action)
{
    FNextAction = action;
    connect(action, &QAction::triggered, this, Guarded([this](auto&&...) { NextExecute(); }));
}

void TFieldEditForm::SetPageControl(QTabWidget* pageControl)
{
    FPageControl = pageControl;
    // Qt has no "changing" notice: the leaving viewer's work runs in the
    // change notice, with the previous tab put back while it runs.
    connect(pageControl, &QTabWidget::currentChanged, this, Guarded([this](int index) { PageChange(index); }));
}

void TFieldEditForm::SetSelector(TDBViewFormSelector* selector)
{
    FSelector = selector;
    selector->SetPageControl(FPageControl);
    selector->CreateViews();
    FPreviousIndex = FPageControl->currentIndex();
    for (int i = 0; i < selector->ViewCount(); ++i) {
        if (TDBViewForm* view = selector->ViewAt(i))
            connect(view, &TDBViewForm::NoteChanged, this, [this](auto&&...) { ShowNote(); });
    }
}

void TFieldEditForm::SetSearchControls(QMenu* menu, const QList<QAction*>& placeholders,
                                       const QList<QToolButton*>& buttons)
{
    FSearchMenu = menu;
    FSearchPlaceholders = placeholders;
    FSearchButtons = buttons;
}

TDBViewForm* TFieldEditForm::CurrentView() const
{
    return FSelector ? FSelector->CurrentView() : nullptr;
}

bool TFieldEditForm::ReadOnlyValue() const
{
    if (!FDataLink)
        return true;
    const TField* field = FDataLink->Field();
    return FDataLink->ReadOnly() || (field && field->ReadOnly());
}

bool TFieldEditForm::Execute()
{
    if (!FDataLink || !FDataLink->DataSource())
        return false;
    TUniDataSet* dataSet = FDataLink->DataSet();
    // An unposted edit or insert of the row is dropped before anything shows.
    if (dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert))
        dataSet->Cancel();
    LoadCurrentRecord();
    UpdateNavigation();
    SetDataLink(FDataLink);   // the Load command follows the link's read-only flag
    exec();
    // The viewer stops being bound however the save ends.
    struct TUnloadGuard {
        TFieldEditForm* Form;
        ~TUnloadGuard()
        {
            if (TDBViewForm* view = Form->CurrentView())
                view->Unload();
        }
    } guard{this};
    if (TDBViewForm* view = CurrentView())
        view->CommitToField();
    QuerySave();
    return true;
}

void TFieldEditForm::LoadCurrentRecord()
{
    ShowCurrentView();
    QString caption = QStringLiteral("Column: ") + (FDataLink->Field() ? FDataLink->Field()->FieldName() : FDataLink->FieldName());
    if (ReadOnlyValue())
        caption += QStringLiteral("  (ReadOnly)");
    setWindowTitle(caption);
}

void TFieldEditForm::ShowCurrentView()
{
    if (TDBViewForm* view = CurrentView())
        view->Unload();
    FSelector->SelectView();
    FPreviousIndex = FPageControl->currentIndex();
    if (TDBViewForm* view = CurrentView())
        view->SetDataLink(FDataLink);
    BindViewActions();
    ShowNote();
}

void TFieldEditForm::UpdateNavigation()
{
    TUniDataSet* dataSet = FDataLink ? FDataLink->DataSet() : nullptr;
    if (!dataSet || !dataSet->Active()) {
        FPriorAction->setEnabled(false);
        FNextAction->setEnabled(false);
        return;
    }
    FPriorAction->setEnabled(!dataSet->Bof() && dataSet->RecNo() > 1);
    FNextAction->setEnabled(!dataSet->Eof());
}

void TFieldEditForm::QuerySave()
{
    if (!FDataLink || !FDataLink->Editing())
        return;
    TUniDataSet* dataSet = FDataLink->DataSet();
    const TPromptAnswer answer =
        TPrompter::Instance().Ask(QStringLiteral("Save Changes?"), pbYes | pbNo, TPromptKind::Question, QStringLiteral("Save"));
    if (answer == TPromptAnswer::Yes)
        dataSet->Post();
    else
        dataSet->Cancel();
}

void TFieldEditForm::Move(bool forward)
{
    QuerySave();
    if (TDBViewForm* view = CurrentView())
        view->Unload();
    if (forward)
        FDataLink->DataSet()->Next();
    else
        FDataLink->DataSet()->Prior();
    ShowCurrentView();
    update();
    UpdateNavigation();
}

void TFieldEditForm::PriorExecute()
{
    Move(false);
}

void TFieldEditForm::NextExecute()
{
    Move(true);
}

void TFieldEditForm::PageChange(int index)
{
    if (!FSelector)
        return;
    {
        // The leaving viewer works while its tab is still the active one; when
        // it fails, its tab stays.
        const QSignalBlocker blocker(FPageControl);
        FPageControl->setCurrentIndex(FPreviousIndex);
        FSelector->PageChanging();
        FPageControl->setCurrentIndex(index);
    }
    FPreviousIndex = index;
    if (TDBViewForm* view = CurrentView())
        view->SetDataLink(FDataLink);
    BindViewActions();
    ShowNote();
}

void TFieldEditForm::BindViewActions()
{
    TDBViewForm* view = CurrentView();
    const QList<QAction*> actions = {view ? view->FindAction() : nullptr, view ? view->FindNextAction() : nullptr,
                                     view ? view->ReplaceAction() : nullptr};
    if (FSearchMenu)
        FSearchMenu->clear();
    for (int i = 0; i < actions.size(); ++i) {
        QAction* action = actions[i] ? actions[i] : FSearchPlaceholders.value(i);
        if (!action)
            continue;
        if (FSearchMenu)
            FSearchMenu->addAction(action);
        if (QToolButton* button = FSearchButtons.value(i))
            button->setDefaultAction(action);
    }
}

void TFieldEditForm::ShowNote()
{
    if (!FStatusBar)
        return;
    TDBViewForm* view = CurrentView();
    const QString note = view ? view->Note() : QString();
    if (note.isEmpty())
        FStatusBar->clearMessage();
    else
        FStatusBar->showMessage(note);
}

bool TFieldEditForm::CommitBeforeClose()
{
    try {
        if (TDBViewForm* view = CurrentView())
            view->CommitToField();
        return true;
    } catch (const std::exception& e) {
        HandleAppException(e);
        return false;
    }
}

void TFieldEditForm::closeEvent(QCloseEvent* event)
{
    if (!CommitBeforeClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFieldEditForm::done(int result)
{
    // Escape closes through here rather than through the close box.
    if (!CommitBeforeClose())
        return;
    QDialog::done(result);
}
