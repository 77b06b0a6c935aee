#include "UMysqlDBLogonOption.h"

#include "UNameValueList.h"
#include "USSHConnection.h"
#include "base/ULog.h"
#include "base/UStringUtil.h"
#include "platform/dac/UField.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniQuery.h"
#include "platform/ini/UIniFile.h"
#include "platform/registry/URegistry.h"

using namespace LogonOptionIO;

namespace {

const int defaultPort = 3306;

struct TParamNames {
    const char* Long;
    const char* Short;
};

const TParamNames usernameParam {"mysql_username", "username"};
const TParamNames passwordParam {"mysql_password", "password"};
const TParamNames serverParam {"mysql_server", "server"};
const TParamNames databaseParam {"mysql_database", "database"};
const TParamNames portParam {"mysql_port", "port"};
const TParamNames unicodeParam {"mysql_unicode", "unicode"};

QString ParamValue(const TNameValueList& params, const TParamNames& names)
{
    const QString value = TrimText(params.Value(QLatin1String(names.Long)));
    return value.isEmpty() ? TrimText(params.Value(QLatin1String(names.Short))) : value;
}

}  // namespace

bool TMysqlDBLogonOption::Validate()
{
    const std::pair<const QString*, const char*> checks[] = {
        {&Username, "Please enter Username."},
        {&Password, "Please enter Password."},
        {&Server, "Please enter Server (hostname or ip)."},
        {&Port, "Please enter Port."},
    };
    for (const auto& [value, message] : checks) {
        if (value->isEmpty()) {
            ErrorMessage = QLatin1String(message);
            return false;
        }
    }
    return true;
}

void TMysqlDBLogonOption::LoadFromParams(const QStringList& params)
{
    const TNameValueList list = TNameValueList::FromStrings(params);
    Username = ParamValue(list, usernameParam);
    Password = ParamValue(list, passwordParam);
    Server = ParamValue(list, serverParam);
    Database = ParamValue(list, databaseParam);
    Port = ParamValue(list, portParam);
    UseUnicode = ParamValue(list, unicodeParam).toLower();
}

QString TMysqlDBLogonOption::ToCmdLineParams() const
{
    const std::pair<const char*, const QString*> params[] = {
        {usernameParam.Long, &Username}, {passwordParam.Long, &Password}, {serverParam.Long, &Server},
        {databaseParam.Long, &Database}, {portParam.Long, &Port},         {unicodeParam.Long, &UseUnicode},
    };
    QString text;
    for (const auto& [name, value] : params)
        text += QLatin1Char(' ') + QLatin1String(name) + QStringLiteral("=\"") + *value + QLatin1Char('"');
    return text;
}

void TMysqlDBLogonOption::AssignFromConnection(const TUniConnection& connection)
{
    Server = connection.Server();
    Port = QString::number(connection.Port());
    Username = connection.Username();
    Password = connection.Password();
    Database = connection.Database();
    UseUnicode = connection.SpecificOptions().Value(QStringLiteral("UseUnicode"));
}

void TMysqlDBLogonOption::AssignToConnection(TUniConnection& connection) const
{
    bool ok = false;
    const int port = Port.toInt(&ok);
    connection.SetServer(Server);
    connection.SetPort(ok ? port : defaultPort);
    connection.SetUsername(Username);
    connection.SetPassword(Password);
    connection.SetDatabase(Database);
    connection.SpecificOptions().SetValue(QStringLiteral("UseUnicode"), UseUnicode);
}

void TMysqlDBLogonOption::AssignFrom(const TUniConnection& connection, const TSSHConnection& tunnel)
{
    TDBLogonOption::AssignFrom(connection, tunnel);
    if (tunnel.IsConnected())
        Port = QString::number(tunnel.FDestPort);
}

void TMysqlDBLogonOption::AfterConnect(TUniConnection& connection)
{
    if (!connection.Connected())
        return;
    try {
        RaiseMaxAllowedPacket(connection);
    } catch (...) {
        // The limit is a convenience; the logon stands without it.
    }
    connection.Disconnect();
    connection.Connect();
}

void TMysqlDBLogonOption::RaiseMaxAllowedPacket(TUniConnection& connection)
{
    TUniQuery query;
    query.SetConnection(&connection);
    qint64 value = 0;
    try {
        query.SetSQL(QStringLiteral("SHOW VARIABLES LIKE '%max_allowed_packet%'"));
        query.Open();
        if (!query.Eof())
            value = query.Fields(1)->AsString().toLongLong();
        query.Close();
    } catch (...) {
        value = 0;
    }
    if (value >= WantedMaxAllowedPacket)
        return;
    TLogger* log = TLog::GetLogger();
    try {
        query.SetSQL(QStringLiteral("set global max_allowed_packet = ") + QString::number(WantedMaxAllowedPacket));
        query.ExecSQL();
        log->Debug(QStringLiteral("set max_allowed_packet to ") + QString::number(WantedMaxAllowedPacket));
    } catch (const std::exception& e) {
        log->Debug(QStringLiteral("max_allowed_packet system value: ") + QString::number(value));
        log->Debug(QStringLiteral("max_allowed_packet set exception: ") + ExceptionMessage(e));
    }
}

QString TMysqlDBLogonOption::GetCaption(const TUniConnection& connection) const
{
    if (UseSSH)
        return QStringLiteral("SSH ") + Username + QLatin1Char('@') + SSHConnectionOption()->SSHHost
               + QLatin1Char(':') + Port + QLatin1Char(':') + Database;
    return TDBLogonOption::GetCaption(connection);
}

void TMysqlDBLogonOption::ReadRegistry(TRegistry& registry)
{
    TDBLogonOption::ReadRegistry(registry);
    Server = registry.ReadString(QStringLiteral("Server"));
    Port = QString::number(registry.ReadInteger(QStringLiteral("Port")));
    Username = registry.ReadString(QStringLiteral("Username"));
    Database = registry.ReadString(QStringLiteral("Database"));
}

void TMysqlDBLogonOption::CollectRegistryValues(TRegValues& values) const
{
    TDBLogonOption::CollectRegistryValues(values);
    AddString(values, QStringLiteral("Server"), Server);
    AddInteger(values, QStringLiteral("Port"), StrToInt(Port));
    AddString(values, QStringLiteral("Username"), Username);
    AddString(values, QStringLiteral("Database"), Database);
}

void TMysqlDBLogonOption::ReadIni(const TIniFile& ini, const QString& section)
{
    TDBLogonOption::ReadIni(ini, section);
    Server = ini.ReadString(section, QStringLiteral("Server"), QString());
    Port = ini.ReadString(section, QStringLiteral("Port"), QString::number(defaultPort));
    Username = ini.ReadString(section, QStringLiteral("Username"), QString());
    Database = ini.ReadString(section, QStringLiteral("Database"), QString());
}

void TMysqlDBLogonOption::CollectIniValues(TIniValues& values) const
{
    TDBLogonOption::CollectIniValues(values);
    values.emplace_back(QStringLiteral("Server"), Server);
    values.emplace_back(QStringLiteral("Port"), Port);
    values.emplace_back(QStringLiteral("Username"), Username);
    values.emplace_back(QStringLiteral("Database"), Database);
}
