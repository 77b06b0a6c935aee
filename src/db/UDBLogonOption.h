#pragma once

#include "ULogonOption.h"
#include "USSHConnectionOption.h"

#include <QString>
#include <memory>

class TSSHConnection;
class TUniConnection;

// The logon profile of one database type, created by the qualified name
// "U<type>DBLogonOption.T<type>DBLogonOption": the Unicode option, the SSH
// tunnel settings, and the transfer into and out of a connection and its
// tunnel.
//
// UseUnicode is kept as text: "True" / "False" from the dialog, a stored
// profile or an ini section, "0" from a registry profile without the value,
// the lower-cased parameter from the command line. Read as a boolean, True and
// False in any letter case and numbers count (0 false); anything else is false.
class TDBLogonOption : public TLogonOption {
public:
    TDBLogonOption();
    ~TDBLogonOption() override;

    QString UseUnicode;
    bool UseSSH = false;
    TSSHConnectionOption* SSHConnectionOption() const { return FSSHConnectionOption.get(); }

    QString GetRegistryListKey() const override;
    QString GetDBTypeName() const override { return GetDBType(); }
    // "DBType: %s, UseSSH: %s, UseUnicode: %s" (UseSSH as "-1" or "0").
    QString GetDescription() const override;

    // The profile's fields into the connection's settings, and back.
    virtual void AssignFromConnection(const TUniConnection& connection) = 0;
    virtual void AssignToConnection(TUniConnection& connection) const = 0;
    // The type word: "Mysql".
    virtual QString GetDBType() const = 0;
    // UseSSH from whether the tunnel forwards, the SSH settings from the
    // tunnel, then AssignFromConnection.
    virtual void AssignFrom(const TUniConnection& connection, const TSSHConnection& tunnel);
    // The SSH settings into the tunnel (whether UseSSH or not), then
    // AssignToConnection.
    virtual void AssignTo(TUniConnection& connection, TSSHConnection& tunnel) const;
    // Prepares a profile for the connection it will be applied to; called once
    // after the profile is created.
    virtual void InitConnection(TUniConnection*) {}
    // Run after every logon with the connection.
    virtual void AfterConnect(TUniConnection&) {}
    // The profile name under which a successful logon is remembered.
    virtual QString GetCaption(const TUniConnection& connection) const;

    // UseUnicode read as a boolean.
    bool UseUnicodeFlag() const;

protected:
    void ReadRegistry(TRegistry& registry) override;
    void CollectRegistryValues(TRegValues& values) const override;
    void ReadIni(const TIniFile& ini, const QString& section) override;
    void CollectIniValues(TIniValues& values) const override;

private:
    std::unique_ptr<TSSHConnectionOption> FSSHConnectionOption;
};
