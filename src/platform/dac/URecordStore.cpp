#include "URecordStore.h"

#include "base/UException.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace {

// A kept value in memory, shared with the record it came from.
class TBytesSource : public TValueSource {
public:
    explicit TBytesSource(QByteArray bytes) : FBytes(std::move(bytes)) {}
    qint64 Size() const override { return FBytes.size(); }
    qint64 Read(qint64 offset, char* buffer, qint64 size) const override
    {
        if (offset >= FBytes.size())
            return 0;
        size = std::min(size, FBytes.size() - offset);
        std::memcpy(buffer, FBytes.constData() + offset, size_t(size));
        return size;
    }

private:
    QByteArray FBytes;
};

// A kept value in the spill file, which lives as long as any reader of it.
class TSpillSource : public TValueSource {
public:
    TSpillSource(std::shared_ptr<TSpillFile> file, qint64 offset, qint64 length)
        : FFile(std::move(file)), FOffset(offset), FLength(length)
    {
    }
    qint64 Size() const override { return FLength; }
    qint64 Read(qint64 offset, char* buffer, qint64 size) const override
    {
        if (offset >= FLength)
            return 0;
        return FFile->Read(FOffset + offset, buffer, std::min(size, FLength - offset));
    }

private:
    std::shared_ptr<TSpillFile> FFile;
    qint64 FOffset;
    qint64 FLength;
};

}  // namespace

void TRecordStore::Insert(qint64 at, TStoredRecord record)
{
    FRecords.insert(FRecords.begin() + at, std::move(record));
}

void TRecordStore::Erase(qint64 row)
{
    FRecords.erase(FRecords.begin() + row);
}

void TRecordStore::Clear()
{
    FRecords.clear();
    FRecords.shrink_to_fit();
    if (FSpill && FSpill.use_count() == 1)
        FSpill->Reset();
    else
        FSpill.reset();
}

void TRecordStore::TakeFrom(TRecordStore& other)
{
    if (&other == this)
        return;
    FRecords = std::move(other.FRecords);
    other.FRecords.clear();
    FSpill = std::move(other.FSpill);
}

TSpillFile& TRecordStore::Spill()
{
    if (!FSpill)
        FSpill = std::make_shared<TSpillFile>();
    return *FSpill;
}

TStoredValue TRecordStore::StoreBytes(const char* data, qint64 size)
{
    TStoredValue value;
    value.Null = false;
    value.Length = size;
    if (size > TSpillFile::InlineLimit)
        value.Offset = Spill().Append(data, size);
    else
        value.Bytes = QByteArray(data, size);
    return value;
}

std::optional<TStoredValue> TRecordStore::StorePieces(qint64 length, const TPieceReader& read)
{
    TStoredValue value;
    value.Null = false;
    value.Length = length;
    if (length <= TSpillFile::InlineLimit) {
        // A source may hand out less than asked: read until the value is whole.
        value.Bytes = QByteArray(length, Qt::Uninitialized);
        for (qint64 offset = 0; offset < length;) {
            const qint64 got = read(offset, value.Bytes.data() + offset, length - offset);
            if (got <= 0)
                return std::nullopt;
            offset += got;
        }
        return value;
    }
    QByteArray chunk(std::min(CopyChunk, length), Qt::Uninitialized);
    for (qint64 offset = 0; offset < length;) {
        const qint64 got = read(offset, chunk.data(), chunk.size());
        if (got <= 0)
            return std::nullopt;
        const qint64 at = Spill().Append(chunk.constData(), got);
        if (offset == 0)
            value.Offset = at;
        offset += got;
    }
    return value;
}

TStoredValue TRecordStore::StoreFrom(QIODevice& device)
{
    QByteArray head = device.read(TSpillFile::InlineLimit + 1);
    TStoredValue stored;
    stored.Null = false;
    if (head.size() <= TSpillFile::InlineLimit) {
        stored.Bytes = head;
        stored.Length = head.size();
        return stored;
    }
    stored.Offset = Spill().Append(head.constData(), head.size());
    stored.Length = head.size();
    QByteArray chunk(CopyChunk, Qt::Uninitialized);
    for (;;) {
        const qint64 got = device.read(chunk.data(), chunk.size());
        if (got < 0)
            throw EInOutError(device.errorString());
        if (got == 0)
            break;
        Spill().Append(chunk.constData(), got);
        stored.Length += got;
    }
    return stored;
}

qint64 TRecordStore::Read(const TStoredValue& value, qint64 offset, char* buffer, qint64 size) const
{
    if (value.Null || offset >= value.Length)
        return 0;
    size = std::min(size, value.Length - offset);
    if (value.Offset < 0) {
        std::memcpy(buffer, value.Bytes.constData() + offset, size_t(size));
        return size;
    }
    return FSpill ? FSpill->Read(value.Offset + offset, buffer, size) : 0;
}

std::shared_ptr<TValueSource> TRecordStore::Source(const TStoredValue& value) const
{
    if (value.Offset >= 0)
        return std::make_shared<TSpillSource>(FSpill, value.Offset, value.Length);
    return std::make_shared<TBytesSource>(value.Bytes);
}

TUniCell TRecordStore::Cell(const TStoredRecord& record, int index)
{
    TUniCell cell;
    if (index < 0 || size_t(index) >= record.Values.size())
        return cell;
    const TStoredValue& value = record.Values[size_t(index)];
    cell.Null = value.Null;
    cell.Length = value.Null ? 0 : value.Length;
    if (value.Offset >= 0)
        cell.Lazy = true;
    else
        cell.Data = value.Bytes.constData();
    return cell;
}
