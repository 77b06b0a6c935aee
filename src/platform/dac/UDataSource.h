#pragma once

#include "UUniDataSet.h"
#include "base/UComponent.h"

#include <functional>
#include <vector>

class TDataLink;

// The meeting point of a data set and the controls that show it (grid,
// navigator, field editors): each control holds a data link to the source,
// and the source hands the data set's events to every link.
class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* owner = nullptr);
    ~TDataSource() override;

    TUniDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TUniDataSet* dataSet);
    TDataSetState State() const { return FDataSet ? FDataSet->State() : dsInactive; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    // Puts the data set into edit state unless it is editing already.
    void Edit();

    // Told on every change of the current row's values or position.
    void SetOnDataChange(std::function<void(TField* field)> handler) { FOnDataChange = std::move(handler); }
    void SetOnStateChange(std::function<void()> handler) { FOnStateChange = std::move(handler); }

    // --- for data sets and links --------------------------------------------
    void DataEvent(TDataEvent event, qint64 info, qint64 count);
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);
    // The data set is being freed.
    void DataSetDestroyed();
    const std::vector<TDataLink*>& Links() const { return FLinks; }

private:
    TUniDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    std::vector<TDataLink*> FLinks;
    std::function<void(TField*)> FOnDataChange;
    std::function<void()> FOnStateChange;
};

// A control's tie to a data source. Descendants react to the events.
class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* source);
    TUniDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    // The data source is enabled and its data set open.
    bool Active() const { return FActive; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    // Whether the data set is in edit or insert state.
    bool Editing() const { return FEditing; }
    // Puts the data set into edit state (unless it is in insert state
    // already); whether the row is now being edited.
    virtual bool Edit();
    // Hands pending edits to the data set (run by Post through UpdateRecord).
    void UpdateRecord();

    // --- told by the data source --------------------------------------------
    virtual void DataEvent(TDataEvent event, qint64 info, qint64 count);

protected:
    virtual void ActiveChanged() {}
    virtual void EditingChanged() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled() { DataSetChanged(); }
    virtual void RecordChanged(TField*) {}
    virtual void UpdateData() {}
    virtual void RowsFetched(qint64, qint64) {}
    virtual void RowInserted(qint64) { DataSetChanged(); }
    virtual void RowDeleted(qint64) { DataSetChanged(); }
    virtual void RowChanged(qint64) {}
    virtual void ReadOnlyChanged() {}
    void UpdateState();

private:
    friend class TDataSource;
    void SourceGone();

    TDataSource* FDataSource = nullptr;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FUpdating = false;
};
