#pragma once

#include "UNameValueList.h"
#include "base/UComponent.h"

#include <QString>
#include <QStringList>

// The SQL dialect of a database product: identifier quoting, literal
// escaping and the statement pieces that differ between products. Stateless;
// any number of instances may exist. The rest of the program uses
// QuoteIdentifier, QualifiedName and GetLongTextTypeName.
class TDBHelper : public TObject {
public:
    // The generic form leaves a name as it is.
    virtual QString QuoteIdentifier(const QString& name) const;
    // Generic: every "'" doubled.
    virtual QString EscapeLiteral(const QString& text) const;
    // An insert that updates the row when the key exists. The values are
    // used as given (escaped literals or placeholders); values has at least
    // as many entries as columns.
    virtual QString GetUpsertSql(const QString& schema, const QString& table, const QString& keyColumn,
                                 const QStringList& columns, const QStringList& values) const = 0;
    virtual QString GetParamName(const QString& name, const QString& unused) const;
    virtual QString GetParamPlaceholder(const QString& name, const QString& unused) const;
    virtual bool NeedsStringToDate() const = 0;
    // Raises "Class: X Should implement GetStringToDateFunction" when the
    // dialect needs the function but does not supply it.
    virtual QString GetStringToDateFunction() const;
    virtual QString GetNowSql() const;
    virtual QString AddLimit(const QString& sql, int rowCount) const;
    virtual QString GetBlobTypeName() const;
    virtual QString GetClobTypeName() const;
    virtual QString GetLongTextTypeName() const;
    virtual bool IsSingleSelect(const QString& sql) const;
    // Cuts an over-wide row of varchar columns down; name=type entries,
    // changed in place. The generic form changes nothing.
    virtual void AdjustColumnTypes(TNameValueList& columnTypes) const;

    // The object name, trimmed and quoted, after the trimmed and quoted
    // schema and a point; a blank schema gives the quoted object alone.
    QString QualifiedName(const QString& schema, const QString& objectName) const;

    // A name read from the server's catalogue, as an identifier: it is the
    // name itself, so nothing is trimmed and a backtick in it is a character
    // of the name. The generic form leaves it as it is.
    virtual QString QuoteCatalogueName(const QString& name) const;
    // QualifiedName for catalogue names; a blank schema (no database name
    // can end with a blank) gives the object alone.
    QString CatalogueQualifiedName(const QString& schema, const QString& objectName) const;
    // A name made by the program (an index, a key constraint): as it is when
    // it is a plain word, quoted when anything in it needs quotes.
    virtual QString QuoteNameWhenNeeded(const QString& name) const;
};
