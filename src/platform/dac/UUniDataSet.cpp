#include "UUniDataSet.h"

#include "UUniConnection.h"
#include "UUniError.h"

#include "app/base/UTextCodec.h"

#include <limits>

TUniDataSet::TUniDataSet(TComponent* owner) : TComponent(owner)
{
}

TUniDataSet::~TUniDataSet()
{
    // A descendant closes its result while it still exists; this only frees.
    FCursor.reset();
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
    if (FCursor) {
        std::unique_ptr<TUniCursor> cursor = std::move(FCursor);
        cursor->Close();
    }
    FFields.clear();
    FRecords.clear();
    FRecords.shrink_to_fit();
    FEditRecord = TRecord();
    FActive = false;
    FState = dsInactive;
    FCurrent = -1;
    FEof = FBof = true;
    FUniRowValid = false;
    FRecNo = 0;
    FCountedRecords = -2;
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
    FActive = true;
    FState = dsBrowse;
    ResetPosition();
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
    FetchBlock(FetchAll() ? std::numeric_limits<qint64>::max() : FFetchRows);
    FCurrent = FRecords.empty() ? -1 : 0;
    FEof = FRecords.empty();
    FRecNo = FRecords.empty() ? 0 : 1;
}

bool TUniDataSet::FetchBlock(qint64 rows)
{
    bool any = false;
    for (qint64 i = 0; i < rows && FCursor && !FCursor->AtEnd(); ++i) {
        if (!FCursor->Fetch())
            break;
        StoreCurrentRow();
        any = true;
    }
    if (FCursor && FCursor->AtEnd())
        FCursor.reset();
    return any;
}

void TUniDataSet::StoreCurrentRow()
{
    const std::vector<TUniCell>& cells = FCursor->Cells();
    TRecord record;
    record.Values.resize(cells.size());
    record.Nulls.resize(cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        const TUniCell& cell = cells[i];
        record.Nulls[i] = cell.Null;
        if (cell.Null)
            continue;
        if (cell.Lazy) {
            QByteArray value(cell.Length, Qt::Uninitialized);
            FCursor->ReadColumn(int(i), 0, value.data(), cell.Length);
            record.Values[i] = value;
        } else {
            record.Values[i] = QByteArray(cell.Data, cell.Length);
        }
    }
    FRecords.push_back(std::move(record));
}

void TUniDataSet::YieldLine()
{
    if (!FUniDirectional && FCursor)
        FetchBlock(std::numeric_limits<qint64>::max());
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

void TUniDataSet::CheckBrowse() const
{
    if (!FActive)
        throw EUniError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TUniDataSet::CheckBidirectional() const
{
    if (FUniDirectional)
        throw EUniError(QStringLiteral("Cannot move back in a unidirectional dataset"));
}

void TUniDataSet::Next()
{
    CheckBrowse();
    if (FState != dsBrowse)
        Post();
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
        return;
    }
    if (FCurrent + 1 >= qint64(FRecords.size()) && !(FCursor && FetchBlock(FFetchRows))) {
        FEof = true;
        return;
    }
    ++FCurrent;
    ++FRecNo;
    FBof = false;
}

void TUniDataSet::Prior()
{
    CheckBrowse();
    CheckBidirectional();
    if (FState != dsBrowse)
        Post();
    if (FCurrent <= 0) {
        FBof = true;
        return;
    }
    --FCurrent;
    --FRecNo;
    FEof = false;
}

void TUniDataSet::First()
{
    CheckBrowse();
    if (FState != dsBrowse)
        Post();
    if (FUniDirectional) {
        if (FRecNo > 1)
            CheckBidirectional();
        FBof = true;
        return;
    }
    FCurrent = FRecords.empty() ? -1 : 0;
    FRecNo = FRecords.empty() ? 0 : 1;
    FBof = true;
    FEof = FRecords.empty();
}

void TUniDataSet::Last()
{
    CheckBrowse();
    CheckBidirectional();
    if (FState != dsBrowse)
        Post();
    FetchBlock(std::numeric_limits<qint64>::max());
    FCurrent = qint64(FRecords.size()) - 1;
    FRecNo = qint64(FRecords.size());
    FEof = true;
    FBof = FRecords.empty();
}

qint64 TUniDataSet::RecordCount() const
{
    if (FCountedRecords != -2)
        return FCountedRecords;
    if (FUniDirectional)
        return -1;
    return qint64(FRecords.size());
}

TUniCell TUniDataSet::Cell(int index) const
{
    TUniCell cell;
    if (index < 0 || index >= FieldCount())
        return cell;
    if (FState == dsEdit || FState == dsInsert) {
        cell.Null = FEditRecord.Nulls[size_t(index)];
        cell.Data = FEditRecord.Values[size_t(index)].constData();
        cell.Length = cell.Null ? 0 : FEditRecord.Values[size_t(index)].size();
        return cell;
    }
    if (FUniDirectional) {
        if (FUniRowValid && FCursor)
            cell = FCursor->Cells()[size_t(index)];
        return cell;
    }
    if (FCurrent < 0)
        return cell;
    const TRecord& record = FRecords[size_t(FCurrent)];
    cell.Null = record.Nulls[size_t(index)];
    cell.Data = record.Values[size_t(index)].constData();
    cell.Length = cell.Null ? 0 : record.Values[size_t(index)].size();
    return cell;
}

qint64 TUniDataSet::ReadLazy(int index, qint64 offset, char* buffer, qint64 size) const
{
    if (!FUniDirectional || !FUniRowValid || !FCursor)
        return 0;
    return FCursor->ReadColumn(index, offset, buffer, size);
}

bool TUniDataSet::CanModify() const
{
    return FActive && !FUniDirectional && InternalCanModify();
}

void TUniDataSet::Edit()
{
    CheckBrowse();
    if (FState == dsEdit)
        return;
    if (!CanModify())
        throw EUniError(QStringLiteral("Cannot modify a read-only dataset"));
    if (FCurrent < 0)
        throw EUniError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    FEditRecord = FRecords[size_t(FCurrent)];
    FState = dsEdit;
}

void TUniDataSet::Cancel()
{
    if (FState == dsEdit || FState == dsInsert) {
        FEditRecord = TRecord();
        FState = dsBrowse;
    }
}

void TUniDataSet::Post()
{
    if (FState != dsEdit)
        return;
    InternalPost(&FRecords[size_t(FCurrent)], FEditRecord);
    FRecords[size_t(FCurrent)] = std::move(FEditRecord);
    FEditRecord = TRecord();
    FState = dsBrowse;
}

void TUniDataSet::InternalPost(const TRecord*, const TRecord&)
{
    throw EUniError(QStringLiteral("Cannot modify a read-only dataset"));
}

void TUniDataSet::SetCell(int index, const QByteArray& value, bool isNull)
{
    if (FState != dsEdit && FState != dsInsert)
        throw EUniError(QStringLiteral("Dataset not in edit or insert mode"));
    FEditRecord.Values.at(size_t(index)) = isNull ? QByteArray() : value;
    FEditRecord.Nulls.at(size_t(index)) = isNull;
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
    FRecords = std::move(source.FRecords);
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
    source.Close();
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
