#include "ULobMerger.h"

#include "ULobFileWriter.h"
#include "base/UException.h"
#include "base/UStringUtil.h"
#include "db/UDBDictionary.h"
#include "db/UDBObjectFactory.h"
#include "platform/dac/UUniQuery.h"

namespace {

// Unlike an export task's filter, "limit ..." is not recognised: it gets
// " where " in front like a bare condition.
QString MergeWhereClause(const QString& where)
{
    const QString trimmed = TrimText(where);
    if (trimmed.isEmpty())
        return {};
    if (trimmed.startsWith(QLatin1String("where"), Qt::CaseInsensitive))
        return QLatin1Char(' ') + where;
    return QStringLiteral(" where ") + where;
}

}  // namespace

TLobMerger::TLobMerger() = default;

TLobMerger::~TLobMerger() = default;

QString TLobMerger::BuildSql() const
{
    if (!SourceDBFactory)
        throw Exception(QStringLiteral("No database objects exist to build the merge statement."));
    const TDBDictionary& dictionary = *SourceDBFactory->GetDictionary();
    return QStringLiteral("select ") + dictionary.QuoteName(FLobField) + QStringLiteral(" from ")
           + dictionary.GetQualifiedName(FSchema, FTable) + MergeWhereClause(FWhere);
}

void TLobMerger::BeforeConvert()
{
    RowIndex = 0;
    OpenMerge();
}

void TLobMerger::OpenMerge()
{
    // One row at a time straight into the file, whatever the sizes.
    SetupQuery();
    TUniQuery& query = Query();
    query.SetSQL(BuildSql());
    query.Execute();
    if (!query.Active() || query.FieldCount() == 0)
        throw Exception(QStringLiteral("The merge statement returns no rows: ") + query.SQL());
    FLobColumn = query.Fields(0);
    FStream = std::make_unique<TLobFileWriter>();
    FStream->Create(FFileName.toUtf8());
}

void TLobMerger::ConvertOneRecord()
{
    try {
        AppendRecord();
    } catch (const std::exception& e) {
        RowFailed(e);
    }
}

void TLobMerger::AppendRecord()
{
    static const char LineBreak[] = "\r\n";
    FStream->WriteValue(*FLobColumn, LineBreak, 2);
}

void TLobMerger::EndConvert()
{
    // The run got through (or was stopped between values): the file holds
    // whole values only and takes the output's name.
    FStream->Commit();
    TLobConverter::EndConvert();
}

void TLobMerger::AfterConvert()
{
    CloseMerge();
}

void TLobMerger::CloseMerge()
{
    FLobColumn = nullptr;
    // Not committed: the run failed, and an earlier output stays as it was.
    FStream.reset();
    Query().Close();
}
