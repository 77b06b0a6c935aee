#pragma once

#include "UUniUpdatePlan.h"
#include "UValueSource.h"

#include <memory>
#include <vector>

class TUniConnection;

// Writes rows of a result back by key, as prepared statements with the names
// quoted: UPDATE of the changed columns only, WHERE the key as it was read,
// LIMIT 1; INSERT of the columns given values; DELETE ... LIMIT 1. Large
// values go in chunks. An UPDATE or DELETE that matches no row raises: the
// row was changed or deleted since it was read.
class TUniUpdater {
public:
    // One value of a row: null, or bytes as the session reads them.
    struct TValue {
        bool Null = true;
        std::shared_ptr<const TValueSource> Source;
    };
    using TRow = std::vector<TValue>;

    TUniUpdater(TUniConnection& connection, const TUniUpdatePlan& plan, const std::vector<bool>& textFields);

    void Update(const TRow& oldRow, const TRow& newRow, const std::vector<bool>& changed);
    // The auto-increment value the server gave, 0 when none.
    qint64 Insert(const TRow& newRow, const std::vector<bool>& given);
    void Delete(const TRow& row);

    static QString NotFoundMessage();

private:
    QString QualifiedTable() const;

    TUniConnection& FConnection;
    const TUniUpdatePlan& FPlan;
    std::vector<bool> FTextFields;
};
