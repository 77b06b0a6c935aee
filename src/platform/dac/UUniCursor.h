#pragma once

#include "UFieldType.h"

#include <QString>
#include <vector>

class TUniConnection;

// The description of one result column.
struct TUniColumn {
    QString Name;
    QString OrgName;     // the column's name in its table, empty for expressions
    QString Table;       // the base table (a view's own name)
    QString Alias;       // the table's name in the statement: its alias, else its name
    QString Schema;
    TFieldType DataType = ftUnknown;
    int NativeType = 0;          // the server's column type code
    unsigned Flags = 0;          // the server's column flags
    unsigned CharsetNr = 0;      // 63: binary
    qint64 Length = 0;           // the declared width in bytes
    int Decimals = 0;
};

// One value of the row the cursor stands on. Data points into the client
// library's row buffer and is valid until the next fetch. A lazy value is not
// in memory: read it with TUniCursor::ReadColumn.
struct TUniCell {
    const char* Data = nullptr;
    qint64 Length = 0;
    bool Null = true;
    bool Lazy = false;
};

// Told when another statement needs the line while this result is still open.
class TUniCursorOwner {
public:
    virtual ~TUniCursorOwner() = default;
    // A buffered owner reads the rest of its rows; a unidirectional one raises.
    virtual void YieldLine() = 0;
};

// A result being read row by row from the server. While it is not at its end
// it holds the connection's line.
class TUniCursor {
public:
    TUniCursor(TUniConnection* connection, TUniCursorOwner* owner);
    virtual ~TUniCursor();
    TUniCursor(const TUniCursor&) = delete;
    TUniCursor& operator=(const TUniCursor&) = delete;

    const std::vector<TUniColumn>& Columns() const { return FColumns; }
    const std::vector<TUniCell>& Cells() const { return FCells; }
    // Moves to the next row; false at the end, which also frees the line.
    bool Fetch();
    bool AtEnd() const { return FAtEnd; }
    // Reads part of a lazy value; the number of bytes read.
    virtual qint64 ReadColumn(int column, qint64 offset, char* buffer, qint64 size);
    // Ends the result early. With many rows left the running statement is
    // stopped on the server (KILL QUERY) so that the rest need not travel.
    void Close();
    // The session died: frees the native handles without a word to the server.
    void Abandon();
    TUniCursorOwner* Owner() const { return FOwner; }
    void SetOwner(TUniCursorOwner* owner) { FOwner = owner; }
    TUniConnection* Connection() const { return FConnection; }

protected:
    virtual bool FetchRow() = 0;          // false at the end; raises on errors
    virtual void FreeResult() = 0;        // reads what is left and frees the result
    virtual void AbandonResult() = 0;
    void Finish();                        // the end: free the result, free the line
    void ReleaseLine();                   // no current row; the line is free

    TUniConnection* FConnection;
    TUniCursorOwner* FOwner;
    std::vector<TUniColumn> FColumns;
    std::vector<TUniCell> FCells;
    bool FAtEnd = false;
};

// The type of a server column, as the layer's field types name it.
struct st_mysql_field;
TFieldType FieldTypeOfColumn(const st_mysql_field& field, bool unicode);
TUniColumn ColumnOfField(const st_mysql_field& field, TUniConnection& connection);
