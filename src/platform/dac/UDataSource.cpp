#include "UDataSource.h"

#include <algorithm>

TDataSource::TDataSource(TComponent* owner) : TComponent(owner)
{
}

TDataSource::~TDataSource()
{
    if (FDataSet)
        FDataSet->RemoveDataSource(this);
    const std::vector<TDataLink*> links = FLinks;
    for (TDataLink* link : links)
        link->SourceGone();
}

void TDataSource::SetDataSet(TUniDataSet* dataSet)
{
    if (dataSet == FDataSet)
        return;
    if (FDataSet)
        FDataSet->RemoveDataSource(this);
    FDataSet = dataSet;
    if (FDataSet)
        FDataSet->AddDataSource(this);
    DataEvent(TDataEvent::ActiveChange, 0, 0);
}

void TDataSource::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    const std::vector<TDataLink*> links = FLinks;
    for (TDataLink* link : links)
        link->DataEvent(TDataEvent::ActiveChange, 0, 0);
}

void TDataSource::Edit()
{
    if (FDataSet && FDataSet->State() == dsBrowse)
        FDataSet->Edit();
}

void TDataSource::DataSetDestroyed()
{
    FDataSet = nullptr;
    DataEvent(TDataEvent::ActiveChange, 0, 0);
}

void TDataSource::DataEvent(TDataEvent event, qint64 info, qint64 count)
{
    if (event == TDataEvent::ActiveChange || FEnabled) {
        const std::vector<TDataLink*> links = FLinks;
        for (TDataLink* link : links)
            if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
                link->DataEvent(event, info, count);
    }
    if (!FEnabled)
        return;
    switch (event) {
    case TDataEvent::UpdateState:
    case TDataEvent::ActiveChange:
        if (FOnStateChange)
            FOnStateChange();
        if (event == TDataEvent::ActiveChange && FOnDataChange)
            FOnDataChange(nullptr);
        break;
    case TDataEvent::RecordChange:
        if (FOnDataChange)
            FOnDataChange(FDataSet && info >= 0 && info < FDataSet->FieldCount() ? FDataSet->Fields(int(info)) : nullptr);
        break;
    case TDataEvent::DataSetChange:
    case TDataEvent::Scroll:
    case TDataEvent::RowInserted:
    case TDataEvent::RowDeleted:
        if (FOnDataChange)
            FOnDataChange(nullptr);
        break;
    default:
        break;
    }
}

void TDataSource::AddLink(TDataLink* link)
{
    if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end())
        FLinks.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link)
{
    FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
}

// --- TDataLink ---------------------------------------------------------------

TDataLink::~TDataLink()
{
    if (FDataSource)
        FDataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source)
{
    if (source == FDataSource)
        return;
    if (FDataSource)
        FDataSource->RemoveLink(this);
    FDataSource = source;
    if (FDataSource)
        FDataSource->AddLink(this);
    UpdateState();
}

void TDataLink::SourceGone()
{
    FDataSource = nullptr;
    UpdateState();
}

void TDataLink::SetReadOnly(bool value)
{
    if (value == FReadOnly)
        return;
    FReadOnly = value;
    ReadOnlyChanged();
}

void TDataLink::UpdateState()
{
    TUniDataSet* dataSet = DataSet();
    const bool active = FDataSource && FDataSource->Enabled() && dataSet && dataSet->Active();
    const bool editing = active && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
    if (active != FActive) {
        FActive = active;
        ActiveChanged();
    }
    if (editing != FEditing) {
        FEditing = editing;
        EditingChanged();
    }
}

bool TDataLink::Edit()
{
    if (!FReadOnly && FActive && DataSet()->State() == dsBrowse)
        DataSet()->Edit();
    UpdateState();
    return FEditing;
}

void TDataLink::UpdateRecord()
{
    if (FUpdating)
        return;
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::DataEvent(TDataEvent event, qint64 info, qint64 count)
{
    switch (event) {
    case TDataEvent::ActiveChange:
        UpdateState();
        if (FActive)
            DataSetChanged();
        break;
    case TDataEvent::UpdateState:
        UpdateState();
        break;
    case TDataEvent::UpdateRecord:
        if (FActive)
            UpdateRecord();
        break;
    case TDataEvent::DataSetChange:
        if (FActive)
            DataSetChanged();
        break;
    case TDataEvent::Scroll:
        if (FActive)
            DataSetScrolled();
        break;
    case TDataEvent::RecordChange:
        if (FActive) {
            TUniDataSet* dataSet = DataSet();
            RecordChanged(info >= 0 && info < dataSet->FieldCount() ? dataSet->Fields(int(info)) : nullptr);
        }
        break;
    case TDataEvent::RowsFetched:
        if (FActive)
            RowsFetched(info, count);
        break;
    case TDataEvent::RowInserted:
        if (FActive)
            RowInserted(info);
        break;
    case TDataEvent::RowDeleted:
        if (FActive)
            RowDeleted(info);
        break;
    case TDataEvent::RowChanged:
        if (FActive)
            RowChanged(info);
        break;
    }
}
