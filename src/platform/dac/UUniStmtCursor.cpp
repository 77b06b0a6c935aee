#include "UUniStmtCursor.h"

#include "UUniConnection.h"
#include "UUniStatement.h"

#include <mysql.h>

namespace {

// Values up to this size are copied out with the row; longer ones of
// non-large-object columns are fetched again at their full size.
constexpr unsigned long MaxInlineBuffer = 64 * 1024;

}  // namespace

TUniStmtCursor::TUniStmtCursor(TUniConnection* connection, TUniCursorOwner* owner,
                               std::shared_ptr<TUniStatement> statement)
    : TUniCursor(connection, owner), FStatement(std::move(statement))
{
    MYSQL_RES* metadata = FStatement->ResultMetadata();
    const unsigned count = metadata ? mysql_num_fields(metadata) : 0;
    const MYSQL_FIELD* fields = metadata ? mysql_fetch_fields(metadata) : nullptr;
    FColumns.reserve(count);
    for (unsigned i = 0; i < count; ++i)
        FColumns.push_back(ColumnOfField(fields[i], *connection));
    if (metadata)
        mysql_free_result(metadata);
    FCells.resize(count);
    FBuffers.resize(count);
    FBinds.resize(count);
    for (unsigned i = 0; i < count; ++i) {
        TBuffer& buffer = FBuffers[i];
        MYSQL_BIND& bind = FBinds[i];
        const TFieldType type = FColumns[i].DataType;
        buffer.Lazy = IsBlobFieldType(type);
        const bool binary = buffer.Lazy || type == ftBytes || type == ftVarBytes;
        // Numbers and dates come as the text the server would write for them.
        bind.buffer_type = binary ? MYSQL_TYPE_BLOB : MYSQL_TYPE_STRING;
        const unsigned long width = buffer.Lazy ? 0
            : std::clamp<unsigned long>((unsigned long)(FColumns[i].Length) + 1, 64, MaxInlineBuffer);
        buffer.Data.resize(std::max<unsigned long>(width, 1));
        bind.buffer = buffer.Data.data();
        bind.buffer_length = width;
        bind.length = &buffer.Length;
        bind.is_null = &buffer.IsNull;
        bind.error = &buffer.Error;
    }
    if (count && mysql_stmt_bind_result(FStatement->Handle(), FBinds.data()) != 0) {
        FAtEnd = true;
        FStatement->RaiseError();
    }
    connection->SetLineHolder(this);
}

TUniStmtCursor::~TUniStmtCursor()
{
    Close();
}

bool TUniStmtCursor::FetchRow()
{
    MYSQL_STMT* handle = FStatement->Handle();
    const int rc = mysql_stmt_fetch(handle);
    if (rc == MYSQL_NO_DATA)
        return false;
    if (rc == 1) {
        const unsigned code = mysql_stmt_errno(handle);
        const QString message = FConnection->DecodeText(mysql_stmt_error(handle), -1);
        const QString state = QString::fromLatin1(mysql_stmt_sqlstate(handle));
        Finish();
        FConnection->RaiseError(code, message, state);
    }
    for (size_t i = 0; i < FCells.size(); ++i) {
        TBuffer& buffer = FBuffers[i];
        TUniCell& cell = FCells[i];
        cell.Null = buffer.IsNull;
        cell.Length = cell.Null ? 0 : qint64(buffer.Length);
        cell.Lazy = buffer.Lazy && !cell.Null;
        cell.Data = nullptr;
        if (cell.Null || cell.Lazy)
            continue;
        if (buffer.Length > FBinds[i].buffer_length) {
            buffer.Data.resize(buffer.Length + 1);
            ReadColumn(int(i), 0, buffer.Data.data(), qint64(buffer.Length));
            // The next row binds the grown buffer: it is used in place.
            FBinds[i].buffer = buffer.Data.data();
            FBinds[i].buffer_length = buffer.Length;
            mysql_stmt_bind_result(handle, FBinds.data());
        }
        cell.Data = buffer.Data.data();
    }
    return true;
}

qint64 TUniStmtCursor::ReadColumn(int column, qint64 offset, char* buffer, qint64 size)
{
    const TUniCell& cell = FCells.at(size_t(column));
    if (cell.Null || offset >= cell.Length || size <= 0)
        return 0;
    MYSQL_BIND bind{};
    unsigned long length = 0;
    char isNull = 0;
    bind.buffer_type = MYSQL_TYPE_BLOB;
    bind.buffer = buffer;
    bind.buffer_length = (unsigned long)(size);
    bind.length = &length;
    bind.is_null = &isNull;
    if (mysql_stmt_fetch_column(FStatement->Handle(), &bind, unsigned(column), (unsigned long)(offset)) != 0)
        FStatement->RaiseError();
    return std::min<qint64>(size, cell.Length - offset);
}

void TUniStmtCursor::FreeResult()
{
    MYSQL_STMT* handle = FStatement->Handle();
    if (!handle)
        return;
    mysql_stmt_free_result(handle);   // reads away the rows that are left
    while (mysql_stmt_more_results(handle)) {
        if (mysql_stmt_next_result(handle) != 0)
            break;
        mysql_stmt_free_result(handle);
    }
}

void TUniStmtCursor::AbandonResult()
{
    // The statement is freed with the session by its owner.
}
