#pragma once

#include "UUniCursor.h"

typedef struct st_mysql_res MYSQL_RES;

// A result of the text protocol, read row by row as the server sends it
// (mysql_use_result): one row in memory, its values read in place.
class TUniTextCursor : public TUniCursor {
public:
    // Takes over the result of the statement just run on the connection.
    TUniTextCursor(TUniConnection* connection, TUniCursorOwner* owner, MYSQL_RES* result);
    ~TUniTextCursor() override;

protected:
    bool FetchRow() override;
    void FreeResult() override;
    void AbandonResult() override;

private:
    MYSQL_RES* FResult;
};

// Reads away what a statement left after its result: the further results of
// a CALL. Errors are ignored; the line is free afterwards.
void SkipMoreResults(TUniConnection& connection);
