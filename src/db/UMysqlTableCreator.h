#pragma once

#include "UTableCreator.h"

// The MySQL table creator: its type lists, DEFAULT and AUTO_INCREMENT
// clauses, table options, the 64-character name limit and lower-case names.
// Created by the qualified name "UMysqlTableCreator.TMysqlTableCreator".
class TMysqlTableCreator : public TTableCreator {
public:
    TMysqlTableCreator();

    int MaxTableNameLength() const override { return 64; }
    int MaxFieldNameLength() const override { return 64; }
    QString NormalizeCase(const QString& name) const override { return name.toLower(); }
    bool SupportsAutoIncrement() const override { return true; }

protected:
    std::unique_ptr<TDBHelper> CreateHelper() const override;
    // By the exact type text; a quoted value is escaped as a literal, so a
    // quote or a backslash in it reaches the server unchanged.
    QString GetDefaultClause() const override;
    QString GetAutoIncrementClause() const override;
    QString GetTableOptions() const override;
    void FillTypes() override;
    void FillLobTypes() override;
};
