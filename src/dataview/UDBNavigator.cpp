#include "UDBNavigator.h"

#include "base/UAppException.h"
#include "base/UPrompter.h"

#include <QAction>
#include <QStyle>

TDBNavigator::TDBNavigator(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("dbnvgr1"));
    setAccessibleName(QStringLiteral("Record navigator"));
    setOrientation(Qt::Horizontal);
    struct Spec {
        const char* name;
        const char* hint;
        QStyle::StandardPixmap icon;
    };
    static constexpr Spec specs[ButtonCount] = {
        {"First", "First record", QStyle::SP_MediaSkipBackward},
        {"Prior", "Prior record", QStyle::SP_MediaSeekBackward},
        {"Next", "Next record", QStyle::SP_MediaSeekForward},
        {"Last", "Last record", QStyle::SP_MediaSkipForward},
        {"Insert", "Insert record", QStyle::SP_FileDialogNewFolder},
        {"Delete", "Delete record", QStyle::SP_TrashIcon},
        {"Edit", "Edit record", QStyle::SP_FileDialogDetailedView},
        {"Post", "Post edit", QStyle::SP_DialogApplyButton},
        {"Cancel", "Cancel edit", QStyle::SP_DialogCancelButton},
        {"Refresh", "Refresh data", QStyle::SP_BrowserReload},
    };
    for (int i = 0; i < ButtonCount; ++i) {
        QAction* action = addAction(style()->standardIcon(specs[i].icon), QLatin1String(specs[i].name));
        action->setObjectName(QStringLiteral("nb") + QLatin1String(specs[i].name));
        action->setToolTip(QLatin1String(specs[i].hint));
        connect(action, &QAction::triggered, this,
                GuardedSlot([this, button = TNavigateBtn(i)] { BtnClick(button); }));
        FButtons[size_t(i)] = action;
    }
    UpdateButtons();
}

TDBNavigator::~TDBNavigator()
{
    TDataLink::SetDataSource(nullptr);
}

void TDBNavigator::SetDataSource(TDataSource* source)
{
    TDataLink::SetDataSource(source);
    UpdateButtons();
}

void TDBNavigator::BtnClick(TNavigateBtn button)
{
    TUniDataSet* dataSet = Active() ? DataSet() : nullptr;
    if (!dataSet)
        return;
    switch (button) {
    case nbFirst: dataSet->First(); break;
    case nbPrior: dataSet->Prior(); break;
    case nbNext: dataSet->Next(); break;
    case nbLast: dataSet->Last(); break;
    case nbInsert: dataSet->Insert(); break;
    case nbEdit: dataSet->Edit(); break;
    case nbPost: dataSet->Post(); break;
    case nbCancel: dataSet->Cancel(); break;
    case nbRefresh: dataSet->Refresh(); break;
    case nbDelete:
        if (TPrompter::Instance().Ask(QStringLiteral("Delete record?"), pbOK | pbCancel) == TPromptAnswer::OK)
            dataSet->Delete();
        break;
    }
}

void TDBNavigator::UpdateButtons()
{
    TUniDataSet* dataSet = Active() ? DataSet() : nullptr;
    const bool editing = dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
    const bool canModify = dataSet && dataSet->CanModify();
    const bool up = dataSet && !dataSet->Bof();
    const bool down = dataSet && !dataSet->Eof();
    const bool enabled[ButtonCount] = {
        up, up, down, down,
        canModify,
        canModify && !dataSet->IsEmpty(),
        canModify && !editing,
        editing, editing,
        dataSet && !editing,
    };
    for (int i = 0; i < ButtonCount; ++i)
        FButtons[size_t(i)]->setEnabled(enabled[i]);
}
