#include "UUniCursor.h"

#include "UUniConnection.h"

#include <mysql.h>

namespace {

// Before an early close pays for KILL QUERY (a second session), a few rows
// are simply read away: most results that are closed early are short.
constexpr qint64 DrainRowsBeforeKill = 256;
constexpr qint64 DrainBytesBeforeKill = 1 << 20;

constexpr unsigned BinaryCharset = 63;

}  // namespace

// How server columns map to field types (narrow with UseUnicode off, wide on):
//
//   column                                   field type
//   TINYINT                                  ftShortint (unsigned: ftSmallint)
//   SMALLINT, YEAR                           ftSmallint (unsigned: ftInteger)
//   MEDIUMINT, INT                           ftInteger  (unsigned INT: ftLargeint)
//   BIGINT                                   ftLargeint (also unsigned; its text stays exact)
//   DECIMAL, NUMERIC                         ftBCD
//   FLOAT, DOUBLE                            ftFloat
//   DATE / TIME / DATETIME, TIMESTAMP        ftDate / ftTime / ftDateTime
//   CHAR                                     ftFixedChar (ftWideString)
//   VARCHAR, ENUM, SET, NULL                 ftString    (ftWideString)
//   BINARY / VARBINARY, BIT                  ftBytes / ftVarBytes
//   TINYTEXT ... LONGTEXT, JSON              ftMemo      (ftWideMemo)
//   TINYBLOB ... LONGBLOB, GEOMETRY          ftBlob
TFieldType FieldTypeOfColumn(const MYSQL_FIELD& field, bool unicode)
{
    const bool isUnsigned = field.flags & UNSIGNED_FLAG;
    const bool isBinary = field.charsetnr == BinaryCharset;
    const TFieldType narrowText = unicode ? ftWideString : ftString;
    switch (field.type) {
    case MYSQL_TYPE_TINY:
        return isUnsigned ? ftSmallint : ftShortint;
    case MYSQL_TYPE_YEAR:
        return ftSmallint;
    case MYSQL_TYPE_SHORT:
        return isUnsigned ? ftInteger : ftSmallint;
    case MYSQL_TYPE_INT24:
        return ftInteger;
    case MYSQL_TYPE_LONG:
        return isUnsigned ? ftLargeint : ftInteger;
    case MYSQL_TYPE_LONGLONG:
        return ftLargeint;
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
        return ftBCD;
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
        return ftFloat;
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE:
        return ftDate;
    case MYSQL_TYPE_TIME:
    case MYSQL_TYPE_TIME2:
        return ftTime;
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_DATETIME2:
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_TIMESTAMP2:
        return ftDateTime;
    case MYSQL_TYPE_BIT:
        return ftVarBytes;
    case MYSQL_TYPE_ENUM:
    case MYSQL_TYPE_SET:
    case MYSQL_TYPE_NULL:
        return narrowText;
    case MYSQL_TYPE_STRING:
        if (field.flags & (ENUM_FLAG | SET_FLAG))
            return narrowText;
        if (isBinary)
            return ftBytes;
        return unicode ? ftWideString : ftFixedChar;
    case MYSQL_TYPE_VARCHAR:
    case MYSQL_TYPE_VAR_STRING:
        return isBinary ? ftVarBytes : narrowText;
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_BLOB:
        if (isBinary)
            return ftBlob;
        return unicode ? ftWideMemo : ftMemo;
    case MYSQL_TYPE_JSON:
        return unicode ? ftWideMemo : ftMemo;
    case MYSQL_TYPE_GEOMETRY:
        return ftBlob;
    default:
        return narrowText;
    }
}

TUniColumn ColumnOfField(const MYSQL_FIELD& field, TUniConnection& connection)
{
    TUniColumn column;
    column.Name = connection.DecodeText(field.name, field.name_length);
    column.OrgName = connection.DecodeText(field.org_name, field.org_name_length);
    column.Table = connection.DecodeText(field.org_table, field.org_table_length);
    column.Alias = connection.DecodeText(field.table, field.table_length);
    column.Schema = connection.DecodeText(field.db, field.db_length);
    column.DataType = FieldTypeOfColumn(field, connection.IsUnicode());
    column.NativeType = field.type;
    column.Flags = field.flags;
    column.CharsetNr = field.charsetnr;
    column.Length = field.length;
    column.Decimals = int(field.decimals);
    return column;
}

TUniCursor::TUniCursor(TUniConnection* connection, TUniCursorOwner* owner)
    : FConnection(connection), FOwner(owner)
{
}

TUniCursor::~TUniCursor()
{
    if (FConnection && FConnection->LineHolder() == this)
        FConnection->SetLineHolder(nullptr);
}

bool TUniCursor::Fetch()
{
    if (FAtEnd)
        return false;
    if (FetchRow())
        return true;
    Finish();
    return false;
}

qint64 TUniCursor::ReadColumn(int, qint64, char*, qint64)
{
    return 0;
}

void TUniCursor::Finish()
{
    if (!FAtEnd) {
        FAtEnd = true;
        FreeResult();
    }
    ReleaseLine();
}

void TUniCursor::ReleaseLine()
{
    for (TUniCell& cell : FCells)
        cell = TUniCell();
    if (FConnection->LineHolder() == this)
        FConnection->SetLineHolder(nullptr);
}

void TUniCursor::Close()
{
    if (FAtEnd)
        return;
    try {
        qint64 rows = 0;
        qint64 bytes = 0;
        while (rows < DrainRowsBeforeKill && bytes < DrainBytesBeforeKill) {
            if (!FetchRow()) {
                Finish();
                return;
            }
            ++rows;
            for (const TUniCell& cell : FCells)
                bytes += cell.Length;
        }
        FConnection->KillRunningQuery();
    } catch (...) {
        // The result is being thrown away: an error while reading it away
        // (the interrupted statement's own error among them) changes nothing.
    }
    Finish();
}

void TUniCursor::Abandon()
{
    if (FAtEnd)
        return;
    FAtEnd = true;
    AbandonResult();
    ReleaseLine();
}
