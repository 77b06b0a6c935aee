#pragma once

#include "UDBDictionary.h"

#include <memory>

class TUniQuery;

// The table and view lists through the catalogue reads of the data-access
// layer, and the connection's caption.
class TUniDBDictionary : public TDBDictionary {
public:
    QString GetConnectionCaption() const override;
    QStringList GetTables(const QString& schema) const override;
    QStringList GetViews(const QString& schema) const override;

    // The names of the schema's objects of one type ("BASE TABLE", "VIEW").
    virtual QStringList GetTableNames(const QString& schema, const QString& objectType) const;
    // A query on the dictionary's connection; the caller owns it.
    std::unique_ptr<TUniQuery> NewQuery() const;
};
