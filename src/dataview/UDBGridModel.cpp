#include "UDBGridModel.h"

#include "base/UAppException.h"

#include <limits>

TDBGridModel::TDBGridModel(QObject* parent) : QAbstractTableModel(parent)
{
}

TDBGridModel::~TDBGridModel() = default;

TField* TDBGridModel::FieldOf(int column) const
{
    TUniDataSet* dataSet = Active() ? DataSet() : nullptr;
    if (!dataSet || column < 0 || column >= dataSet->FieldCount())
        return nullptr;
    return dataSet->Fields(column);
}

bool TDBGridModel::CellEditable(int column) const
{
    const TField* field = FieldOf(column);
    if (!field || ReadOnly() || !field->CanModify() || field->IsBlob())
        return false;
    return field->DataType() != ftBytes && field->DataType() != ftVarBytes;
}

int TDBGridModel::CurrentRow() const
{
    return FCurrentRow;
}

void TDBGridModel::SetCurrentRow(int row)
{
    TUniDataSet* dataSet = Active() ? DataSet() : nullptr;
    if (!dataSet || row < 0 || row == CurrentRow())
        return;
    dataSet->SetRecNo(row + 1);
}

int TDBGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FRowCount;
}

int TDBGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FColumnCount;
}

QVariant TDBGridModel::data(const QModelIndex& index, int role) const
{
    TField* field = FieldOf(index.column());
    if (!field || index.row() >= FRowCount)
        return {};
    TUniDataSet* dataSet = DataSet();
    const TUniCell cell = dataSet->RowCell(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        // A large object shows its picture (the window's business), not its value.
        if (cell.Null || field->IsBlob())
            return {};
        if (cell.Lazy) {
            QByteArray bytes(cell.Length, Qt::Uninitialized);
            dataSet->ReadRowLazy(index.row(), index.column(), 0, bytes.data(), cell.Length);
            return dataSet->DecodeValue(field->DataType(), bytes.constData(), bytes.size());
        }
        return dataSet->DecodeValue(field->DataType(), cell.Data, cell.Length);
    case FieldTypeRole:
        return int(field->DataType());
    case ValueSizeRole:
        return qint64(cell.Null ? 0 : cell.Length);
    case IsNullRole:
        return cell.Null;
    case IsLobRole:
        return field->IsBlob();
    default:
        return {};
    }
}

QVariant TDBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    const TField* field = FieldOf(section);
    return field ? QVariant(field->FieldName()) : QVariant();
}

Qt::ItemFlags TDBGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (CellEditable(index.column()))
        result |= Qt::ItemIsEditable;
    return result;
}

bool TDBGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !CellEditable(index.column()))
        return false;
    bool done = false;
    // Called by the view's editor from the event loop: errors go to the
    // application's handler, the data set keeps what it had.
    GuardedCall([&] {
        SetCurrentRow(index.row());
        if (CurrentRow() != index.row())
            return;
        if (!TDataLink::Edit())
            return;
        TField* field = FieldOf(index.column());
        if (value.isNull())
            field->Clear();
        else
            field->SetAsString(value.toString());
        done = true;
    });
    return done;
}

bool TDBGridModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && Active() && DataSet()->MoreRows();
}

void TDBGridModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || !Active())
        return;
    GuardedCall([this] { DataSet()->FetchMore(); });
}

void TDBGridModel::Reset()
{
    beginResetModel();
    TUniDataSet* dataSet = Active() ? DataSet() : nullptr;
    FRowCount = dataSet ? int(std::min<qint64>(dataSet->KeptRowCount(), std::numeric_limits<int>::max())) : 0;
    FColumnCount = dataSet ? dataSet->FieldCount() : 0;
    FCurrentRow = dataSet && dataSet->RecNo() > 0 ? int(dataSet->RecNo() - 1) : -1;
    endResetModel();
    Q_EMIT currentRowChanged(FCurrentRow);
}

void TDBGridModel::ActiveChanged()
{
    Reset();
}

void TDBGridModel::DataSetChanged()
{
    // A whole change of the rows, unless they are the ones shown already.
    TUniDataSet* dataSet = Active() ? DataSet() : nullptr;
    if (!dataSet || dataSet->KeptRowCount() != FRowCount || dataSet->FieldCount() != FColumnCount) {
        Reset();
        return;
    }
    if (FRowCount > 0)
        Q_EMIT dataChanged(index(0, 0), index(FRowCount - 1, FColumnCount - 1));
    DataSetScrolled();
}

void TDBGridModel::DataSetScrolled()
{
    TUniDataSet* dataSet = DataSet();
    const int row = dataSet && dataSet->RecNo() > 0 ? int(dataSet->RecNo() - 1) : -1;
    if (row == FCurrentRow)
        return;
    FCurrentRow = row;
    Q_EMIT currentRowChanged(row);
}

void TDBGridModel::RowCellsChanged(int row)
{
    if (row >= 0 && row < FRowCount && FColumnCount > 0)
        Q_EMIT dataChanged(index(row, 0), index(row, FColumnCount - 1));
}

void TDBGridModel::RecordChanged(TField*)
{
    RowCellsChanged(FCurrentRow);
}

void TDBGridModel::EditingChanged()
{
    RowCellsChanged(FCurrentRow);
}

void TDBGridModel::RowsFetched(qint64 first, qint64 count)
{
    // The data set announces rows it has already added: the model's own count
    // keeps the view's picture consistent until it is told.
    if (first != FRowCount) {
        Reset();
        return;
    }
    beginInsertRows(QModelIndex(), int(first), int(first + count - 1));
    FRowCount += int(count);
    endInsertRows();
}

void TDBGridModel::RowInserted(qint64 row)
{
    beginInsertRows(QModelIndex(), int(row), int(row));
    ++FRowCount;
    endInsertRows();
    DataSetScrolled();
}

void TDBGridModel::RowDeleted(qint64 row)
{
    beginRemoveRows(QModelIndex(), int(row), int(row));
    --FRowCount;
    endRemoveRows();
    FCurrentRow = -2;   // told again below, whatever the row now is
    DataSetScrolled();
}

void TDBGridModel::RowChanged(qint64 row)
{
    RowCellsChanged(int(row));
}
