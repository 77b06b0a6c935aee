#pragma once

#include <QByteArray>
#include <functional>
#include <vector>

typedef struct st_mysql_stmt MYSQL_STMT;
typedef struct st_mysql_res MYSQL_RES;
struct st_mysql_bind;
class TUniConnection;
class TParam;

// A server-side prepared statement of one session. Large values (files,
// long texts and byte arrays) travel in chunks ahead of the execution, so the
// client holds one chunk of them at a time.
class TUniStatement {
public:
    // Bytes of a large value sent per packet.
    static constexpr qint64 ChunkSize = 1 << 20;

    explicit TUniStatement(TUniConnection& connection);
    ~TUniStatement();
    TUniStatement(const TUniStatement&) = delete;
    TUniStatement& operator=(const TUniStatement&) = delete;

    void Prepare(const QByteArray& sql);   // raises the server's error
    // Prepared on the connection's current session (none of an older one).
    bool IsAlive() const;
    unsigned ParamCount() const;
    unsigned FieldCount() const;
    // The result's columns without executing; nullptr when it returns no rows.
    MYSQL_RES* ResultMetadata() const;
    // Binds the values (one per "?", in order), sends the large ones, runs it.
    void Execute(const std::vector<const TParam*>& params);
    qint64 AffectedRows() const;
    qint64 InsertId() const;
    MYSQL_STMT* Handle() const { return FHandle; }
    TUniConnection& Connection() const { return FConnection; }
    // The session is gone: frees the native statement.
    void Abandon();
    [[noreturn]] void RaiseError();

    // Called after every chunk of a large value has gone out, so that a long
    // value keeps the window live. An exception from it abandons the value:
    // the statement is reset and not executed. Process-wide; empty for none.
    static void SetChunkHook(std::function<void()> hook);

private:
    struct TBoundValue;
    static std::function<void()>& ChunkHook();

    TUniConnection& FConnection;
    MYSQL_STMT* FHandle = nullptr;
    quint64 FGeneration = 0;
    // One value and bind per "?", kept between executions so that their
    // memory (a file's bytes up to one chunk among them) is reused row by row.
    std::vector<TBoundValue> FValues;
    std::vector<st_mysql_bind> FBinds;
};
