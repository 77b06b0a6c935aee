#pragma once

#include "UUniCursor.h"

#include <memory>
#include <vector>

class TUniStatement;
struct st_mysql_bind;

// The result of a prepared statement, read row by row as the server sends it.
// Large-object values stay in the received row until asked for, and are then
// copied out in pieces of any size (ReadColumn).
class TUniStmtCursor : public TUniCursor {
public:
    TUniStmtCursor(TUniConnection* connection, TUniCursorOwner* owner,
                   std::shared_ptr<TUniStatement> statement);
    ~TUniStmtCursor() override;
    qint64 ReadColumn(int column, qint64 offset, char* buffer, qint64 size) override;

protected:
    bool FetchRow() override;
    void FreeResult() override;
    void AbandonResult() override;

private:
    struct TBuffer {
        std::vector<char> Data;
        unsigned long Length = 0;
        char IsNull = 0;
        char Error = 0;
        bool Lazy = false;
    };
    std::shared_ptr<TUniStatement> FStatement;
    std::vector<TBuffer> FBuffers;
    std::vector<st_mysql_bind> FBinds;
};
