#include "UUniTextCursor.h"

#include "UUniConnection.h"

#include <mysql.h>

void SkipMoreResults(TUniConnection& connection)
{
    MYSQL* handle = connection.Handle();
    while (handle && mysql_more_results(handle)) {
        if (mysql_next_result(handle) != 0)
            break;
        if (MYSQL_RES* extra = mysql_use_result(handle))
            mysql_free_result(extra);
    }
}

TUniTextCursor::TUniTextCursor(TUniConnection* connection, TUniCursorOwner* owner, MYSQL_RES* result)
    : TUniCursor(connection, owner), FResult(result)
{
    const unsigned count = mysql_num_fields(result);
    const MYSQL_FIELD* fields = mysql_fetch_fields(result);
    FColumns.reserve(count);
    for (unsigned i = 0; i < count; ++i)
        FColumns.push_back(ColumnOfField(fields[i], *connection));
    FCells.resize(count);
    connection->SetLineHolder(this);
}

TUniTextCursor::~TUniTextCursor()
{
    Close();
}

bool TUniTextCursor::FetchRow()
{
    MYSQL_ROW row = mysql_fetch_row(FResult);
    if (!row) {
        MYSQL* handle = FConnection->Handle();
        const unsigned error = handle ? mysql_errno(handle) : 0;
        if (error == 0)
            return false;
        const QString message = FConnection->DecodeText(mysql_error(handle), -1);
        const QString state = QString::fromLatin1(mysql_sqlstate(handle));
        Finish();
        FConnection->RaiseError(error, message, state);
    }
    const unsigned long* lengths = mysql_fetch_lengths(FResult);
    const size_t count = FCells.size();
    for (size_t i = 0; i < count; ++i) {
        TUniCell& cell = FCells[i];
        cell.Data = row[i];
        cell.Null = row[i] == nullptr;
        cell.Length = cell.Null ? 0 : qint64(lengths[i]);
    }
    return true;
}

void TUniTextCursor::FreeResult()
{
    if (!FResult)
        return;
    mysql_free_result(FResult);   // reads away the rows that are left
    FResult = nullptr;
    SkipMoreResults(*FConnection);
}

void TUniTextCursor::AbandonResult()
{
    // The session is gone: the rows that are left cannot be read; the result
    // only frees its memory.
    if (FResult) {
        mysql_free_result(FResult);
        FResult = nullptr;
    }
}
