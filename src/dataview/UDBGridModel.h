#pragma once

#include "platform/dac/UDataSource.h"

#include <QAbstractTableModel>

// The grid's rows: a table model over a data source. It shows the rows the
// data set keeps and reads FetchRows more as the view scrolls (fetchMore);
// large-object cells give their size and field type, never their value; a
// cell is edited through the data set's edit state. The current row follows
// the data set both ways, and the data set's inserts, deletes, drains and
// reopens reach the view as row and reset signals.
class TDBGridModel : public QAbstractTableModel, private TDataLink {
    Q_OBJECT
public:
    enum TRole {
        FieldTypeRole = Qt::UserRole + 1,   // int: the field's TFieldType
        ValueSizeRole,                      // qint64: the value's size in bytes, 0 for NULL
        IsNullRole,                         // bool
        IsLobRole                           // bool: a large-object field
    };

    explicit TDBGridModel(QObject* parent = nullptr);
    ~TDBGridModel() override;

    TDataSource* DataSource() const { return TDataLink::DataSource(); }
    void SetDataSource(TDataSource* source) { TDataLink::SetDataSource(source); }
    TField* FieldOf(int column) const;
    // Typing into a cell: the field can be changed and is no large object or
    // binary value (those have their own editors).
    bool CellEditable(int column) const;

    // The data set's current row as a model row (-1 when none).
    int CurrentRow() const;
    // Makes a row the data set's current one (leaving a changed row posts it).
    void SetCurrentRow(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled() override;
    void RecordChanged(TField* field) override;
    void RowsFetched(qint64 first, qint64 count) override;
    void RowInserted(qint64 row) override;
    void RowDeleted(qint64 row) override;
    void RowChanged(qint64 row) override;
    void EditingChanged() override;
    void Reset();
    void RowCellsChanged(int row);

    int FRowCount = 0;
    int FColumnCount = 0;
    int FCurrentRow = -1;
};
