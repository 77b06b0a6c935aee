#include "UUniDataSet.h"

#include "UDataSource.h"
#include "UUniConnection.h"
#include "UUniError.h"

#include "base/UTextCodec.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 AllRows = std::numeric_limits<qint64>::max();

// Characters of session text: UTF-8 counts lead bytes, Windows-1252 bytes.
qint64 CountCharacters(const char* data, qint64 size, bool utf8)
{
    if (!utf8)
        return size;
    qint64 count = 0;
    for (qint64 i = 0; i < size; ++i)
        if ((static_cast<unsigned char>(data[i]) & 0xC0) != 0x80)
            ++count;
    return count;
}

}  // namespace

TUniDataSet::TUniDataSet(TComponent* owner) : TComponent(owner)
{
}

TUniDataSet::~TUniDataSet()
{
    // A descendant closes its result while it still exists; this only frees.
    FCursor.reset();
    const std::vector<TDataSource*> sources = FDataSources;
    for (TDataSource* source : sources)
        source->DataSetDestroyed();
}

void TUniDataSet::SetActive(bool value)
{
    if (value)
        Open();
    else
        Close();
}

void TUniDataSet::Open()
{
    if (FActive)
        return;
    InternalOpen();
}

void TUniDataSet::Close()
{
    const bool wasActive = FActive;
    if (FCursor) {
        // An early close: the rows left are not read into the kept rows.
        std::unique_ptr<TUniCursor> cursor = std::move(FCursor);
        cursor->Close();
    }
    FFields.clear();
    FStore.Clear();
    FEditRecord = TRecord();
    FChanged.clear();
    FModified = false;
    FActive = false;
    FState = dsInactive;
    FCurrent = -1;
    FEof = FBof = true;
    FUniRowValid = false;
    FRecNo = 0;
    FCountedRecords = -2;
    if (wasActive)
        DataEvent(TDataEvent::ActiveChange);
}

void TUniDataSet::Refresh()
{
    CheckActive();
    LeaveRow();
    const qint64 recNo = FRecNo;
    Close();
    Open();
    if (FActive && recNo > 1 && !SetRecNo(recNo))
        Last();
}

void TUniDataSet::AttachCursor(std::unique_ptr<TUniCursor> cursor)
{
    FCursor = std::move(cursor);
    FCursor->SetOwner(this);
    FUnicode = FCursor->Connection()->IsUnicode();
    const std::vector<TUniColumn>& columns = FCursor->Columns();
    FFields.clear();
    for (size_t i = 0; i < columns.size(); ++i) {
        const TUniColumn& column = columns[i];
        auto field = std::make_unique<TField>(this, int(i), column.Name, column.DataType, column.Length);
        if (!column.OrgName.isEmpty())
            field->SetOrigin(column.Table + QLatin1Char('.') + column.OrgName);
        FFields.push_back(std::move(field));
    }
    FieldsCreated();
    FActive = true;
    FState = dsBrowse;
    ResetPosition();
    DataEvent(TDataEvent::ActiveChange);
}

void TUniDataSet::ResetPosition()
{
    FBof = true;
    if (FUniDirectional) {
        FUniRowValid = FCursor && FCursor->Fetch();
        FEof = !FUniRowValid;
        FRecNo = FUniRowValid ? 1 : 0;
        return;
    }
    FetchBlock(FetchAll() ? AllRows : FFetchRows);
    FCurrent = FStore.Empty() ? -1 : 0;
    FEof = FStore.Empty();
    FRecNo = FStore.Empty() ? 0 : 1;
}

qint64 TUniDataSet::FetchBlock(qint64 rows)
{
    qint64 fetched = 0;
    while (fetched < rows && FCursor && !FCursor->AtEnd()) {
        if (!FCursor->Fetch())
            break;
        TRecord record;
        StoreCurrentRow(record);
        FStore.Append(std::move(record));
        ++fetched;
    }
    if (FCursor && FCursor->AtEnd())
        FCursor.reset();
    return fetched;
}

qint64 TUniDataSet::FetchMore()
{
    if (!MoreRows())
        return 0;
    const qint64 first = FStore.Count();
    const qint64 fetched = FetchBlock(FFetchRows);
    if (fetched > 0)
        DataEvent(TDataEvent::RowsFetched, first, fetched);
    return fetched;
}

void TUniDataSet::FetchAllRows()
{
    if (!MoreRows())
        return;
    const qint64 first = FStore.Count();
    const qint64 fetched = FetchBlock(AllRows);
    if (fetched > 0)
        DataEvent(TDataEvent::RowsFetched, first, fetched);
}

void TUniDataSet::StoreCurrentRow(TRecord& record)
{
    const std::vector<TUniCell>& cells = FCursor->Cells();
    record.Values.resize(cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        const TUniCell& cell = cells[i];
        TStoredValue& value = record.Values[i];
        if (cell.Null)
            continue;
        if (!cell.Lazy) {
            value = FStore.StoreBytes(cell.Data, cell.Length);
            continue;
        }
        // A value still in the received row: copied over in pieces.
        std::optional<TStoredValue> stored = FStore.StorePieces(cell.Length, [this, i](qint64 offset, char* buffer, qint64 size) {
            return FCursor->ReadColumn(int(i), offset, buffer, size);
        });
        if (!stored)
            throw EUniError(QStringLiteral("The value of field '%1' could not be read").arg(FFields[i]->FieldName()));
        value = std::move(*stored);
    }
}

void TUniDataSet::YieldLine()
{
    // Another statement needs the line: the rows left are read and kept.
    if (!FUniDirectional && FCursor)
        FetchAllRows();
}

void TUniDataSet::AbandonResult()
{
    if (!FCursor)
        return;
    FCursor->Abandon();
    if (FUniDirectional) {
        FUniRowValid = false;
        FEof = true;
    }
}

TField* TUniDataSet::FindField(const QString& name) const
{
    for (const auto& field : FFields)
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

TField* TUniDataSet::FieldByName(const QString& name) const
{
    if (TField* field = FindField(name))
        return field;
    throw EUniError(QStringLiteral("Field '%1' not found").arg(name));
}

QStringList TUniDataSet::FieldNames() const
{
    QStringList names;
    for (const auto& field : FFields)
        names.append(field->FieldName());
    return names;
}

void TUniDataSet::CheckActive() const
{
    if (!FActive)
        throw EUniError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TUniDataSet::CheckBidirectional() const
{
    if (FUniDirectional)
        throw EUniError(QStringLiteral("Cannot move back in a unidirectional dataset"));
}

void TUniDataSet::LeaveRow()
{
    if (FState == dsEdit || FState == dsInsert)
        Post();
}

void TUniDataSet::Next()
{
    CheckActive();
    LeaveRow();
    if (FEof)
        return;
    if (FUniDirectional) {
        FUniRowValid = FCursor && FCursor->Fetch();
        if (FUniRowValid) {
            ++FRecNo;
            FBof = false;
        } else {
            FEof = true;
            FCursor.reset();
        }
        DataEvent(TDataEvent::Scroll);
        return;
    }
    if (FCurrent + 1 >= FStore.Count() && FetchMore() == 0) {
        FEof = true;
        return;
    }
    ++FCurrent;
    FRecNo = FCurrent + 1;
    FBof = false;
    DataEvent(TDataEvent::Scroll);
}

void TUniDataSet::Prior()
{
    CheckActive();
    CheckBidirectional();
    LeaveRow();
    if (FCurrent <= 0) {
        FBof = true;
        return;
    }
    --FCurrent;
    FRecNo = FCurrent + 1;
    FEof = false;
    DataEvent(TDataEvent::Scroll);
}

void TUniDataSet::MoveBy(qint64 distance)
{
    for (; distance > 0 && !FEof; --distance)
        Next();
    for (; distance < 0 && !FBof; ++distance)
        Prior();
}

void TUniDataSet::First()
{
    CheckActive();
    LeaveRow();
    if (FUniDirectional) {
        if (FRecNo > 1)
            CheckBidirectional();
        FBof = true;
        return;
    }
    const qint64 before = FCurrent;
    FCurrent = FStore.Empty() ? -1 : 0;
    FRecNo = FStore.Empty() ? 0 : 1;
    FBof = true;
    FEof = FStore.Empty();
    if (FCurrent != before)
        DataEvent(TDataEvent::Scroll);
}

void TUniDataSet::Last()
{
    CheckActive();
    CheckBidirectional();
    LeaveRow();
    FetchAllRows();
    const qint64 before = FCurrent;
    FCurrent = FStore.Count() - 1;
    FRecNo = FStore.Count();
    FEof = true;
    FBof = FStore.Empty();
    if (FCurrent != before)
        DataEvent(TDataEvent::Scroll);
}

bool TUniDataSet::SetRecNo(qint64 recNo)
{
    CheckActive();
    CheckBidirectional();
    if (recNo < 1)
        return false;
    LeaveRow();
    while (FStore.Count() < recNo && FetchMore() > 0) {
    }
    if (FStore.Count() < recNo)
        return false;
    if (FCurrent != recNo - 1) {
        FCurrent = recNo - 1;
        FRecNo = recNo;
        FBof = FEof = false;
        DataEvent(TDataEvent::Scroll);
    }
    return true;
}

qint64 TUniDataSet::RecordCount() const
{
    if (FCountedRecords != -2)
        return FCountedRecords;
    if (FUniDirectional)
        return -1;
    return FStore.Count();
}

TUniCell TUniDataSet::Cell(int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    if (FState == dsEdit || FState == dsInsert)
        return TRecordStore::Cell(FEditRecord, index);
    if (FUniDirectional)
        return FUniRowValid && FCursor ? FCursor->Cells()[size_t(index)] : TUniCell();
    if (FCurrent < 0)
        return {};
    return TRecordStore::Cell(FStore.Row(FCurrent), index);
}

TUniCell TUniDataSet::RowCell(qint64 row, int index) const
{
    if (row == FCurrent && (FState == dsEdit || FState == dsInsert))
        return TRecordStore::Cell(FEditRecord, index);
    if (row < 0 || row >= FStore.Count())
        return {};
    return TRecordStore::Cell(FStore.Row(row), index);
}

qint64 TUniDataSet::ReadLazy(int index, qint64 offset, char* buffer, qint64 size) const
{
    if (index < 0 || index >= FieldCount())
        return 0;
    if (FState == dsEdit || FState == dsInsert)
        return FStore.Read(FEditRecord.Values[size_t(index)], offset, buffer, size);
    if (FUniDirectional)
        return FUniRowValid && FCursor ? FCursor->ReadColumn(index, offset, buffer, size) : 0;
    if (FCurrent < 0)
        return 0;
    return FStore.Read(FStore.Row(FCurrent).Values[size_t(index)], offset, buffer, size);
}

qint64 TUniDataSet::ReadRowLazy(qint64 row, int index, qint64 offset, char* buffer, qint64 size) const
{
    if (index < 0 || index >= FieldCount())
        return 0;
    if (row == FCurrent && (FState == dsEdit || FState == dsInsert))
        return FStore.Read(FEditRecord.Values[size_t(index)], offset, buffer, size);
    if (row < 0 || row >= FStore.Count())
        return 0;
    return FStore.Read(FStore.Row(row).Values[size_t(index)], offset, buffer, size);
}

std::shared_ptr<TValueSource> TUniDataSet::ValueSource(const TStoredValue& value) const
{
    return FStore.Source(value);
}

// --- editing ---------------------------------------------------------------

bool TUniDataSet::CanModify() const
{
    return FActive && !FUniDirectional && InternalCanModify();
}

void TUniDataSet::Edit()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert)
        return;
    if (!CanModify())
        throw EUniError(QStringLiteral("Cannot modify a read-only dataset"));
    if (FCurrent < 0) {
        Insert();   // an empty result: editing starts a new row
        return;
    }
    FEditRecord = FStore.Row(FCurrent);
    FChanged.assign(FFields.size(), false);
    FModified = false;
    FState = dsEdit;
    DataEvent(TDataEvent::UpdateState);
}

void TUniDataSet::BeginInsert(qint64 at)
{
    TRecord blank;
    blank.Values.resize(FFields.size());
    FStore.Insert(at, blank);
    FEditRecord = std::move(blank);
    FChanged.assign(FFields.size(), false);
    FModified = false;
    FCurrent = at;
    FRecNo = at + 1;
    FBof = FEof = false;
    FState = dsInsert;
    DataEvent(TDataEvent::RowInserted, at);
    DataEvent(TDataEvent::UpdateState);
}

void TUniDataSet::Insert()
{
    CheckActive();
    if (!CanModify())
        throw EUniError(QStringLiteral("Cannot modify a read-only dataset"));
    LeaveRow();
    BeginInsert(FCurrent < 0 ? FStore.Count() : FCurrent);
}

void TUniDataSet::EndEdit()
{
    FEditRecord = TRecord();
    FChanged.clear();
    FModified = false;
    FState = dsBrowse;
}

void TUniDataSet::RunWrite(TUpdateKind kind, const std::function<void()>& write)
{
    try {
        PrepareWrite();
        write();
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& error) {
        // The data set keeps its state and values: nothing entered is lost.
        TUpdateAction action = uaFail;
        if (FOnUpdateError)
            FOnUpdateError(this, error, kind, action);
        if (action == uaAbort)
            throw EAbort();
        throw;
    }
}

void TUniDataSet::Post()
{
    if (FState != dsEdit && FState != dsInsert)
        return;
    DataEvent(TDataEvent::UpdateRecord);
    const qint64 row = FCurrent;
    if (FState == dsEdit) {
        if (std::find(FChanged.begin(), FChanged.end(), true) != FChanged.end())
            RunWrite(ukModify, [&] { InternalPost(ukModify, &FStore.Row(row), FEditRecord, FChanged); });
    } else {
        RunWrite(ukInsert, [&] { InternalPost(ukInsert, nullptr, FEditRecord, FChanged); });
    }
    FStore.Row(row) = std::move(FEditRecord);
    EndEdit();
    DataEvent(TDataEvent::RowChanged, row);
    DataEvent(TDataEvent::UpdateState);
    DataEvent(TDataEvent::RecordChange, -1);
}

void TUniDataSet::Cancel()
{
    if (FState == dsEdit) {
        EndEdit();
        DataEvent(TDataEvent::UpdateState);
        DataEvent(TDataEvent::RecordChange, -1);
        return;
    }
    if (FState != dsInsert)
        return;
    const qint64 row = FCurrent;
    FStore.Erase(row);
    EndEdit();
    FCurrent = std::min(row, FStore.Count() - 1);
    FRecNo = FCurrent + 1;
    FBof = FCurrent <= 0;
    FEof = FStore.Empty();
    DataEvent(TDataEvent::RowDeleted, row);
    DataEvent(TDataEvent::UpdateState);
    DataEvent(TDataEvent::Scroll);
}

void TUniDataSet::Delete()
{
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FState == dsEdit)
        Cancel();
    if (FCurrent < 0)
        throw EUniError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (!CanModify())
        throw EUniError(QStringLiteral("Cannot modify a read-only dataset"));
    const qint64 row = FCurrent;
    RunWrite(ukDelete, [&] { InternalPost(ukDelete, nullptr, FStore.Row(row), {}); });
    FStore.Erase(row);
    DataEvent(TDataEvent::RowDeleted, row);
    if (row >= FStore.Count())
        FetchMore();
    FCurrent = std::min(row, FStore.Count() - 1);
    FRecNo = FCurrent + 1;
    FBof = FCurrent <= 0;
    FEof = FStore.Empty();
    DataEvent(TDataEvent::Scroll);
}

void TUniDataSet::InternalPost(TUpdateKind, const TRecord*, TRecord&, const std::vector<bool>&)
{
    throw EUniError(QStringLiteral("Cannot modify a read-only dataset"));
}

void TUniDataSet::CheckWidth(int index, const TStoredValue& value) const
{
    const qint64 limit = FieldWidthLimit(index);
    if (limit < 0 || value.Null || value.Length <= limit)
        return;
    const TField* field = FFields[size_t(index)].get();
    qint64 size = value.Length;
    const bool characters = IsTextFieldType(field->DataType());
    if (characters) {
        // Never more characters than bytes: counted only when it matters.
        const bool utf8 = FUnicode;
        size = 0;
        QByteArray chunk(std::min(TRecordStore::CopyChunk, value.Length), Qt::Uninitialized);
        for (qint64 offset = 0; offset < value.Length;) {
            const qint64 got = FStore.Read(value, offset, chunk.data(), chunk.size());
            if (got <= 0)
                break;
            size += CountCharacters(chunk.constData(), got, utf8);
            offset += got;
        }
        if (size <= limit)
            return;
    }
    throw EUniError(QStringLiteral("The value of field '%1' is too long: %2 %3, the column takes at most %4")
                        .arg(field->FieldName())
                        .arg(size)
                        .arg(characters ? QStringLiteral("characters") : QStringLiteral("bytes"))
                        .arg(limit));
}

void TUniDataSet::CheckSettable(int index) const
{
    if (FState != dsEdit && FState != dsInsert)
        throw EUniError(QStringLiteral("Dataset not in edit or insert mode"));
    if (index < 0 || index >= FieldCount())
        throw EUniError(QStringLiteral("Field index out of range"));
    if (FFields[size_t(index)]->ReadOnly())
        throw EUniError(QStringLiteral("Field '%1' cannot be modified").arg(FFields[size_t(index)]->FieldName()));
}

void TUniDataSet::StoreEdited(int index, TStoredValue value)
{
    CheckWidth(index, value);
    FEditRecord.Values.at(size_t(index)) = std::move(value);
    FChanged.at(size_t(index)) = true;
    FModified = true;
    DataEvent(TDataEvent::RecordChange, index);
}

void TUniDataSet::SetCell(int index, const QByteArray& value, bool isNull)
{
    CheckSettable(index);
    StoreEdited(index, isNull ? TStoredValue() : FStore.StoreBytes(value.constData(), value.size()));
}

void TUniDataSet::SetCellFrom(int index, QIODevice& device)
{
    CheckSettable(index);
    // Small values stay in memory; a larger one goes chunk by chunk to the
    // spill file, so a file of any size is never held whole.
    StoreEdited(index, FStore.StoreFrom(device));
}

void TUniDataSet::TakeResultFrom(TUniDataSet& source)
{
    if (&source == this)
        return;
    Close();
    FCursor = std::move(source.FCursor);
    if (FCursor)
        FCursor->SetOwner(this);
    FFields = std::move(source.FFields);
    for (auto& field : FFields)
        field->SetDataSet(this);
    FStore.TakeFrom(source.FStore);
    FActive = source.FActive;
    FUnicode = source.FUnicode;
    FState = source.FActive ? dsBrowse : dsInactive;
    FUniDirectional = source.FUniDirectional;
    FCurrent = source.FCurrent;
    FEof = source.FEof;
    FBof = source.FBof;
    FUniRowValid = source.FUniRowValid;
    FRecNo = source.FRecNo;
    FCountedRecords = source.FCountedRecords;
    source.FActive = false;
    source.Close();
    if (FActive)
        DataEvent(TDataEvent::ActiveChange);
}

TTextEncoding TUniDataSet::ValueEncoding(TFieldType type) const
{
    return FUnicode && IsTextFieldType(type) ? TTextEncoding::Utf8 : TTextEncoding::Windows1252;
}

QString TUniDataSet::DecodeValue(TFieldType type, const char* data, qsizetype size) const
{
    if (!data || size <= 0)
        return {};
    return DecodeText(QByteArray::fromRawData(data, size), ValueEncoding(type));
}

QByteArray TUniDataSet::EncodeValue(TFieldType type, const QString& text) const
{
    return EncodeText(text, ValueEncoding(type));
}

// --- data sources ------------------------------------------------------------

void TUniDataSet::AddDataSource(TDataSource* source)
{
    if (std::find(FDataSources.begin(), FDataSources.end(), source) == FDataSources.end())
        FDataSources.push_back(source);
}

void TUniDataSet::RemoveDataSource(TDataSource* source)
{
    FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), source), FDataSources.end());
}

void TUniDataSet::DataEvent(TDataEvent event, qint64 info, qint64 count)
{
    const std::vector<TDataSource*> sources = FDataSources;
    for (TDataSource* source : sources)
        source->DataEvent(event, info, count);
}
