#include "UUniUpdater.h"

#include "UParam.h"
#include "UUniConnection.h"
#include "UUniError.h"
#include "UUniStatement.h"

#include <mysql.h>

namespace {

QString QuoteName(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('`'), QStringLiteral("``"));
    return QLatin1Char('`') + quoted + QLatin1Char('`');
}

// "Rows matched: N" of the server's report on an UPDATE: a row whose values
// did not change still counts as found.
qint64 MatchedRows(MYSQL* handle, qint64 affected)
{
    const char* info = handle ? mysql_info(handle) : nullptr;
    if (!info)
        return affected;
    const QByteArray text(info);
    const qsizetype at = text.indexOf("matched:");
    if (at < 0)
        return affected;
    bool ok = false;
    const qint64 matched = text.mid(at + 8).trimmed().split(' ').value(0).toLongLong(&ok);
    return ok ? matched : affected;
}

}  // namespace

TUniUpdater::TUniUpdater(TUniConnection& connection, const TUniUpdatePlan& plan, const std::vector<bool>& textFields)
    : FConnection(connection), FPlan(plan), FTextFields(textFields)
{
}

QString TUniUpdater::NotFoundMessage()
{
    return QStringLiteral("The row was not found: it was changed or deleted since it was read.");
}

QString TUniUpdater::QualifiedTable() const
{
    return QuoteName(FPlan.Schema) + QLatin1Char('.') + QuoteName(FPlan.Table);
}

namespace {

struct TBoundStatement {
    QString Sql;
    std::vector<std::unique_ptr<TParam>> Params;

    void Bind(const TUniUpdater::TValue& value, bool text)
    {
        auto param = std::make_unique<TParam>(QString::number(Params.size()));
        if (value.Null)
            param->Clear();
        else
            param->SetAsStream(value.Source, text ? ftMemo : ftBlob);
        Params.push_back(std::move(param));
    }

    std::vector<const TParam*> Values() const
    {
        std::vector<const TParam*> values;
        for (const auto& param : Params)
            values.push_back(param.get());
        return values;
    }
};

}  // namespace

void TUniUpdater::Update(const TRow& oldRow, const TRow& newRow, const std::vector<bool>& changed)
{
    TBoundStatement statement;
    QStringList sets;
    for (size_t i = 0; i < FPlan.Fields.size(); ++i) {
        if (!changed.at(i) || !FPlan.Editable(int(i)))
            continue;
        sets.append(QuoteName(FPlan.Fields[i].Column) + QStringLiteral(" = ?"));
        statement.Bind(newRow.at(i), FTextFields.at(i));
    }
    if (sets.isEmpty())
        return;
    QStringList where;
    for (int field : FPlan.KeyFields) {
        where.append(QuoteName(FPlan.Fields[size_t(field)].Column) + QStringLiteral(" = ?"));
        statement.Bind(oldRow.at(size_t(field)), FTextFields.at(size_t(field)));
    }
    statement.Sql = QStringLiteral("UPDATE ") + QualifiedTable() + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "))
        + QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND ")) + QStringLiteral(" LIMIT 1");
    TUniStatement prepared(FConnection);
    prepared.Prepare(FConnection.EncodeText(statement.Sql));
    prepared.Execute(statement.Values());
    if (MatchedRows(FConnection.Handle(), prepared.AffectedRows()) == 0)
        throw EUniError(NotFoundMessage());
}

qint64 TUniUpdater::Insert(const TRow& newRow, const std::vector<bool>& given)
{
    TBoundStatement statement;
    QStringList names;
    for (size_t i = 0; i < FPlan.Fields.size(); ++i) {
        if (!given.at(i) || !FPlan.Editable(int(i)))
            continue;
        names.append(QuoteName(FPlan.Fields[i].Column));
        statement.Bind(newRow.at(i), FTextFields.at(i));
    }
    QStringList marks;
    for (qsizetype i = 0; i < names.size(); ++i)
        marks.append(QStringLiteral("?"));
    statement.Sql = QStringLiteral("INSERT INTO ") + QualifiedTable() + QStringLiteral(" (") + names.join(QStringLiteral(", "))
        + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    TUniStatement prepared(FConnection);
    prepared.Prepare(FConnection.EncodeText(statement.Sql));
    prepared.Execute(statement.Values());
    return prepared.InsertId();
}

void TUniUpdater::Delete(const TRow& row)
{
    TBoundStatement statement;
    QStringList where;
    for (int field : FPlan.KeyFields) {
        where.append(QuoteName(FPlan.Fields[size_t(field)].Column) + QStringLiteral(" = ?"));
        statement.Bind(row.at(size_t(field)), FTextFields.at(size_t(field)));
    }
    statement.Sql = QStringLiteral("DELETE FROM ") + QualifiedTable() + QStringLiteral(" WHERE ")
        + where.join(QStringLiteral(" AND ")) + QStringLiteral(" LIMIT 1");
    TUniStatement prepared(FConnection);
    prepared.Prepare(FConnection.EncodeText(statement.Sql));
    prepared.Execute(statement.Values());
    if (prepared.AffectedRows() == 0)
        throw EUniError(NotFoundMessage());
}
