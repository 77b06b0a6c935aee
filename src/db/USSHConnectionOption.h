#pragma once

#include "ULogonOption.h"

#include <QString>

class TIniFile;
class TRegistry;
class TSSHConnection;

// The SSH tunnel settings of a logon profile. Its values are stored inside
// the profile's registry key and ini section, only when the profile uses SSH.
class TSSHConnectionOption {
public:
    QString SSHHost;
    int SSHPort = 0;
    QString SSHUserName;
    bool SSHSavePassword = false;   // remember the SSH password in the registry profile
    QString SSHPassword;            // plain while in memory
    bool SSHPasswordEncrypted = false;

    // The host, port, user and password into / from the tunnel's FHost,
    // FPort, FUser and FPassword; the save and encryption flags stay.
    void AssignTo(TSSHConnection& tunnel) const;
    void AssignFrom(const TSSHConnection& tunnel);

    // "SSHPort" and "SSHSavePassword" must exist; a missing or mistyped one
    // raises the registry's error.
    void LoadFromRegistry(TRegistry& registry);
    void SaveToRegistry(TRegValues& values) const;
    void LoadFromIni(const TIniFile& ini, const QString& section);
    void SaveToIni(TIniValues& values) const;
};
