#pragma once

#include "UFieldTypesInfo.h"

#include <memory>

class TUniConnection;
class TUniQuery;

// The column kinds of a SELECT text, read from the server's description of
// the prepared statement: the statement itself does not run, so no rows
// travel and a statement with side effects does nothing.
class TQueryFieldTypesInfo : public TFieldTypesInfo {
public:
    TQueryFieldTypesInfo();
    ~TQueryFieldTypesInfo() override;

    void SetConnection(TUniConnection* connection);
    // Fills the lists from the statement's result columns; a statement the
    // server refuses raises its error.
    void LoadFromSql(const QString& sql);

private:
    std::unique_ptr<TUniQuery> FQuery;
};
