#pragma once

#include "app/base/UComponent.h"

#include <QString>
#include <memory>

class TDBLogonForm;
class TDBLogonOption;
class TUniConnection;
class TUniProvider;

// The logon object of one database type: owns the provider and the one
// connection that the whole program works on, for its whole life.
// The logon profile and the logon dialog are made on first use: the dialog
// is a window-mode object, and both come from classes registered by their
// own units.
class TDBLogon : public TObject {
public:
    explicit TDBLogon(const QString& dbType);
    ~TDBLogon() override;

    const QString& DBType() const { return FDBType; }
    // The same connection object for the logon object's whole life, lent.
    TUniConnection* GetConnection() const { return FConnection.get(); }
    TUniProvider* GetProvider() const { return FProvider.get(); }
    // Made on first call; lent.
    TDBLogonOption* GetLogonOption();
    TDBLogonForm* GetLogonForm();

    // The provider component of the type word, created by qualified name.
    static std::unique_ptr<TUniProvider> CreateProvider(const QString& dbType);

private:
    // Declared in reverse order of freeing: the connection outlives the rest.
    QString FDBType;
    std::unique_ptr<TUniConnection> FConnection;
    std::unique_ptr<TUniProvider> FProvider;
    std::unique_ptr<TDBLogonOption> FLogonOption;
    std::unique_ptr<TDBLogonForm> FLogonForm;
};
