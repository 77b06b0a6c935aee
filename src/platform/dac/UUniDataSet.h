#pragma once

#include "UField.h"
#include "URecordStore.h"
#include "UUniCursor.h"
#include "UValueSource.h"
#include "base/UComponent.h"
#include "base/UTextCodec.h"

#include <QByteArray>
#include <functional>
#include <memory>
#include <vector>

class Exception;
class TDataSource;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// What a data set tells its data sources (and they their links).
enum class TDataEvent {
    ActiveChange,    // opened or closed
    DataSetChange,   // the rows changed as a whole (refresh, a cancelled insert...)
    Scroll,          // another row is current
    RecordChange,    // a value of the current row changed; Info: the field's index, -1 for all
    UpdateState,     // browse, edit or insert
    UpdateRecord,    // Post is about to write: links hand their pending edits to the fields
    RowsFetched,     // rows were added at the end; Info: the index of the first, Count: how many
    RowInserted,     // a row was put in; Info: its index
    RowDeleted,      // a row was taken out; Info: its index
    RowChanged       // a kept row got new values (posted); Info: its index
};

// The kind of write that failed, and what the update-error event answers.
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TUpdateAction {
    uaFail,    // raise the server's error (the default)
    uaAbort    // raise the silent EAbort
};

// A data set over one result: its fields, the current row and the moves
// between rows, and the editing of rows. Three ways to hold the rows:
// - buffered (FetchAll): every row is read at open and kept;
// - FetchRows at a time: rows are read as the cursor moves on and kept;
//   another statement on the connection reads the rest first (and the data
//   set announces the new rows);
// - unidirectional: only the current row exists, read straight from the
//   server; nothing else may run on the connection until it ends or closes.
// Kept large values (over TSpillFile::InlineLimit) live in a spill file.
class TUniDataSet : public TComponent, public TUniCursorOwner {
public:
    using TUpdateErrorEvent =
        std::function<void(TUniDataSet* sender, const Exception& error, TUpdateKind kind, TUpdateAction& action)>;

    explicit TUniDataSet(TComponent* owner = nullptr);
    ~TUniDataSet() override;

    bool Active() const { return FActive; }
    void SetActive(bool value);
    void Open();
    void Close();
    // Runs the statement again; the same row number is current afterwards
    // when the new result has that many rows.
    void Refresh();
    TDataSetState State() const { return FState; }

    bool UniDirectional() const { return FUniDirectional; }
    void SetUniDirectional(bool value) { FUniDirectional = value; }
    int FetchRows() const { return FFetchRows; }
    void SetFetchRows(int value) { FFetchRows = value < 1 ? 1 : value; }

    int FieldCount() const { return int(FFields.size()); }
    TField* Fields(int index) const { return FFields.at(size_t(index)).get(); }
    TField* FindField(const QString& name) const;        // ignores letter case
    TField* FieldByName(const QString& name) const;      // raises when missing
    QStringList FieldNames() const;

    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    bool IsEmpty() const { return FEof && FBof && FStore.Empty(); }
    void First();
    void Next();
    void Prior();
    void Last();
    // Moves by a number of rows (negative: back); stops at either end.
    void MoveBy(qint64 distance);
    qint64 RecNo() const { return FRecNo; }              // 1 for the first row, 0 when empty
    // Makes row recNo (1-based) current, reading rows as needed; false when
    // the result has fewer rows.
    bool SetRecNo(qint64 recNo);
    // The number of rows: counted by the server when the query asked for it
    // (-1 when that count failed); the rows read so far for a buffered data
    // set; -1 for a unidirectional one without a count.
    qint64 RecordCount() const;
    // Kept rows (the rows read so far) and whether the result has more.
    qint64 KeptRowCount() const { return FStore.Count(); }
    bool MoreRows() const { return FCursor && !FCursor->AtEnd() && !FUniDirectional; }
    // Reads up to FetchRows more rows into the kept rows (announced); the number read.
    qint64 FetchMore();
    // Reads every row that is left into the kept rows (announced).
    void FetchAllRows();

    // --- editing ------------------------------------------------------------
    // Whether rows can be changed: a key of one base table is in the result
    // (decided by the descendant before the rows stream).
    bool CanModify() const;
    void Edit();
    // A new row before the current one (at the end when there is none).
    void Insert();
    void Post();
    void Cancel();
    void Delete();
    bool Modified() const { return FModified; }
    void SetOnUpdateError(TUpdateErrorEvent handler) { FOnUpdateError = std::move(handler); }

    // --- for fields ---------------------------------------------------------
    // The value of a field on the current row (or of kept row `row`): a lazy
    // cell is not in memory; read it with ReadLazy.
    TUniCell Cell(int index) const;
    TUniCell RowCell(qint64 row, int index) const;
    qint64 ReadLazy(int index, qint64 offset, char* buffer, qint64 size) const;
    qint64 ReadRowLazy(qint64 row, int index, qint64 offset, char* buffer, qint64 size) const;
    // Changes a value of the row being edited; checks the column's width.
    void SetCell(int index, const QByteArray& value, bool isNull);
    // The value read from a device in chunks (into the spill file when large).
    void SetCellFrom(int index, QIODevice& device);
    // Character columns in the session's character set; binary values as
    // Windows-1252, numbers and dates as the ASCII the server writes.
    QString DecodeValue(TFieldType type, const char* data, qsizetype size) const;
    QByteArray EncodeValue(TFieldType type, const QString& text) const;
    bool IsUnicode() const { return FUnicode; }

    // The width limit of a field (see FieldWidthLimit).
    qint64 WidthLimit(int index) const { return FieldWidthLimit(index); }

    // Reads every row that is left (buffered data sets): frees the line.
    void YieldLine() override;
    // Takes over another data set's open result with its fields and rows.
    void TakeResultFrom(TUniDataSet& source);

    // --- for data sources ---------------------------------------------------
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);
    void DataEvent(TDataEvent event, qint64 info = 0, qint64 count = 0);

protected:
    // A kept row: its values in memory or in the spill file.
    using TRecord = TStoredRecord;
    // A stored value as a source for chunked sending.
    std::shared_ptr<TValueSource> ValueSource(const TStoredValue& value) const;

    // Runs the statement; sets a cursor with AttachCursor when it returns rows.
    virtual void InternalOpen() = 0;
    // Writes a row; the default refuses. Update: oldRecord is the row as
    // read, newRecord as edited, changed marks the fields set. Insert:
    // oldRecord is null; the descendant may fill newRecord (an auto-increment
    // key). Delete: newRecord is the row as read.
    virtual void InternalPost(TUpdateKind kind, const TRecord* oldRecord, TRecord& newRecord,
                              const std::vector<bool>& changed);
    virtual bool InternalCanModify() const { return false; }
    // The largest value a field takes: characters for character columns,
    // bytes for others; -1 when unchecked.
    virtual qint64 FieldWidthLimit(int) const { return -1; }
    // Whether rows are read all at open: the provider option "FetchAll".
    virtual bool FetchAll() const { return true; }
    // The fields exist, the rows not yet: a descendant marks read-only ones.
    virtual void FieldsCreated() {}
    void AttachCursor(std::unique_ptr<TUniCursor> cursor);
    void SetCountedRecords(qint64 count) { FCountedRecords = count; }
    // Drops the result without talking to the server (the session is gone).
    void AbandonResult();
    TUniCursor* Cursor() const { return FCursor.get(); }
    // Frees the connection's line before a write: a partly read result of
    // this data set is read to its end (and announced).
    virtual void PrepareWrite() {}

private:
    TTextEncoding ValueEncoding(TFieldType type) const;
    qint64 FetchBlock(qint64 rows);
    void StoreCurrentRow(TRecord& record);
    void ResetPosition();
    void CheckActive() const;
    void CheckBidirectional() const;
    void CheckWidth(int index, const TStoredValue& value) const;
    void CheckSettable(int index) const;
    void StoreEdited(int index, TStoredValue value);
    void LeaveRow();
    void BeginInsert(qint64 at);
    void EndEdit();
    void RunWrite(TUpdateKind kind, const std::function<void()>& write);

    bool FActive = false;
    bool FUnicode = false;
    TDataSetState FState = dsInactive;
    bool FUniDirectional = false;
    int FFetchRows = 25;
    std::unique_ptr<TUniCursor> FCursor;
    std::vector<std::unique_ptr<TField>> FFields;
    TRecordStore FStore;
    TRecord FEditRecord;
    std::vector<bool> FChanged;
    bool FModified = false;
    qint64 FCurrent = -1;
    bool FEof = true;
    bool FBof = true;
    bool FUniRowValid = false;
    qint64 FRecNo = 0;
    qint64 FCountedRecords = -2;   // -2: not counted
    std::vector<TDataSource*> FDataSources;
    TUpdateErrorEvent FOnUpdateError;
};
