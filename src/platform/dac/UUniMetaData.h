#pragma once

#include "UUniQuery.h"

// A catalogue read as a data set. Kinds and their columns:
// - "Tables": TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE;
//   restrictions TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE ("BASE TABLE" or "VIEW").
// - "Columns": TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, POSITION,
//   DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE (1/0),
//   DEFAULT_VALUE; restrictions TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME.
// - "Indexes": TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, INDEX_NAME, UNIQUE
//   (1/0); restrictions TABLE_SCHEMA, TABLE_NAME, INDEX_NAME.
// - "IndexColumns": TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, INDEX_NAME,
//   COLUMN_NAME, COLUMN_POSITION, SORT_ORDER, UNIQUE; same restrictions.
// The schema is TABLE_SCHEMA, else TABLE_CATALOG, else the current database.
// Rows come in table order: columns by position, index columns by their
// place in the index, the primary key first among the indexes.
class TUniMetaData : public TUniQuery {
public:
    // A catalogue is read, never written back.
    explicit TUniMetaData(TComponent* owner = nullptr) : TUniQuery(owner) { SetReadOnly(true); }

    QString MetaDataKind() const { return FMetaDataKind; }
    void SetMetaDataKind(const QString& kind) { Close(); FMetaDataKind = kind; }
    TUniOptions& Restrictions() { return FRestrictions; }

protected:
    void InternalOpen() override;

private:
    QString FMetaDataKind;
    TUniOptions FRestrictions;
};
