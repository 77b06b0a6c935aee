#pragma once

#include "UFieldTypesInfo.h"

class TDBObjectFactory;

// The column kinds of one table, for the dialogs' column lists.
class TTableFieldTypesInfo : public TFieldTypesInfo {
public:
    // Borrowed: its connection and dictionary are used.
    void SetFactory(TDBObjectFactory* factory) { FFactory = factory; }
    TDBObjectFactory* Factory() const { return FFactory; }

    // Fills the lists from the table's columns, in their order.
    virtual void LoadTable(const QString& schema, const QString& table);

private:
    TDBObjectFactory* FFactory = nullptr;
};
