#pragma once

#include "UUniOptions.h"
#include "base/UComponent.h"
#include "base/UTextCodec.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

typedef struct st_mysql MYSQL;
class TUniCursor;
class TUniTableCatalog;

// A user of the connection that holds server-side state (a result being read,
// a prepared statement): told before the connection closes or is replaced.
class TUniConnectionClient {
public:
    virtual ~TUniConnectionClient() = default;
    // The connection is about to close: close results, drop statements.
    virtual void ConnectionClosing() = 0;
    // The connection was lost: native handles are dead, free them without
    // talking to the server.
    virtual void ConnectionLost() = 0;
    // The connection object is being freed: forget it.
    virtual void ConnectionDestroyed() = 0;
};

// One session with a MySQL/MariaDB server. The connection speaks one
// statement at a time: a result that is still being read holds the line
// (see AcquireLine).
class TUniConnection : public TComponent {
public:
    explicit TUniConnection(TComponent* owner = nullptr);
    ~TUniConnection() override;

    QString ProviderName() const { return FProviderName; }
    void SetProviderName(const QString& name) { FProviderName = name; }
    bool LoginPrompt() const { return FLoginPrompt; }
    void SetLoginPrompt(bool value) { FLoginPrompt = value; }   // no prompt is ever shown
    QString Server() const { return FServer; }
    void SetServer(const QString& value) { FServer = value; }
    int Port() const { return FPort; }
    void SetPort(int value) { FPort = value; }
    QString Username() const { return FUsername; }
    void SetUsername(const QString& value) { FUsername = value; }
    QString Password() const { return FPassword; }
    void SetPassword(const QString& value) { FPassword = value; }
    QString Database() const { return FDatabase; }
    // On a live connection this also makes the database the current one.
    void SetDatabase(const QString& value);
    // Provider options: "UseUnicode" (default false), "ConnectionTimeout"
    // (seconds, default 15), "Socket" (a local socket path instead of TCP).
    TUniOptions& SpecificOptions() { return FSpecificOptions; }
    const TUniOptions& SpecificOptions() const { return FSpecificOptions; }

    bool Connected() const { return FHandle != nullptr; }
    void SetConnected(bool value);
    void Connect();
    void Disconnect();
    void Open() { Connect(); }
    void Close() { Disconnect(); }

    QString ServerVersion() const;   // the server's version text
    unsigned long ThreadId() const;
    // True when the session speaks utf8mb4, false for latin1; fixed at connect.
    bool IsUnicode() const { return FUnicode; }

    // Runs one statement that returns no rows; the number of rows it changed.
    qint64 ExecSQL(const QString& sql);

    // --- for the queries, scripts and cursors of this layer -----------------
    MYSQL* Handle() const { return FHandle; }
    // Raises when not connected.
    MYSQL* CheckedHandle() const;
    // Frees the line for a new statement: a partly read buffered result is
    // read to its end into its owner's rows; a unidirectional one raises.
    void AcquireLine();
    TUniCursor* LineHolder() const { return FLineHolder; }
    void SetLineHolder(TUniCursor* cursor) { FLineHolder = cursor; }
    // Raises the connection's last error as EUniError; reconnects first when
    // the session was lost, so that the next statement works again.
    [[noreturn]] void RaiseLastError();
    [[noreturn]] void RaiseError(unsigned errorCode, const QString& message, const QString& sqlState);
    // Stops the running statement of this session from a short-lived second
    // session; false when that could not be done.
    bool KillRunningQuery();
    // The session's max_allowed_packet, read once per session.
    qint64 MaxAllowedPacket();
    // The connection of an unattended run: its socket is the one a stop
    // signal shuts down when the run hangs (see UStopRequest.h), and once
    // that happened it neither reconnects nor sends anything more.
    void SetStopWatched(bool watched);
    // Changes on every (re)connect: prepared statements of an older session are gone.
    quint64 Generation() const { return FGeneration; }

    // The table descriptions read for writing rows back; emptied on a new
    // session and when a statement other than SELECT runs (StatementRun).
    TUniTableCatalog& TableCatalog();
    void StatementRun(const QString& sql);

    void AddClient(TUniConnectionClient* client);
    void RemoveClient(TUniConnectionClient* client);

    // Text in the session's character set (utf8mb4 or Windows-1252).
    QByteArray EncodeText(const QString& text) const;
    QString DecodeText(const char* data, qsizetype size) const;

private:
    TTextEncoding SessionEncoding() const { return FUnicode ? TTextEncoding::Utf8 : TTextEncoding::Windows1252; }
    MYSQL* OpenSession(bool forKill) const;
    static void MakeSessionStrict(MYSQL* handle);
    void CloseSession(bool lost);
    void Reconnect();

    QString FProviderName;
    bool FLoginPrompt = true;
    QString FServer;
    int FPort = 3306;
    QString FUsername;
    QString FPassword;
    QString FDatabase;
    TUniOptions FSpecificOptions;

    MYSQL* FHandle = nullptr;
    bool FUnicode = false;
    quint64 FGeneration = 0;
    qint64 FMaxAllowedPacket = -1;
    TUniCursor* FLineHolder = nullptr;
    bool FStopWatched = false;
    std::vector<TUniConnectionClient*> FClients;
    std::unique_ptr<TUniTableCatalog> FTableCatalog;
};
