#pragma once

#include "app/base/UComponent.h"

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

protected:
    virtual void OnConnectionSet() = 0;

    TUniConnection* FConnection = nullptr;       // borrowed
    TSSHConnection* FSSHConnection = nullptr;    // borrowed
    TDBLogonOption* FLogonOption = nullptr;      // borrowed
    TFormUseMode FFormUseMode = fumSingleLogon;
};
