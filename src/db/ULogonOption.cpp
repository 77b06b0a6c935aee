#include "ULogonOption.h"

#include "UCryptUtil.h"
#include "base/UException.h"
#include "platform/ini/UMyIniFile.h"
#include "platform/registry/URegistry.h"

#include <QFileInfo>

namespace {

const QString lastTimeKey = QStringLiteral("LastTime");

QString RootPath(const QString& key)
{
    return QLatin1Char('\\') + key;
}

// Opens key with creation allowed, as every profile access does.
void OpenCreating(TRegistry& registry, const QString& key)
{
    if (!registry.OpenKey(RootPath(key), true))
        throw ERegistryException(QStringLiteral("Cannot open the registry key \"%1\".").arg(key));
}

}  // namespace

namespace LogonOptionIO {

bool ReadFlag(TRegistry& registry, const QString& name, bool defaultValue)
{
    return registry.ValueExists(name) ? registry.ReadInteger(name) != 0 : defaultValue;
}

QString StoredToPassword(const QString& stored, bool encrypted)
{
    return encrypted && !stored.isEmpty() ? DecryptPassword(stored) : stored;
}

void AddString(TRegValues& values, const QString& name, const QString& text)
{
    values.push_back({name, false, text, 0});
}

void AddInteger(TRegValues& values, const QString& name, int number)
{
    values.push_back({name, true, QString(), number});
}

QString IniFlag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

int StrToInt(const QString& text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return number;
}

}  // namespace LogonOptionIO

using namespace LogonOptionIO;

void TLogonOption::LoadFromRegistry(const QString& profileName)
{
    TRegistry registry;
    registry.Update([&] {
        OpenCreating(registry, GetProfileKey(profileName));
        ReadRegistry(registry);
    });
}

void TLogonOption::SaveToRegistry(const QString& profileName)
{
    TRegValues values;
    CollectRegistryValues(values);
    TRegistry registry;
    registry.Update([&] {
        OpenCreating(registry, GetProfileKey(profileName));
        for (const TRegValue& value : values) {
            if (value.IsInteger)
                registry.WriteInteger(value.Name, value.Number);
            else
                registry.WriteString(value.Name, value.Text);
        }
    });
}

void TLogonOption::LoadFromIni(const QString& fileName, const QString& section)
{
    const TMyIniFile ini(QFileInfo(fileName).absoluteFilePath());
    ReadIni(ini, section);
}

void TLogonOption::SaveToIni(const QString& fileName, const QString& section)
{
    TIniValues values;
    CollectIniValues(values);
    TIniFile ini(fileName);
    ini.Update([&] {
        for (const auto& [key, value] : values)
            ini.WriteString(section, key, value);
    });
}

QString TLogonOption::GetProfileKey(const QString& profileName) const
{
    return GetRegistryListKey() + QLatin1Char('\\') + EscapeProfileName(profileName);
}

namespace {
// A "/" of a profile name, so that "//" in a key only ever stands for "\\".
const QString escapedSlash = QStringLiteral("_$fslash$_");
}

QString TLogonOption::EscapeProfileName(const QString& profileName)
{
    QString name = profileName;
    name.replace(QLatin1Char('/'), escapedSlash);
    return name.replace(QLatin1Char('\\'), QStringLiteral("//"));
}

QString TLogonOption::UnescapeProfileName(const QString& keyName)
{
    QString name = keyName;
    name.replace(QStringLiteral("//"), QStringLiteral("\\"));
    name.replace(QStringLiteral("_$slash$_"), QStringLiteral("\\"));
    return name.replace(escapedSlash, QStringLiteral("/"));
}

void TLogonOption::ListProfiles(QStringList& list) const
{
    list.clear();
    TRegistry registry;
    QStringList keys;
    registry.Update([&] {
        OpenCreating(registry, GetRegistryListKey());
        keys = registry.GetKeyNames();
    });
    for (const QString& key : keys)
        if (key.compare(lastTimeKey, Qt::CaseInsensitive) != 0)
            list.append(UnescapeProfileName(key));
}

QString TLogonOption::GetLastProfile(const QString& kind) const
{
    TRegistry registry;
    QString name;
    registry.Update([&] {
        OpenCreating(registry, GetRegistryListKey());
        name = registry.ReadString(QStringLiteral("Last") + kind + QStringLiteral("Server"));
    });
    return name;
}

void TLogonOption::SetLastProfile(const QString& profileName, const QString& kind)
{
    TRegistry registry;
    registry.Update([&] {
        OpenCreating(registry, GetRegistryListKey());
        registry.WriteString(QStringLiteral("Last") + kind + QStringLiteral("Server"), profileName);
    });
}

void TLogonOption::ReadRegistry(TRegistry& registry)
{
    SavePassword = ReadFlag(registry, QStringLiteral("Save Password"), false);
    PasswordEncrypted = ReadFlag(registry, QStringLiteral("PasswordEncrypted"), false);
    Password = StoredToPassword(registry.ReadString(QStringLiteral("Password")), PasswordEncrypted);
}

void TLogonOption::CollectRegistryValues(TRegValues& values) const
{
    AddInteger(values, QStringLiteral("Save Password"), SavePassword ? 1 : 0);
    AddInteger(values, QStringLiteral("PasswordEncrypted"), 1);
    AddString(values, QStringLiteral("Password"),
              SavePassword && !Password.isEmpty() ? EncryptPassword(Password) : QString());
}

void TLogonOption::ReadIni(const TIniFile& ini, const QString& section)
{
    SavePassword = ini.ReadBool(section, QStringLiteral("SavePassword"), false);
    PasswordEncrypted = ini.ReadBool(section, QStringLiteral("PasswordEncrypted"), false);
    Password = StoredToPassword(ini.ReadString(section, QStringLiteral("Password"), QString()), PasswordEncrypted);
}

void TLogonOption::CollectIniValues(TIniValues& values) const
{
    values.emplace_back(QStringLiteral("SavePassword"), IniFlag(SavePassword));
    values.emplace_back(QStringLiteral("PasswordEncrypted"), IniFlag(true));
    // A task file runs unattended, so it always carries the password.
    values.emplace_back(QStringLiteral("Password"), Password.isEmpty() ? QString() : EncryptPassword(Password));
}
