#include "USSHConnectionOption.h"

#include "UCryptUtil.h"
#include "USSHConnection.h"
#include "platform/ini/UIniFile.h"
#include "platform/registry/URegistry.h"

using namespace LogonOptionIO;

void TSSHConnectionOption::AssignTo(TSSHConnection& tunnel) const
{
    tunnel.FHost = SSHHost;
    tunnel.FPort = SSHPort;
    tunnel.FUser = SSHUserName;
    tunnel.FPassword = SSHPassword;
}

void TSSHConnectionOption::AssignFrom(const TSSHConnection& tunnel)
{
    SSHHost = tunnel.FHost;
    SSHPort = tunnel.FPort;
    SSHUserName = tunnel.FUser;
    SSHPassword = tunnel.FPassword;
}

void TSSHConnectionOption::LoadFromRegistry(TRegistry& registry)
{
    SSHHost = registry.ReadString(QStringLiteral("SSHHost"));
    SSHPort = registry.ReadInteger(QStringLiteral("SSHPort"));
    SSHUserName = registry.ReadString(QStringLiteral("SSHUserName"));
    SSHSavePassword = registry.ReadBool(QStringLiteral("SSHSavePassword"));
    SSHPasswordEncrypted = ReadFlag(registry, QStringLiteral("SSHPasswordEncrypted"), false);
    SSHPassword = StoredToPassword(registry.ReadString(QStringLiteral("SSHPassword")), SSHPasswordEncrypted);
}

void TSSHConnectionOption::SaveToRegistry(TRegValues& values) const
{
    AddString(values, QStringLiteral("SSHHost"), SSHHost);
    AddInteger(values, QStringLiteral("SSHPort"), SSHPort);
    AddString(values, QStringLiteral("SSHUserName"), SSHUserName);
    AddInteger(values, QStringLiteral("SSHSavePassword"), SSHSavePassword ? 1 : 0);
    AddInteger(values, QStringLiteral("SSHPasswordEncrypted"), 1);
    AddString(values, QStringLiteral("SSHPassword"),
              SSHSavePassword && !SSHPassword.isEmpty() ? EncryptPassword(SSHPassword) : QString());
}

void TSSHConnectionOption::LoadFromIni(const TIniFile& ini, const QString& section)
{
    SSHHost = ini.ReadString(section, QStringLiteral("SSHHost"), QString());
    SSHPort = ini.ReadInteger(section, QStringLiteral("SSHPort"), 22);
    SSHUserName = ini.ReadString(section, QStringLiteral("SSHUserName"), QString());
    SSHSavePassword = ini.ReadBool(section, QStringLiteral("SSHSavePassword"), false);
    SSHPasswordEncrypted = ini.ReadBool(section, QStringLiteral("SSHPasswordEncrypted"), false);
    SSHPassword =
        StoredToPassword(ini.ReadString(section, QStringLiteral("SSHPassword"), QString()), SSHPasswordEncrypted);
}

void TSSHConnectionOption::SaveToIni(TIniValues& values) const
{
    values.emplace_back(QStringLiteral("SSHHost"), SSHHost);
    values.emplace_back(QStringLiteral("SSHPort"), QString::number(SSHPort));
    values.emplace_back(QStringLiteral("SSHUserName"), SSHUserName);
    values.emplace_back(QStringLiteral("SSHSavePassword"), IniFlag(SSHSavePassword));
    values.emplace_back(QStringLiteral("SSHPasswordEncrypted"), IniFlag(true));
    values.emplace_back(QStringLiteral("SSHPassword"), SSHPassword.isEmpty() ? QString() : EncryptPassword(SSHPassword));
}
