#pragma once

#include "app/base/UComponent.h"

class TUniConnection;

// The logon profile of one database type; created by the qualified name
// "U<type>DBLogonOption.T<type>DBLogonOption". Its storage, validation and
// the applying to a connection come with the logon profile itself.
class TDBLogonOption : public TObject {
public:
    // Prepares a profile for the connection it will be applied to.
    virtual void InitConnection(TUniConnection* connection) {}
};
