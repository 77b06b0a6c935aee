#pragma once

#include "base/UComponent.h"

#include <QString>
#include <QStringList>
#include <memory>

class TDBLogonForm;
class TDBLogonOption;
class TSSHConnection;
class TUniConnection;
class TUniProvider;

// The logon object of one database type: owns the connection that the whole
// program works on, the SSH tunnel, the logon profile and the logon dialog,
// and logs on by dialog, from an ini section of a task file, or from
// command-line parameters.
//
// The dialog is made on first use: it is a window-mode object whose class the
// form library registers, and command-line mode never needs it.
class TDBLogon : public TObject {
public:
    // Builds the provider, the connection (disconnected), the tunnel and the
    // profile (by qualified name, prepared with InitConnection).
    explicit TDBLogon(const QString& dbType);
    // Closes the connection, then frees the dialog, the profile, the tunnel
    // (disconnected), the provider and the connection.
    ~TDBLogon() override;

    const QString& DBType() const { return FDBType; }
    // The same objects for the logon object's whole life, lent.
    TUniConnection* GetConnection() const { return FConnection.get(); }
    TUniProvider* GetProvider() const { return FProvider.get(); }
    TSSHConnection* GetSSHConnection() const { return FSSHConnection.get(); }
    TDBLogonOption* GetLogonOption() const { return FLogonOption.get(); }
    // Made on first call and given the tunnel and the profile; lent.
    TDBLogonForm* GetLogonForm();
    // Frees the dialog: window mode does so before its window system goes.
    void FreeLogonForm();

    // Runs the dialog in fumSingleLogon; true when the connection is
    // connected afterwards. A cancelled dialog gives false.
    bool LogonWithDialog();
    // Logs on with the profile of an ini section (through the tunnel when the
    // section says so). Raises "Can not via ini login database <db>. At SSH
    // connect: <reason>" or "Can not via ini login database <db>. <reason>";
    // errors of reading the section propagate unchanged.
    bool LogonFromIni(const QString& fileName, const QString& section);
    // Logs on directly with the profile of "name=value" command-line
    // arguments; raises "Can not via cmd login database <db>. <reason>".
    bool LogonFromParams(const QStringList& params);
    // Disconnects the connection, then the tunnel; harmless when not connected.
    void Logoff();
    bool IsConnected() const;
    // Makes the database the connection's current one (provider "MySQL" only).
    void SetDatabase(const QString& databaseName);

    // The provider component of the type word, created by qualified name.
    static std::unique_ptr<TUniProvider> CreateProvider(const QString& dbType);

private:
    // Connects the connection, the tunnel first when the profile uses SSH.
    void ConnectFromIni();

    // Declared in reverse order of freeing: the connection outlives the rest.
    QString FDBType;
    std::unique_ptr<TUniConnection> FConnection;
    std::unique_ptr<TUniProvider> FProvider;
    std::unique_ptr<TSSHConnection> FSSHConnection;
    std::unique_ptr<TDBLogonOption> FLogonOption;
    std::unique_ptr<TDBLogonForm> FLogonForm;
};
