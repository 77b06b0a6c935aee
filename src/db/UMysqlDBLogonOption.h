#pragma once

#include "UDBLogonOption.h"

// The MySQL logon profile ("UMysqlDBLogonOption.TMysqlDBLogonOption").
class TMysqlDBLogonOption : public TDBLogonOption {
public:
    // 500 MiB: the packet limit a logon raises the server to.
    static constexpr qint64 WantedMaxAllowedPacket = 524288000;

    QString Username;
    QString Server;
    QString Database;
    QString Port;   // decimal digits

    // In this order: "Please enter Username.", "Please enter Password.",
    // "Please enter Server (hostname or ip).", "Please enter Port." (a text
    // is empty only when it has no characters at all).
    bool Validate() override;
    // "mysql_username" (else "username"), "mysql_password", "mysql_server",
    // "mysql_database", "mysql_port", "mysql_unicode" (lower-cased); each
    // trimmed, the short name tried when the long one gives an empty value.
    void LoadFromParams(const QStringList& params) override;
    // ' mysql_username="…" mysql_password="…" mysql_server="…"
    // mysql_database="…" mysql_port="…" mysql_unicode="…"', values as they
    // are (the password in plain text).
    QString ToCmdLineParams() const override;

    void AssignFromConnection(const TUniConnection& connection) override;
    // Port 3306 when Port is not a valid integer.
    void AssignToConnection(TUniConnection& connection) const override;
    QString GetDBType() const override { return QStringLiteral("Mysql"); }
    // Through a forwarding tunnel the connection's port is the local one: the
    // profile keeps the tunnel's destination port.
    void AssignFrom(const TUniConnection& connection, const TSSHConnection& tunnel) override;
    // Raises the server's max_allowed_packet to 500 MiB when it is lower (only
    // logged when that is not allowed), then reconnects so that the session
    // uses the global value. Nothing reaches the caller.
    void AfterConnect(TUniConnection& connection) override;
    // With SSH: "SSH " + Username + "@" + SSHHost + ":" + Port + ":" + Database.
    QString GetCaption(const TUniConnection& connection) const override;

protected:
    void ReadRegistry(TRegistry& registry) override;
    void CollectRegistryValues(TRegValues& values) const override;
    void ReadIni(const TIniFile& ini, const QString& section) override;
    void CollectIniValues(TIniValues& values) const override;

private:
    void RaiseMaxAllowedPacket(TUniConnection& connection);
};
