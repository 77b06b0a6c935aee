#include "UUniQuery.h"

#include "UUniError.h"
#include "UUniStatement.h"
#include "UUniStmtCursor.h"
#include "UUniTableCatalog.h"
#include "UUniTextCursor.h"
#include "UUniUpdater.h"

#include <mysql.h>
#include <mysqld_error.h>
#include <utility>

TUniQuery::TUniQuery(TComponent* owner) : TUniDataSet(owner)
{
}

TUniQuery::~TUniQuery()
{
    Close();
    UnPrepare();
    if (FConnection)
        FConnection->RemoveClient(this);
}

void TUniQuery::SetConnection(TUniConnection* connection)
{
    if (connection == FConnection)
        return;
    Close();
    UnPrepare();
    if (FConnection)
        FConnection->RemoveClient(this);
    FConnection = connection;
    if (FConnection)
        FConnection->AddClient(this);
}

void TUniQuery::SetSQL(const QString& sql)
{
    Close();
    UnPrepare();
    FSQL = sql;
    FParsed = FParamCheck ? ParseSqlParams(sql) : TParsedSql{sql, {}};
    if (FParsed.Names.isEmpty())
        FParams.Clear();
    else
        FParams.Rebuild(FParsed.Names);
}

void TUniQuery::SetParamCheck(bool value)
{
    if (value == FParamCheck)
        return;
    FParamCheck = value;
    SetSQL(FSQL);
}

bool TUniQuery::FetchAll() const
{
    return FSpecificOptions.BoolValue(QStringLiteral("FetchAll"), true);
}

TUniConnection& TUniQuery::CheckConnection() const
{
    if (!FConnection)
        throw EUniError(QStringLiteral("Connection is not defined"));
    FConnection->CheckedHandle();
    return *FConnection;
}

void TUniQuery::InternalOpen()
{
    ExecuteStatement();
}

void TUniQuery::Execute()
{
    Close();
    ExecuteStatement();
}

std::vector<const TParam*> TUniQuery::OccurrenceValues() const
{
    std::vector<const TParam*> values;
    values.reserve(size_t(FParsed.Names.size()));
    for (const QString& name : FParsed.Names)
        values.push_back(FParams.ParamByName(name));
    return values;
}

void TUniQuery::EnsurePrepared()
{
    if (FStatement && FStatement->IsAlive())
        return;
    TUniConnection& connection = CheckConnection();
    auto statement = std::make_shared<TUniStatement>(connection);
    statement->Prepare(connection.EncodeText(FParsed.Sql));
    FStatement = std::move(statement);
}

void TUniQuery::Prepare()
{
    if (FParsed.Names.isEmpty())
        return;   // a statement without parameters goes as text
    CheckConnection().AcquireLine();
    EnsurePrepared();
}

void TUniQuery::UnPrepare()
{
    FStatement.reset();
}

bool TUniQuery::Prepared() const
{
    return FStatement && FStatement->IsAlive();
}

void TUniQuery::ExecuteStatement()
{
    TUniConnection& connection = CheckConnection();
    connection.AcquireLine();
    connection.StatementRun(FSQL);
    FRowsAffected = -1;
    FUpdatePlan.reset();
    FStaleColumns.clear();
    FResultColumns.clear();
    // Whether the rows can be written back is decided before they stream:
    // nothing else can run on the connection while they do.
    const QString keyword = LeadingKeyword(FSQL);
    const bool selects = keyword == QLatin1String("select") || keyword == QLatin1String("with");
    if (!FReadOnly && !UniDirectional() && selects) {
        TUniTableCatalog& catalog = connection.TableCatalog();
        if (!catalog.FindPlan(connection, FSQL, FUpdatePlan)) {
            FUpdatePlan = PlanUpdates(connection, connection.EncodeText(FParsed.Sql));
            catalog.StorePlan(connection, FSQL, FUpdatePlan);
        }
    }
    // Counted first: nothing else can run while a streaming result is open.
    const qint64 count = FOptions.QueryRecCount ? CountRecords() : -2;

    if (FParsed.Names.isEmpty()) {
        MYSQL* handle = connection.Handle();
        const QByteArray text = connection.EncodeText(FSQL);
        if (mysql_real_query(handle, text.constData(), (unsigned long)(text.size())) != 0)
            connection.RaiseLastError();
        if (mysql_field_count(handle) == 0) {
            FRowsAffected = qint64(mysql_affected_rows(handle));
            FLastInsertId = qint64(mysql_insert_id(handle));
            SkipMoreResults(connection);
            return;
        }
        MYSQL_RES* result = mysql_use_result(handle);
        if (!result)
            connection.RaiseLastError();
        auto cursor = std::make_unique<TUniTextCursor>(&connection, this, result);
        SetCountedRecords(count);
        AttachCursor(std::move(cursor));
        PlanAgain(connection);
        return;
    }

    const std::vector<const TParam*> values = OccurrenceValues();
    EnsurePrepared();
    FStatement->Execute(values);
    if (FStatement->FieldCount() == 0) {
        FRowsAffected = FStatement->AffectedRows();
        FLastInsertId = FStatement->InsertId();
        return;
    }
    auto cursor = std::make_unique<TUniStmtCursor>(&connection, this, FStatement);
    SetCountedRecords(count);
    AttachCursor(std::move(cursor));
    PlanAgain(connection);
}

qint64 TUniQuery::CountRecords()
{
    TUniConnection& connection = CheckConnection();
    const QString sql = QStringLiteral("select count(*) from (\n") + StripStatementEnd(FSQL)
        + QStringLiteral("\n) vq_count");
    try {
        TUniQuery counter;
        counter.SetReadOnly(true);
        counter.SetConnection(&connection);
        counter.SetParamCheck(FParamCheck);
        counter.SetSQL(sql);
        for (const QString& name : FParsed.Names) {
            const TParam* source = FParams.ParamByName(name);
            if (source->Kind() == TParam::TValueKind::File)
                return -1;   // not worth sending a file twice
            *counter.ParamByName(name) = *source;
        }
        counter.Execute();
        if (!counter.Active() || counter.Eof() || counter.FieldCount() == 0)
            return -1;
        bool ok = false;
        const qint64 count = counter.Fields(0)->AsString().toLongLong(&ok);
        counter.Close();
        return ok ? count : -1;
    } catch (const Exception&) {
        return -1;   // "no count", unlike an empty result
    }
}

std::vector<TUniColumn> TUniQuery::GetFieldDefs()
{
    TUniConnection& connection = CheckConnection();
    connection.AcquireLine();
    std::vector<TUniColumn> columns;
    TUniStatement statement(connection);
    try {
        statement.Prepare(connection.EncodeText(FParsed.Sql));
    } catch (const EUniError& e) {
        if (e.ErrorCode() != ER_UNSUPPORTED_PS || !FParsed.Names.isEmpty())
            throw;
        TUniQuery runner;
        runner.SetReadOnly(true);
        runner.SetConnection(&connection);
        runner.SetParamCheck(false);
        runner.SetSQL(FSQL);
        runner.SetUniDirectional(true);
        runner.Execute();
        if (runner.Active() && runner.Cursor())
            columns = runner.Cursor()->Columns();
        runner.Close();
        return columns;
    }
    if (MYSQL_RES* metadata = statement.ResultMetadata()) {
        const unsigned count = mysql_num_fields(metadata);
        const MYSQL_FIELD* fields = mysql_fetch_fields(metadata);
        for (unsigned i = 0; i < count; ++i)
            columns.push_back(ColumnOfField(fields[i], connection));
        mysql_free_result(metadata);
    }
    return columns;
}

void TUniQuery::AdoptResult(TUniQuery& source)
{
    if (&source == this)
        return;
    Close();
    UnPrepare();
    FSQL = source.FSQL;
    FParsed = source.FParsed;
    FParamCheck = source.FParamCheck;
    FParams.Rebuild(FParsed.Names);
    FRowsAffected = source.FRowsAffected;
    FStatement = source.FStatement;
    FUpdatePlan = source.FUpdatePlan;
    TakeResultFrom(source);
}

void TUniQuery::ConnectionClosing()
{
    Close();
    UnPrepare();
}

void TUniQuery::ConnectionLost()
{
    AbandonResult();
    if (FStatement)
        FStatement->Abandon();
}

void TUniQuery::ConnectionDestroyed()
{
    Close();
    FStatement.reset();
    FConnection = nullptr;
}

void TUniQuery::FieldsCreated()
{
    // A kept plan may describe the table as it was: another client can have
    // reordered or renamed its columns since. Its columns must be these.
    if (FUpdatePlan && !FUpdatePlan->MadeFor(Cursor()->Columns())) {
        FStaleColumns = FUpdatePlan->Columns;
        FResultColumns = Cursor()->Columns();
        FUpdatePlan.reset();
    }
    ApplyPlan();
}

void TUniQuery::ApplyPlan()
{
    for (int i = 0; i < FieldCount(); ++i)
        Fields(i)->SetReadOnly(!FUpdatePlan || !FUpdatePlan->Editable(i));
}

void TUniQuery::PlanAgain(TUniConnection& connection)
{
    if (FResultColumns.empty())
        return;
    const std::vector<TUniColumn> stale = std::exchange(FStaleColumns, {});
    const std::vector<TUniColumn> columns = std::exchange(FResultColumns, {});
    TUniTableCatalog& catalog = connection.TableCatalog();
    catalog.DropPlan(connection, FSQL, stale);
    catalog.DropPlan(connection, FSQL, columns);
    // The catalogue is read while the result may still be open: a buffered
    // result reads its rest first (only buffered results are planned).
    FUpdatePlan = PlanUpdates(connection, columns);
    catalog.StorePlan(connection, FSQL, FUpdatePlan);
    ApplyPlan();
}

qint64 TUniQuery::FieldWidthLimit(int index) const
{
    if (!FUpdatePlan || index < 0 || size_t(index) >= FUpdatePlan->Fields.size())
        return -1;
    return FUpdatePlan->Fields[size_t(index)].WidthLimit;
}

void TUniQuery::PrepareWrite()
{
    // The line is freed first: a partly read result, this one's own among
    // them, is read to its end and its rows announced.
    CheckConnection().AcquireLine();
}

void TUniQuery::InternalPost(TUpdateKind kind, const TRecord* oldRecord, TRecord& newRecord,
                             const std::vector<bool>& changed)
{
    if (!FUpdatePlan)
        TUniDataSet::InternalPost(kind, oldRecord, newRecord, changed);
    TUniConnection& connection = CheckConnection();
    std::vector<bool> textFields;
    for (int i = 0; i < FieldCount(); ++i)
        textFields.push_back(IsTextFieldType(Fields(i)->DataType()));
    auto rowOf = [this](const TRecord& record) {
        TUniUpdater::TRow row;
        for (const TStoredValue& value : record.Values)
            row.push_back({value.Null, value.Null ? nullptr : ValueSource(value)});
        return row;
    };
    TUniUpdater updater(connection, *FUpdatePlan, textFields);
    switch (kind) {
    case ukModify:
        updater.Update(rowOf(*oldRecord), rowOf(newRecord), changed);
        break;
    case ukDelete:
        updater.Delete(rowOf(newRecord));
        break;
    case ukInsert: {
        const qint64 id = updater.Insert(rowOf(newRecord), changed);
        // An auto-increment key left empty gets the server's value, so that
        // the new row can be edited again by its key.
        for (size_t i = 0; i < FUpdatePlan->Fields.size(); ++i) {
            TStoredValue& value = newRecord.Values[i];
            if (FUpdatePlan->Fields[i].AutoIncrement && id != 0 && (!changed[i] || value.Null)) {
                value = TStoredValue();
                value.Null = false;
                value.Bytes = QByteArray::number(id);
                value.Length = value.Bytes.size();
            }
        }
        break;
    }
    }
}
