#pragma once

#include "USpillFile.h"
#include "UUniCursor.h"
#include "UValueSource.h"

#include <QByteArray>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

// One stored value: in memory, or a slice of the spill file.
struct TStoredValue {
    QByteArray Bytes;
    qint64 Offset = -1;    // in the spill file; -1: Bytes holds it
    qint64 Length = 0;
    bool Null = true;
};

struct TStoredRecord {
    std::vector<TStoredValue> Values;
};

// The rows a data set keeps and the values they hold. Values up to
// TSpillFile::InlineLimit stay in memory; larger ones go to a spill file,
// so that keeping a long result cannot exhaust memory.
class TRecordStore {
public:
    // The piece size when a value is copied from a reader or a device.
    static constexpr qint64 CopyChunk = 1 << 20;
    // Reads up to size bytes of a value at offset; the number read.
    using TPieceReader = std::function<qint64(qint64 offset, char* buffer, qint64 size)>;

    // --- kept rows ----------------------------------------------------------
    qint64 Count() const { return qint64(FRecords.size()); }
    bool Empty() const { return FRecords.empty(); }
    TStoredRecord& Row(qint64 row) { return FRecords[size_t(row)]; }
    const TStoredRecord& Row(qint64 row) const { return FRecords[size_t(row)]; }
    void Append(TStoredRecord record) { FRecords.push_back(std::move(record)); }
    void Insert(qint64 at, TStoredRecord record);
    void Erase(qint64 row);
    // Drops every row. The spill file is kept for the next result unless a
    // reader of a value still holds it.
    void Clear();
    // Takes over another store's rows and spill file; the other is left empty.
    void TakeFrom(TRecordStore& other);

    // --- storing values -----------------------------------------------------
    TStoredValue StoreBytes(const char* data, qint64 size);
    // A value of a known length read in pieces from its source: a small one
    // in memory, a large one chunk by chunk into the spill file. Nothing
    // when a read brings no bytes before the value is whole.
    std::optional<TStoredValue> StorePieces(qint64 length, const TPieceReader& read);
    // A value read from a device to its end; a file of any size is never held whole.
    TStoredValue StoreFrom(QIODevice& device);

    // --- reading values -----------------------------------------------------
    // Up to size bytes of a value from offset; the number read (0 at the end).
    qint64 Read(const TStoredValue& value, qint64 offset, char* buffer, qint64 size) const;
    // A value as a source for chunked sending; the source keeps the spill file alive.
    std::shared_ptr<TValueSource> Source(const TStoredValue& value) const;
    // A value of a record as a cell: a spilled value is lazy (read it with Read).
    static TUniCell Cell(const TStoredRecord& record, int index);

private:
    TSpillFile& Spill();

    std::vector<TStoredRecord> FRecords;
    std::shared_ptr<TSpillFile> FSpill;
};
