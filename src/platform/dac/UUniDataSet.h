#pragma once

#include "UField.h"
#include "UUniCursor.h"
#include "app/base/UComponent.h"
#include "app/base/UTextCodec.h"

#include <QByteArray>
#include <memory>
#include <vector>

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// A data set over one result: its fields, the current row and the moves
// between rows. Three ways to hold the rows:
// - buffered (FetchAll): every row is read at open and kept;
// - FetchRows at a time: rows are read as the cursor moves on and kept;
//   another statement on the connection reads the rest first;
// - unidirectional: only the current row exists, read straight from the
//   server; nothing else may run on the connection until it ends or closes.
class TUniDataSet : public TComponent, public TUniCursorOwner {
public:
    explicit TUniDataSet(TComponent* owner = nullptr);
    ~TUniDataSet() override;

    bool Active() const { return FActive; }
    void SetActive(bool value);
    void Open();
    void Close();
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
    bool IsEmpty() const { return FEof && FBof; }
    void First();
    void Next();
    void Prior();
    void Last();
    qint64 RecNo() const { return FRecNo; }              // 1 for the first row, 0 when empty
    // The number of rows: counted by the server when the query asked for it
    // (-1 when that count failed); the rows read so far for a buffered data
    // set; -1 for a unidirectional one without a count.
    qint64 RecordCount() const;

    // Editing of the current row; Post hands the change to the descendant.
    bool CanModify() const;
    void Edit();
    void Cancel();
    void Post();

    // --- for fields ---------------------------------------------------------
    TUniCell Cell(int index) const;
    qint64 ReadLazy(int index, qint64 offset, char* buffer, qint64 size) const;
    void SetCell(int index, const QByteArray& value, bool isNull);
    // Character columns in the session's character set; binary values as
    // Windows-1252, numbers and dates as the ASCII the server writes.
    QString DecodeValue(TFieldType type, const char* data, qsizetype size) const;
    QByteArray EncodeValue(TFieldType type, const QString& text) const;

    // Reads every row that is left (buffered data sets): frees the line.
    void YieldLine() override;
    // Takes over another data set's open result with its fields and rows.
    void TakeResultFrom(TUniDataSet& source);

protected:
    struct TRecord {
        std::vector<QByteArray> Values;
        std::vector<char> Nulls;
    };
    // Runs the statement; sets a cursor with AttachCursor when it returns rows.
    virtual void InternalOpen() = 0;
    // Writes an edited row; the default refuses.
    virtual void InternalPost(const TRecord* oldRecord, const TRecord& newRecord);
    virtual bool InternalCanModify() const { return false; }
    // Whether rows are read all at open: the provider option "FetchAll".
    virtual bool FetchAll() const { return true; }
    void AttachCursor(std::unique_ptr<TUniCursor> cursor);
    void SetCountedRecords(qint64 count) { FCountedRecords = count; }
    // Drops the result without talking to the server (the session is gone).
    void AbandonResult();
    TUniCursor* Cursor() const { return FCursor.get(); }

private:
    TTextEncoding ValueEncoding(TFieldType type) const;
    bool FetchBlock(qint64 rows);
    void StoreCurrentRow();
    void ResetPosition();
    void CheckBrowse() const;
    void CheckBidirectional() const;

    bool FActive = false;
    bool FUnicode = false;
    TDataSetState FState = dsInactive;
    bool FUniDirectional = false;
    int FFetchRows = 25;
    std::unique_ptr<TUniCursor> FCursor;
    std::vector<std::unique_ptr<TField>> FFields;
    std::vector<TRecord> FRecords;
    TRecord FEditRecord;
    qint64 FCurrent = -1;
    bool FEof = true;
    bool FBof = true;
    bool FUniRowValid = false;
    qint64 FRecNo = 0;
    qint64 FCountedRecords = -2;   // -2: not counted
};
