#pragma once

#include "base/UComponent.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class TIniFile;
class TRegistry;

// One typed value of a registry profile, converted and enciphered before the
// profile is written, so that a bad value stops the save before anything is
// written.
struct TRegValue {
    QString Name;
    bool IsInteger = false;
    QString Text;
    int Number = 0;
};
using TRegValues = std::vector<TRegValue>;

// The keys and values of an ini logon section, in writing order.
using TIniValues = std::vector<std::pair<QString, QString>>;

// The top level of a logon profile: the password and its save flag, the list
// of remembered profiles in the registry, the last profile, the validation
// message. Stored passwords are always written enciphered with their flag
// set, and deciphered on reading only when the flag read with them is true.
//
// Each level of the profile reads and writes its own values after those of
// the level above (ReadRegistry / CollectRegistryValues and the ini pair), in
// the order of the stored layouts.
class TLogonOption : public TObject {
public:
    QString Password;              // plain while in memory
    bool SavePassword = false;     // remember the password in the registry profile
    bool PasswordEncrypted = false;
    QString ErrorMessage;          // the message of the last failed Validate

    // "Software\Corvanta\<type>List", without a leading "\".
    virtual QString GetRegistryListKey() const = 0;
    // True when the profile can be used; otherwise false with ErrorMessage set.
    virtual bool Validate() = 0;
    // Fills the profile from its key (created when missing); a missing or
    // mistyped required value raises the registry's error, and the fields read
    // before keep their new values.
    virtual void LoadFromRegistry(const QString& profileName);
    // Writes the profile's key in one change: every value is converted and
    // enciphered first, so a failure writes nothing.
    virtual void SaveToRegistry(const QString& profileName);
    // Reads a section of an ini file (a relative name is taken from the
    // current folder); missing keys give their defaults.
    virtual void LoadFromIni(const QString& fileName, const QString& section);
    // Writes the section's keys into fileName; the values are all prepared
    // before the first key is written.
    virtual void SaveToIni(const QString& fileName, const QString& section);
    virtual QString GetDBTypeName() const = 0;
    // From "name=value" command-line arguments.
    virtual void LoadFromParams(const QStringList& params) = 0;
    virtual QString ToCmdLineParams() const = 0;
    virtual QString GetDescription() const { return QString(); }

    QString GetProfileKey(const QString& profileName) const;
    // Every "/" becomes "_$fslash$_" and every "\" "//", so that the name
    // is one registry key of its own.
    static QString EscapeProfileName(const QString& profileName);
    // Every "//" becomes "\", then every "_$slash$_" becomes "\", then
    // every "_$fslash$_" becomes "/".
    static QString UnescapeProfileName(const QString& keyName);
    // Clears list, then adds every remembered profile's name (not "LastTime").
    void ListProfiles(QStringList& list) const;
    // The value "Last" + kind + "Server" of the list key; empty when missing.
    QString GetLastProfile(const QString& kind) const;
    void SetLastProfile(const QString& profileName, const QString& kind);

protected:
    virtual void ReadRegistry(TRegistry& registry);
    virtual void CollectRegistryValues(TRegValues& values) const;
    virtual void ReadIni(const TIniFile& ini, const QString& section);
    virtual void CollectIniValues(TIniValues& values) const;
};

// Reading and writing helpers shared by the levels of the profile.
namespace LogonOptionIO {
// An integer value read as a boolean; a missing value gives defaultValue, a
// value of another type raises.
bool ReadFlag(TRegistry& registry, const QString& name, bool defaultValue);
// The stored text, deciphered when encrypted is true and it is not empty.
QString StoredToPassword(const QString& stored, bool encrypted);
void AddString(TRegValues& values, const QString& name, const QString& text);
void AddInteger(TRegValues& values, const QString& name, int number);
// "1" / "0" as in task files.
QString IniFlag(bool value);
// Decimal digits to an integer; raises "'<text>' is not a valid integer value".
int StrToInt(const QString& text);
}  // namespace LogonOptionIO
