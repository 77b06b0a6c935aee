#include "platform/dac/URecordStore.h"

#include "base/UException.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

constexpr qint64 Limit = TSpillFile::InlineLimit;

// Bytes that differ from one offset to the next, so a shifted read shows.
QByteArray Pattern(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 251) & 0xFF);
    return bytes;
}

// A value read back through the store, in pieces of `piece` bytes.
QByteArray ReadBack(const TRecordStore& store, const TStoredValue& value, qint64 from = 0, qint64 piece = 4096)
{
    QByteArray all;
    QByteArray chunk(piece, Qt::Uninitialized);
    for (qint64 offset = from;;) {
        const qint64 got = store.Read(value, offset, chunk.data(), piece);
        if (got <= 0)
            return all;
        all.append(chunk.constData(), got);
        offset += got;
    }
}

QByteArray ReadSource(const TValueSource& source)
{
    QByteArray all(source.Size(), Qt::Uninitialized);
    EXPECT_EQ(source.Read(0, all.data(), all.size()), all.size());
    char extra;
    EXPECT_EQ(source.Read(all.size(), &extra, 1), 0);
    return all;
}

// A device that hands out its head and then fails.
class TFailingDevice : public QIODevice {
public:
    explicit TFailingDevice(QByteArray head) : FHead(std::move(head)) { open(QIODevice::ReadOnly); }

protected:
    qint64 readData(char* data, qint64 size) override
    {
        if (FHead.isEmpty()) {
            setErrorString(QStringLiteral("the disk went away"));
            return -1;
        }
        const qint64 n = std::min<qint64>(size, FHead.size());
        std::memcpy(data, FHead.constData(), size_t(n));
        FHead.remove(0, n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray FHead;
};

enum class TStoreWay { Bytes, Pieces, Device };

struct TStoreCase {
    const char* name;
    TStoreWay way;
    qint64 size;
};

TStoredValue Store(TRecordStore& store, TStoreWay way, const QByteArray& bytes)
{
    switch (way) {
    case TStoreWay::Bytes:
        return store.StoreBytes(bytes.constData(), bytes.size());
    case TStoreWay::Pieces: {
        // A source that hands out at most 1000 bytes a read, as a received row may.
        auto read = [&bytes](qint64 offset, char* buffer, qint64 size) {
            const qint64 n = std::min<qint64>({size, 1000, bytes.size() - offset});
            std::memcpy(buffer, bytes.constData() + offset, size_t(n));
            return n;
        };
        std::optional<TStoredValue> value = store.StorePieces(bytes.size(), read);
        EXPECT_TRUE(value.has_value());
        return value.value_or(TStoredValue());
    }
    case TStoreWay::Device: {
        QByteArray copy = bytes;
        QBuffer device(&copy);
        device.open(QIODevice::ReadOnly);
        return store.StoreFrom(device);
    }
    }
    return {};
}

class RecordStoreValues : public testing::TestWithParam<TStoreCase> {};

// Every way in keeps the bytes exactly, in memory up to the limit and in the
// spill file beyond it, and every way out (whole, from an offset, as a cell,
// as a source) gives them back.
TEST_P(RecordStoreValues, KeepsTheBytesAndReadsThemWholeOrFromAnOffset)
{
    const TStoreCase& c = GetParam();
    TRecordStore store;
    store.StoreBytes("ahead", 5);   // the value need not start the spill file
    store.StoreBytes(Pattern(Limit + 7).constData(), Limit + 7);
    const QByteArray bytes = Pattern(c.size);
    const TStoredValue value = Store(store, c.way, bytes);

    EXPECT_FALSE(value.Null);
    EXPECT_EQ(value.Length, c.size);
    const bool spilled = c.size > Limit;
    EXPECT_EQ(value.Offset >= 0, spilled);
    EXPECT_EQ(ReadBack(store, value), bytes);
    EXPECT_EQ(ReadBack(store, value, 0, 333), bytes);
    EXPECT_EQ(ReadBack(store, value, c.size / 2), bytes.mid(c.size / 2));
    char byte;
    EXPECT_EQ(store.Read(value, c.size, &byte, 1), 0);
    EXPECT_EQ(store.Read(value, c.size + 10, &byte, 1), 0);
    EXPECT_EQ(ReadSource(*store.Source(value)), bytes);

    TStoredRecord record;
    record.Values = {TStoredValue(), value};
    const TUniCell cell = TRecordStore::Cell(record, 1);
    EXPECT_FALSE(cell.Null);
    EXPECT_EQ(cell.Length, c.size);
    EXPECT_EQ(cell.Lazy, spilled);
    if (!spilled) {
        EXPECT_EQ(QByteArray(cell.Data, cell.Length), bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, RecordStoreValues,
    testing::Values(TStoreCase{"BytesEmpty", TStoreWay::Bytes, 0}, TStoreCase{"BytesAtLimit", TStoreWay::Bytes, Limit},
                    TStoreCase{"BytesOverLimit", TStoreWay::Bytes, Limit + 1},
                    TStoreCase{"PiecesAtLimit", TStoreWay::Pieces, Limit},
                    TStoreCase{"PiecesOverLimit", TStoreWay::Pieces, Limit + 1},
                    TStoreCase{"PiecesOverAChunk", TStoreWay::Pieces, TRecordStore::CopyChunk + 5},
                    TStoreCase{"DeviceEmpty", TStoreWay::Device, 0},
                    TStoreCase{"DeviceAtLimit", TStoreWay::Device, Limit},
                    TStoreCase{"DeviceOverLimit", TStoreWay::Device, Limit + 1},
                    TStoreCase{"DeviceOverTwoChunks", TStoreWay::Device, 2 * TRecordStore::CopyChunk + 3}),
    [](const testing::TestParamInfo<TStoreCase>& info) { return std::string(info.param.name); });

TEST(RecordStore, NullValuesAndMissingColumnsReadAsNothing)
{
    TRecordStore store;
    const TStoredValue null;
    char byte;
    EXPECT_EQ(store.Read(null, 0, &byte, 1), 0);
    TStoredRecord record;
    record.Values = {null};
    EXPECT_TRUE(TRecordStore::Cell(record, 0).Null);
    EXPECT_TRUE(TRecordStore::Cell(record, 1).Null);
    EXPECT_TRUE(TRecordStore::Cell(record, -1).Null);
}

TEST(RecordStore, ASourceThatRunsDryOrADeviceThatFailsStoresNothing)
{
    TRecordStore store;
    const QByteArray bytes = Pattern(Limit + 100);
    auto stopsShort = [&bytes](qint64 offset, char* buffer, qint64 size) -> qint64 {
        if (offset > 0)
            return 0;
        const qint64 n = std::min<qint64>(size, 10);
        std::memcpy(buffer, bytes.constData(), size_t(n));
        return n;
    };
    EXPECT_FALSE(store.StorePieces(bytes.size(), stopsShort).has_value());

    TFailingDevice device(Pattern(Limit + 1));
    try {
        store.StoreFrom(device);
        FAIL() << "a failing device must raise";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("the disk went away"));
    }
}

// Closing a result empties the spill file for the next one, but a value
// still being sent keeps the file it reads from.
TEST(RecordStore, ClearKeepsTheSpillFileOfAValueStillBeingRead)
{
    TRecordStore store;
    const QByteArray first = Pattern(Limit * 3);
    TStoredRecord row;
    row.Values = {store.StoreBytes(first.constData(), first.size())};
    const std::shared_ptr<TValueSource> sending = store.Source(row.Values[0]);
    store.Append(row);
    store.Clear();
    EXPECT_TRUE(store.Empty());

    const QByteArray second = Pattern(Limit * 2).toHex().left(Limit * 2);
    const TStoredValue next = store.StoreBytes(second.constData(), second.size());
    EXPECT_EQ(ReadSource(*sending), first);
    EXPECT_EQ(ReadBack(store, next), second);

    // Nobody reads the file now: it is reused from its start.
    store.Clear();
    const TStoredValue reused = store.StoreBytes(first.constData(), first.size());
    EXPECT_EQ(reused.Offset, 0);
    EXPECT_EQ(ReadBack(store, reused), first);
}

TEST(RecordStore, RowsGoInWhereAskedAndMoveWithTheirSpillFile)
{
    TRecordStore store;
    auto rowOf = [&store](const QByteArray& bytes) {
        TStoredRecord record;
        record.Values = {store.StoreBytes(bytes.constData(), bytes.size())};
        return record;
    };
    const QByteArray large = Pattern(Limit * 4);
    store.Append(rowOf("b"));
    store.Append(rowOf(large));
    store.Insert(0, rowOf("a"));
    store.Erase(1);
    ASSERT_EQ(store.Count(), 2);

    TRecordStore taker;
    taker.TakeFrom(store);
    EXPECT_TRUE(store.Empty());
    ASSERT_EQ(taker.Count(), 2);
    EXPECT_EQ(ReadBack(taker, taker.Row(0).Values[0]), QByteArray("a"));
    EXPECT_EQ(ReadBack(taker, taker.Row(1).Values[0]), large);
}

}  // namespace
