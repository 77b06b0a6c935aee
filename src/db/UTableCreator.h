#pragma once

#include "UFieldInfo.h"
#include "base/UComponent.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TDBHelper;
class TSqlExecutor;
class TTableInfo;

// Builds and runs CREATE TABLE and CREATE INDEX scripts for one database
// type; created by the qualified name "U<type>TableCreator.T<type>TableCreator".
// It also owns the name rules (normalising any text into a legal name and
// checking a typed one) and the type lists that the create-table dialog offers.
// A descendant calls Construct() at the end of its constructor, so that the
// type lists and the dialect come from its own overrides.
class TTableCreator : public TObject {
public:
    // Yields a number from 0 to 99; the suffix of an index name that is taken.
    using TRandomGenerator = std::function<int()>;

    TTableCreator();
    ~TTableCreator() override;

    // Borrowed; Generate reads the description through it.
    void SetTableInfo(TTableInfo* info) { FTableInfo = info; }
    virtual void SetExecutor(TSqlExecutor* executor) { FExecutor = executor; }
    void SetRandomGenerator(TRandomGenerator generator) { FRandom = std::move(generator); }

    // Builds the CREATE TABLE statement, the unique column names and the
    // CREATE INDEX statements from the description set last; rewrites its
    // NotNulls so that only key columns and the only column of a unique index
    // stay marked. Does not validate.
    void Generate(TTableInfo* info);
    // The CREATE TABLE statement, CR LF, and every index statement followed
    // by CR LF. Statements are separated by line breaks only.
    QString GetScript() const;
    // True when the script ran; a failing statement raises the server's
    // message (earlier statements stay in effect).
    bool ExecuteSql(const QString& script);

    QString NormalizeTableName(const QString& text) const;
    QString NormalizeFieldName(const QString& text) const;
    // Empty when the name is acceptable, else the message for the user.
    QString CheckTableName(const QString& name) const;
    QString CheckFieldName(const QString& name) const;
    QString CheckIndexName(const QString& name) const;

    const QStringList& Types() const { return FTypes; }
    const QStringList& StringTypes() const { return FStringTypes; }
    const QStringList& LobTypes() const { return FLobTypes; }
    const QString& DefaultType() const { return FDefaultType; }
    const QStringList& ColumnNames() const { return FColumnNames; }
    const QString& CreateScript() const { return FCreateScript; }
    const QStringList& IndexScripts() const { return FIndexScripts; }
    TDBHelper* Helper() const { return FHelper.get(); }

    virtual int MaxTableNameLength() const { return 255; }
    virtual int MaxFieldNameLength() const { return 255; }
    virtual QString NormalizeCase(const QString& name) const { return name; }
    virtual bool SupportsAutoIncrement() const { return false; }
    virtual bool SupportsDefaultValue() const { return true; }
    virtual bool SupportsNotNull() const { return true; }
    virtual bool SupportsIndexes() const { return true; }

protected:
    // The construction steps that need the descendant's overrides.
    void Construct();

    virtual void BeforeExecute(const QString&) {}
    virtual void AfterExecute() {}
    virtual std::unique_ptr<TDBHelper> CreateHelper() const = 0;
    virtual QString GetQualifiedTableName() const;
    virtual QString MapType(const QString& type) const { return type; }
    // The clause for the column in FFieldInfo.
    virtual QString GetDefaultClause() const = 0;
    virtual QString GetAutoIncrementClause() const = 0;
    virtual QString GetTableOptions() const { return QString(); }
    virtual bool IndexNamesPerTable() const { return true; }
    virtual void FillTypes() = 0;
    virtual void FillLobTypes() = 0;

    QStringList FTypes;
    QStringList FStringTypes;
    QStringList FLobTypes;
    QString FDefaultType;
    TFieldInfo FFieldInfo;

private:
    enum class TNameKind { Table, Field, Index };

    QString NormalizeName(const QString& text, TNameKind kind) const;
    QString CheckName(const QString& name, TNameKind kind) const;
    QString ApplyDottedPathRule(const QString& text) const;
    void MarkNotNulls();
    void MakeUniqueColumnNames();
    void LoadFieldInfo(const QString& name);
    bool TypesDeclarePrimaryKey(const QStringList& mappedTypes) const;
    void GenerateIndexScripts();

    QString FCreateScript;
    QStringList FIndexScripts;
    QStringList FStripChars;
    QStringList FForbiddenChars;
    QStringList FSeparatorChars;
    QStringList FWideChars;
    TTableInfo* FTableInfo = nullptr;
    TSqlExecutor* FExecutor = nullptr;
    std::unique_ptr<TDBHelper> FHelper;
    QStringList FColumnNames;
    TRandomGenerator FRandom;
};
