#pragma once

#include "UFieldTypesInfo.h"

class TDBObjectFactory;

// The column kinds of one table, for the dialogs' column lists.
class TTableFieldTypesInfo : public TFieldTypesInfo {
public:
    // Borrowed: its connection and dictionary are used.
    void SetFactory(TDBObjectFactory* factory) { FFactory = factory; }
    TDBObjectFactory* Factory() const { return FFactory; }

    // Fills the lists from the table's columns, in their order; the table is
    // named as a person types it (trimmed, an already quoted name kept).
    virtual void LoadTable(const QString& schema, const QString& table);
    // The same for a table named as the server's catalogue names it: the
    // name exactly as it stands.
    void LoadCatalogueTable(const QString& schema, const QString& table);

private:
    // Clears the lists; raises without a factory to read the table through.
    TDBObjectFactory& CheckedFactory(const QString& table);
    void LoadQualified(const QString& qualifiedName);

    TDBObjectFactory* FFactory = nullptr;
};
