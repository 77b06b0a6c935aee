#include "UDBLogonOption.h"

#include "UDBUtil.h"
#include "USSHConnection.h"
#include "settings/URegUtil.h"
#include "platform/ini/UIniFile.h"
#include "platform/registry/URegistry.h"

using namespace LogonOptionIO;

TDBLogonOption::TDBLogonOption() : FSSHConnectionOption(std::make_unique<TSSHConnectionOption>()) {}

TDBLogonOption::~TDBLogonOption() = default;

bool TDBLogonOption::UseUnicodeFlag() const
{
    return RegTextToBool(UseUnicode);
}

QString TDBLogonOption::GetRegistryListKey() const
{
    QString type = GetDBType();
    type.replace(QStringLiteral("PostgreSQL"), QStringLiteral("Postgres"));
    type.replace(QStringLiteral("SQL Server"), QStringLiteral("SqlServer"));
    return QStringLiteral("Software\\Corvanta\\") + type + QStringLiteral("List");
}

QString TDBLogonOption::GetDescription() const
{
    return QStringLiteral("DBType: %1, UseSSH: %2, UseUnicode: %3")
        .arg(GetDBTypeName(), UseSSH ? QStringLiteral("-1") : QStringLiteral("0"), UseUnicode);
}

void TDBLogonOption::AssignFrom(const TUniConnection& connection, const TSSHConnection& tunnel)
{
    UseSSH = tunnel.IsConnected();
    FSSHConnectionOption->AssignFrom(tunnel);
    AssignFromConnection(connection);
}

void TDBLogonOption::AssignTo(TUniConnection& connection, TSSHConnection& tunnel) const
{
    FSSHConnectionOption->AssignTo(tunnel);
    AssignToConnection(connection);
}

QString TDBLogonOption::GetCaption(const TUniConnection& connection) const
{
    return ConnectionDisplayText(connection);
}

void TDBLogonOption::ReadRegistry(TRegistry& registry)
{
    TLogonOption::ReadRegistry(registry);
    const QString unicode = QStringLiteral("UseUnicode");
    if (registry.ValueExists(unicode))
        UseUnicode = registry.ReadBool(unicode) ? QStringLiteral("True") : QStringLiteral("False");
    else
        UseUnicode = QStringLiteral("0");
    UseSSH = ReadFlag(registry, QStringLiteral("UseSSH"), false);
    if (UseSSH)
        FSSHConnectionOption->LoadFromRegistry(registry);
}

void TDBLogonOption::CollectRegistryValues(TRegValues& values) const
{
    TLogonOption::CollectRegistryValues(values);
    AddInteger(values, QStringLiteral("UseUnicode"), UseUnicodeFlag() ? 1 : 0);
    AddInteger(values, QStringLiteral("UseSSH"), UseSSH ? 1 : 0);
    if (UseSSH)
        FSSHConnectionOption->SaveToRegistry(values);
}

void TDBLogonOption::ReadIni(const TIniFile& ini, const QString& section)
{
    TLogonOption::ReadIni(ini, section);
    UseUnicode = ini.ReadBool(section, QStringLiteral("UseUnicode"), false) ? QStringLiteral("True")
                                                                             : QStringLiteral("False");
    UseSSH = ini.ReadBool(section, QStringLiteral("UseSSH"), false);
    if (UseSSH)
        FSSHConnectionOption->LoadFromIni(ini, section);
}

void TDBLogonOption::CollectIniValues(TIniValues& values) const
{
    TLogonOption::CollectIniValues(values);
    values.emplace_back(QStringLiteral("UseUnicode"), IniFlag(UseUnicodeFlag()));
    values.emplace_back(QStringLiteral("UseSSH"), IniFlag(UseSSH));
    values.emplace_back(QStringLiteral("DBType"), GetDBType());
    if (UseSSH)
        FSSHConnectionOption->SaveToIni(values);
}
