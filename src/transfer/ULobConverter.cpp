#include "ULobConverter.h"

#include "UTaskSession.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "base/ULog.h"
#include "base/USystemUtil.h"
#include "db/UDBObjectFactory.h"
#include "platform/dac/UUniQuery.h"

#include <algorithm>
#include <limits>

namespace {
std::function<bool()>& GUIModeQuery()
{
    static std::function<bool()> query;
    return query;
}
}  // namespace

TLobConverter::TLobConverter() : FQuery(std::make_unique<TUniQuery>())
{
    FQuery->SetReadOnly(true);   // a transfer writes by its own statements
    if (SourceDBFactory)
        FQuery->SetConnection(SourceDBFactory->GetConnection());
}

TLobConverter::~TLobConverter() = default;

void TLobConverter::SetGUIModeQuery(std::function<bool()> isGUIMode)
{
    GUIModeQuery() = std::move(isGUIMode);
}

bool TLobConverter::IsGUIMode()
{
    return GUIModeQuery() && GUIModeQuery()();
}

void TLobConverter::SaveRecentSession()
{
    if (!FSession || !IsGUIMode())
        return;
    TLogger* log = TLog::GetLogger();
    log->Debug(QStringLiteral("Session Desc: ") + FSession->GetCaption());
    // Only a trace for the log: a copy that cannot be written must not stop
    // the run.
    try {
        const QString fileName = GetProgramDataDir(QStringLiteral("Vantorquill")) + QStringLiteral("recent.")
                                 + FSession->DefaultExt();
        FSession->WriteIni(fileName);
        log->Debug(ReadTextFile(fileName));
    } catch (const std::exception& e) {
        log->Log(llWarn, ExceptionMessage(e));
    }
}

void TLobConverter::SetupQuery()
{
    TUniQuery& query = Query();
    query.Options().QueryRecCount = true;
    query.SetUniDirectional(true);
    query.SetFetchRows(1);
    query.SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
    query.SetParamCheck(false);
}

void TLobConverter::RowFailed(const std::exception& error)
{
    ++Status().Errors;
    HandleConvertError(QStringLiteral("Serial: ") + QString::number(RowIndex + 1), error);
}

void TLobConverter::CountTotal()
{
    const qint64 count = Query().RecordCount();
    Status().Total = count < 0 ? -1 : int(std::min<qint64>(count, std::numeric_limits<int>::max()));
}

bool TLobConverter::HasNext()
{
    return !Query().Eof();
}

void TLobConverter::Next()
{
    Query().Next();
    ++RowIndex;
}
