#pragma once

#include "base/UComponent.h"

#include <QString>
#include <memory>

class TDBDictionary;
class TDBHelper;
class TDBLogon;
class TDBLogonForm;
class TDBLogonOption;
class TSqlExecutor;
class TTableCreator;
class TUniConnection;

// The one entry to the database objects of one database type ("Mysql"). Owns
// the logon object (with the connection), the dictionary and the SQL
// executor for its whole life and lends them; the getters return the same
// objects throughout. The class operations make new objects that belong to
// the caller; the database-specific classes are found by their qualified
// names (see DBClassName), and one of the wrong class raises "Cast Error: ...".
class TDBObjectFactory : public TObject {
public:
    // Builds the logon object, then the dictionary and the executor on its
    // connection; a failure frees what was built and propagates.
    explicit TDBObjectFactory(const QString& dbType);
    // Frees the executor, the dictionary, then the logon object (and with it
    // the connection that the others borrow).
    ~TDBObjectFactory() override;

    virtual QString GetDBType() const { return FDBType; }
    virtual TDBDictionary* GetDictionary() const { return FDictionary.get(); }
    virtual TDBLogon* GetLogon() const { return FLogon.get(); }
    virtual TSqlExecutor* GetSqlExecutor() const { return FSqlExecutor.get(); }
    TUniConnection* GetConnection() const;

    // Disconnected, LoginPrompt false, ProviderName "MySQL" for "Mysql".
    static std::unique_ptr<TUniConnection> CreateConnection(const QString& dbType);
    // Of the class for the connection's provider name, already given the
    // connection.
    static std::unique_ptr<TDBDictionary> CreateDictionary(TUniConnection* connection);
    static std::unique_ptr<TDBHelper> CreateHelper(const QString& providerName);
    // A component without owner.
    static std::unique_ptr<TDBLogonForm> CreateLogonForm(const QString& dbType);
    static std::unique_ptr<TDBLogonOption> CreateLogonOption(const QString& dbType);
    static std::unique_ptr<TDBLogon> CreateLogon(const QString& dbType);
    static std::unique_ptr<TTableCreator> CreateTableCreator(const QString& dbType);
    static std::unique_ptr<TSqlExecutor> CreateSqlExecutor(TUniConnection* connection);

private:
    // Declared in reverse order of freeing.
    QString FDBType;
    std::unique_ptr<TDBLogon> FLogon;
    std::unique_ptr<TDBDictionary> FDictionary;
    std::unique_ptr<TSqlExecutor> FSqlExecutor;
};

// The source and the target database object factory of the run: both name
// the application object's one factory (null outside its life); they own
// nothing.
extern TDBObjectFactory* SourceDBFactory;
extern TDBObjectFactory* DestDBFactory;
