#pragma once

#include "UParam.h"
#include "UUniConnection.h"
#include "UUniDataSet.h"
#include "UUniOptions.h"
#include "UUniSqlUtil.h"
#include "UUniUpdatePlan.h"

#include <memory>

class TUniStatement;

// Options of a query that are not provider options.
struct TUniQueryOptions {
    // Count the rows with "select count(*)" over the statement before it
    // runs; RecordCount then gives that count, -1 when it failed.
    bool QueryRecCount = false;
};

// A statement on a connection and, when it returns rows, its result.
// Without parameters the statement goes as text; with ":name" parameters it
// is prepared on the server and the values are bound to it.
class TUniQuery : public TUniDataSet, public TUniConnectionClient {
public:
    explicit TUniQuery(TComponent* owner = nullptr);
    ~TUniQuery() override;

    TUniConnection* Connection() const { return FConnection; }
    void SetConnection(TUniConnection* connection);
    const QString& SQL() const { return FSQL; }
    void SetSQL(const QString& sql);            // closes and unprepares
    // Whether ":name" marks parameters (on by default).
    bool ParamCheck() const { return FParamCheck; }
    void SetParamCheck(bool value);
    TParams& Params() { return FParams; }
    TParam* ParamByName(const QString& name) const { return FParams.ParamByName(name); }
    TParam* FindParam(const QString& name) const { return FParams.FindParam(name); }
    // Provider options: "FetchAll" (default True) reads every row at open.
    TUniOptions& SpecificOptions() { return FSpecificOptions; }
    TUniQueryOptions& Options() { return FOptions; }
    // A read-only query never asks whether its rows can be written back; a
    // modifiable one decides it before a SELECT runs (see PlanUpdates).
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    // The plan by which the rows are written back; null: read-only.
    const std::shared_ptr<const TUniUpdatePlan>& UpdatePlan() const { return FUpdatePlan; }

    // Runs the statement; a statement that returns rows leaves the query open
    // on its result (Active), others set RowsAffected.
    void Execute();
    void ExecSQL() { Execute(); }
    bool IsQuery() const { return Active(); }
    qint64 RowsAffected() const { return FRowsAffected; }
    qint64 LastInsertId() const { return FLastInsertId; }

    // Prepares a statement with parameters on the server; Execute prepares
    // when needed and reuses the prepared statement while the text stays.
    void Prepare();
    void UnPrepare();
    bool Prepared() const;

    // The columns a statement would return, without running it: prepared
    // only, so no rows travel and a statement with side effects does nothing.
    // Only a statement the server cannot prepare is run (and read away).
    std::vector<TUniColumn> GetFieldDefs();

    // Takes over the open result of another query on the same connection,
    // with its statement text (a script hands on the rows of its statements).
    void AdoptResult(TUniQuery& source);

    void ConnectionClosing() override;
    void ConnectionLost() override;
    void ConnectionDestroyed() override;

protected:
    void InternalOpen() override;
    bool FetchAll() const override;
    bool InternalCanModify() const override { return FUpdatePlan != nullptr; }
    qint64 FieldWidthLimit(int index) const override;
    void InternalPost(TUpdateKind kind, const TRecord* oldRecord, TRecord& newRecord,
                      const std::vector<bool>& changed) override;
    void PrepareWrite() override;
    void FieldsCreated() override;
    TUniConnection& CheckConnection() const;
    std::vector<const TParam*> OccurrenceValues() const;

private:
    void ExecuteStatement();
    void EnsurePrepared();
    qint64 CountRecords();
    void PlanBeforeRun(TUniConnection& connection, const QByteArray& sql);
    void ApplyPlan();
    void PlanAgain(TUniConnection& connection);

    TUniConnection* FConnection = nullptr;
    QString FSQL;
    TParsedSql FParsed;
    bool FParamCheck = true;
    TParams FParams;
    TUniOptions FSpecificOptions;
    TUniQueryOptions FOptions;
    qint64 FRowsAffected = -1;
    qint64 FLastInsertId = 0;
    std::shared_ptr<TUniStatement> FStatement;
    bool FReadOnly = false;
    std::shared_ptr<const TUniUpdatePlan> FUpdatePlan;
    // When the kept plan was made for other columns than the result has:
    // those, and the result's, until the result is planned again.
    std::vector<TUniColumn> FStaleColumns;
    std::vector<TUniColumn> FResultColumns;
};
