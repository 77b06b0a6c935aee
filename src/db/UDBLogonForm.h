#pragma once

#include "base/UComponent.h"

#include <QString>

class TDBLogonOption;
class TSSHConnection;
class TUniConnection;

// The modes of the logon dialog; this program runs it in fumSingleLogon.
enum TFormUseMode {
    fumConfig = 0,        // test a profile: the form stays open
    fumSingleLogon = 1,   // log on: the form closes after a successful connect
    fumMultiLogon = 2,
    fumSwitchLogon = 3,
};

// The logon dialog of one database type as the core sees it; created by the
// qualified name "U<type>LogonForm.T<type>LogonForm". The window-mode dialog
// derives from it in the form libraries and builds its widgets only when it
// is run, so that the core and the command line need no display.
//
// The logon object lends it the tunnel and the profile when it creates the
// form, and the connection before every run.
class TDBLogonForm : public TComponent {
public:
    explicit TDBLogonForm(TComponent* owner = nullptr) : TComponent(owner) {}

    // Stores the connection, then lets the form fill itself from the
    // remembered profiles (OnConnectionSet).
    void SetConnection(TUniConnection* connection)
    {
        FConnection = connection;
        OnConnectionSet();
    }
    TUniConnection* Connection() const { return FConnection; }

    void SetSSHConnection(TSSHConnection* tunnel) { FSSHConnection = tunnel; }
    TSSHConnection* SSHConnection() const { return FSSHConnection; }
    void SetLogonOption(TDBLogonOption* option) { FLogonOption = option; }
    TDBLogonOption* LogonOption() const { return FLogonOption; }

    virtual void SetFormUseMode(TFormUseMode mode) { FFormUseMode = mode; }
    TFormUseMode FormUseMode() const { return FFormUseMode; }

    // Shows the dialog modally; returns when the user closes it or, in
    // fumSingleLogon, after a successful connect. The logon object reads the
    // connection's state afterwards.
    virtual int ShowModal() = 0;

    // The kind of the last-profile value: "Source" or "Dest" while the
    // source and target factories differ, else empty (always, in this
    // program, where both are the one factory).
    QString GetProfileKind() const;
    // The help page of a provider's logon, relative to the help folder:
    // "logon/mysql_logon.html" for "MySQL".
    static QString HelpTopic(const QString& providerName);

protected:
    virtual void OnConnectionSet() = 0;
    // Through the tunnel when the profile uses SSH, then the connection.
    virtual void Connect();
    // The profile of the controls into the connection and the tunnel, the
    // connection made, and on success the profile remembered under
    // GetCaption of the connection as the last one. A failure to remember is
    // shown to the user and the logon stands.
    void ConnectAndRemember();
    // The dialog's controls into the profile and back; a form without
    // controls has nothing to move.
    virtual void ControlsToOption() {}
    virtual void OptionToControls() {}
    // Saves the profile and makes it the last one. A password the cipher
    // cannot store is left out of the saved profile (as with Save Password
    // off) and the cipher's message said; any other failure is said. Never
    // raises.
    void RememberProfile(const QString& profileName);

    TUniConnection* FConnection = nullptr;       // borrowed
    TSSHConnection* FSSHConnection = nullptr;    // borrowed
    TDBLogonOption* FLogonOption = nullptr;      // borrowed
    TFormUseMode FFormUseMode = fumSingleLogon;
};
