#include "UUniConnection.h"
#include "UUniSqlUtil.h"
#include "UUniTableCatalog.h"

#include "UUniCursor.h"
#include "UUniError.h"
#include "UUniTextCursor.h"
#include "base/UNetUtil.h"
#include "base/UStopRequest.h"

#include <algorithm>
#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

namespace {

// The client never refuses a packet: the server's max_allowed_packet is the
// limit that counts.
constexpr unsigned long ClientMaxAllowedPacket = 1UL << 30;

// Errors after which the session is gone (or the server is closing it).
bool IsSessionLost(unsigned code)
{
    return code == CR_SERVER_GONE_ERROR || code == CR_SERVER_LOST || code == CR_SERVER_LOST_EXTENDED
        || code == ER_NET_PACKET_TOO_LARGE || code == ER_CONNECTION_KILLED;
}

}  // namespace

TUniConnection::TUniConnection(TComponent* owner) : TComponent(owner)
{
}

TUniConnection::~TUniConnection()
{
    Disconnect();
    const std::vector<TUniConnectionClient*> clients = FClients;
    FClients.clear();
    for (TUniConnectionClient* client : clients)
        client->ConnectionDestroyed();
}

void TUniConnection::SetConnected(bool value)
{
    if (value)
        Connect();
    else
        Disconnect();
}

MYSQL* TUniConnection::OpenSession(bool forKill) const
{
    const QString provider = FProviderName.trimmed();
    if (!provider.isEmpty() && provider.compare(QLatin1String("MySQL"), Qt::CaseInsensitive) != 0)
        throw EUniError(QStringLiteral("Unknown provider: %1").arg(FProviderName));
    MYSQL* handle = mysql_init(nullptr);
    if (!handle)
        throw EUniError(QStringLiteral("Out of memory"), CR_OUT_OF_MEMORY);
    const bool unicode = FSpecificOptions.BoolValue(QStringLiteral("UseUnicode"), false);
    mysql_options(handle, MYSQL_SET_CHARSET_NAME, unicode ? "utf8mb4" : "latin1");
    const unsigned long packet = ClientMaxAllowedPacket;
    mysql_options(handle, MYSQL_OPT_MAX_ALLOWED_PACKET, &packet);
    const unsigned int localInfile = 0;
    mysql_options(handle, MYSQL_OPT_LOCAL_INFILE, &localInfile);
    // A server that never answers ends the logon instead of holding it.
    const int timeout = FSpecificOptions.Value(QStringLiteral("ConnectionTimeout")).toInt();
    const unsigned int seconds = unsigned(timeout > 0 ? timeout : ConnectTimeoutSeconds);
    mysql_options(handle, MYSQL_OPT_CONNECT_TIMEOUT, &seconds);
    const QByteArray host = FServer.trimmed().toUtf8();
    const QByteArray user = FUsername.toUtf8();
    const QByteArray password = FPassword.toUtf8();
    const QByteArray database = forKill ? QByteArray() : FDatabase.trimmed().toUtf8();
    const QByteArray socket = FSpecificOptions.Value(QStringLiteral("Socket")).toUtf8();
    // No CLIENT_MULTI_STATEMENTS: one statement per call, always.
    if (!mysql_real_connect(handle, host.isEmpty() ? nullptr : host.constData(), user.constData(),
                            password.constData(), database.isEmpty() ? nullptr : database.constData(),
                            unsigned(std::max(FPort, 0)), socket.isEmpty() ? nullptr : socket.constData(),
                            CLIENT_MULTI_RESULTS)) {
        const unsigned code = mysql_errno(handle);
        // Before the handshake settles a character set the server writes UTF-8.
        const QString message = QString::fromUtf8(mysql_error(handle));
        const QString state = QString::fromLatin1(mysql_sqlstate(handle));
        mysql_close(handle);
        throw EUniError(message, int(code), state);
    }
    // Statements get no time limit; a dead link is noticed by keepalive.
    SetTcpKeepAlive(int(mysql_get_socket(handle)));
    if (!forKill)
        MakeSessionStrict(handle);
    return handle;
}

// A value too long for its column is refused, never stored cut, whatever the
// server's own sql_mode; its other modes stay.
void TUniConnection::MakeSessionStrict(MYSQL* handle)
{
    static const char sql[] = "SET SESSION sql_mode = IF(@@SESSION.sql_mode = '', 'STRICT_ALL_TABLES', "
                              "CONCAT(@@SESSION.sql_mode, ',STRICT_ALL_TABLES'))";
    if (mysql_real_query(handle, sql, sizeof sql - 1) == 0)
        return;
    const unsigned code = mysql_errno(handle);
    const QString message = QString::fromUtf8(mysql_error(handle));
    const QString state = QString::fromLatin1(mysql_sqlstate(handle));
    mysql_close(handle);
    throw EUniError(message, int(code), state);
}

void TUniConnection::Connect()
{
    if (FHandle)
        return;
    if (FStopWatched && StopCutConnection())
        throw EUniError(QStringLiteral("The run was stopped by a signal."), CR_CONNECTION_ERROR);
    FHandle = OpenSession(false);
    FUnicode = FSpecificOptions.BoolValue(QStringLiteral("UseUnicode"), false);
    FMaxAllowedPacket = -1;
    ++FGeneration;
    if (FStopWatched)
        SetStopSocket(int(mysql_get_socket(FHandle)));
}

void TUniConnection::SetStopWatched(bool watched)
{
    if (FStopWatched && !watched)
        SetStopSocket(-1);
    FStopWatched = watched;
    if (watched && FHandle)
        SetStopSocket(int(mysql_get_socket(FHandle)));
}

void TUniConnection::CloseSession(bool lost)
{
    if (!FHandle)
        return;
    const std::vector<TUniConnectionClient*> clients = FClients;
    for (TUniConnectionClient* client : clients) {
        if (lost)
            client->ConnectionLost();
        else
            client->ConnectionClosing();
    }
    FLineHolder = nullptr;
    if (FStopWatched)
        SetStopSocket(-1);
    mysql_close(FHandle);
    FHandle = nullptr;
    FMaxAllowedPacket = -1;
}

void TUniConnection::Disconnect()
{
    CloseSession(false);
}

void TUniConnection::Reconnect()
{
    CloseSession(true);
    try {
        Connect();
    } catch (const Exception&) {
        // Stays disconnected; the original error is what the caller reports.
    }
}

QString TUniConnection::ServerVersion() const
{
    return FHandle ? QString::fromLatin1(mysql_get_server_info(FHandle)) : QString();
}

unsigned long TUniConnection::ThreadId() const
{
    return FHandle ? mysql_thread_id(FHandle) : 0;
}

MYSQL* TUniConnection::CheckedHandle() const
{
    if (!FHandle)
        throw EUniError(QStringLiteral("Connection is not opened"), CR_CONNECTION_ERROR);
    return FHandle;
}

void TUniConnection::AcquireLine()
{
    CheckedHandle();
    if (!FLineHolder)
        return;
    if (TUniCursorOwner* owner = FLineHolder->Owner())
        owner->YieldLine();
    if (FLineHolder)
        throw EUniError(QStringLiteral("The connection is busy: a unidirectional result is still being "
                                       "read. Close that query before running another statement."),
                        CR_COMMANDS_OUT_OF_SYNC);
}

void TUniConnection::RaiseError(unsigned errorCode, const QString& message, const QString& sqlState)
{
    if (IsSessionLost(errorCode))
        Reconnect();
    throw EUniError(message, int(errorCode), sqlState);
}

void TUniConnection::RaiseLastError()
{
    if (!FHandle)
        throw EUniError(QStringLiteral("Connection is not opened"), CR_CONNECTION_ERROR);
    RaiseError(mysql_errno(FHandle), DecodeText(mysql_error(FHandle), -1),
               QString::fromLatin1(mysql_sqlstate(FHandle)));
}

void TUniConnection::SetDatabase(const QString& value)
{
    if (FHandle && !value.trimmed().isEmpty() && value != FDatabase) {
        AcquireLine();
        const QByteArray name = EncodeText(value.trimmed());
        if (mysql_select_db(FHandle, name.constData()) != 0)
            RaiseLastError();
    }
    FDatabase = value;
}

qint64 TUniConnection::ExecSQL(const QString& sql)
{
    AcquireLine();
    StatementRun(sql);
    const QByteArray text = EncodeText(sql);
    if (mysql_real_query(FHandle, text.constData(), (unsigned long)(text.size())) != 0)
        RaiseLastError();
    if (mysql_field_count(FHandle) > 0) {
        MYSQL_RES* result = mysql_use_result(FHandle);
        if (!result)
            RaiseLastError();
        TUniTextCursor cursor(this, nullptr, result);
        cursor.Close();
        return 0;
    }
    const qint64 affected = qint64(mysql_affected_rows(FHandle));
    SkipMoreResults(*this);
    return affected;
}

bool TUniConnection::KillRunningQuery()
{
    if (!FHandle)
        return false;
    try {
        MYSQL* killer = OpenSession(true);
        const QByteArray sql = "KILL QUERY " + QByteArray::number(qulonglong(mysql_thread_id(FHandle)));
        const bool done = mysql_real_query(killer, sql.constData(), (unsigned long)(sql.size())) == 0;
        mysql_close(killer);
        return done;
    } catch (const Exception&) {
        return false;   // the rows are then read away instead
    }
}

qint64 TUniConnection::MaxAllowedPacket()
{
    if (FMaxAllowedPacket >= 0 || !FHandle)
        return FMaxAllowedPacket;
    AcquireLine();
    static const char sql[] = "SELECT @@max_allowed_packet";
    if (mysql_real_query(FHandle, sql, sizeof sql - 1) != 0)
        RaiseLastError();
    MYSQL_RES* result = mysql_store_result(FHandle);
    if (!result)
        RaiseLastError();
    MYSQL_ROW row = mysql_fetch_row(result);
    FMaxAllowedPacket = row && row[0] ? QByteArray(row[0]).toLongLong() : 0;
    mysql_free_result(result);
    return FMaxAllowedPacket;
}

void TUniConnection::AddClient(TUniConnectionClient* client)
{
    if (std::find(FClients.begin(), FClients.end(), client) == FClients.end())
        FClients.push_back(client);
}

void TUniConnection::RemoveClient(TUniConnectionClient* client)
{
    FClients.erase(std::remove(FClients.begin(), FClients.end(), client), FClients.end());
}

QByteArray TUniConnection::EncodeText(const QString& text) const
{
    return ::EncodeText(text, SessionEncoding());
}

QString TUniConnection::DecodeText(const char* data, qsizetype size) const
{
    if (!data)
        return {};
    if (size < 0)
        size = qsizetype(qstrlen(data));
    return ::DecodeText(QByteArray::fromRawData(data, size), SessionEncoding());
}

TUniTableCatalog& TUniConnection::TableCatalog()
{
    if (!FTableCatalog)
        FTableCatalog = std::make_unique<TUniTableCatalog>();
    return *FTableCatalog;
}

void TUniConnection::StatementRun(const QString& sql)
{
    if (FTableCatalog && !IsReadingStatement(sql))
        FTableCatalog->Clear();
}
