// The database object factory, typed creation by class name, the logon
// object's hooks and the script executor.
#include "DBTestUtil.h"
#include "base/UException.h"
#include "base/URttiUtil.h"
#include "db/UDBLogon.h"
#include "db/UDBLogonForm.h"
#include "db/UDBLogonOption.h"
#include "db/UDBObjectFactory.h"
#include "db/UMysqlDBClassInit.h"
#include "db/UMysqlDBDictionary.h"
#include "db/UMysqlDBHelper.h"
#include "db/UMysqlDBLogonOption.h"
#include "db/UTableCreator.h"
#include "db/UUniSqlExecutor.h"
#include "platform/dac/DacTestSupport.h"
#include "platform/dac/MySQLUniProvider.h"

#include <gtest/gtest.h>
#include <functional>

namespace {

using dbtest::MessageOf;
using dbtest::S;

class FactoryTest : public ::testing::Test {
protected:
    void SetUp() override { InitMysqlDBClasses(); }
    void TearDown() override { DoneMysqlDBClasses(); }
};

class TNotAHelper : public TObject {
};

// Notes the order in which the factory's objects go.
std::vector<QString> freed;

class TProbeDBDictionary : public TMysqlDBDictionary {
public:
    ~TProbeDBDictionary() override { freed.push_back(S("dictionary")); }
};

class TConnectionWatch : public TUniConnectionClient {
public:
    void ConnectionClosing() override {}
    void ConnectionLost() override {}
    void ConnectionDestroyed() override { freed.push_back(S("connection")); }
};

class TProbeLogonOption : public TMysqlDBLogonOption {
public:
    void InitConnection(TUniConnection* connection) override { Connection = connection; }
    TUniConnection* Connection = nullptr;
};

}  // namespace

TEST_F(FactoryTest, BuildsTheMysqlObjectsOnOneDisconnectedConnection)
{
    TDBObjectFactory factory(S("Mysql"));
    EXPECT_EQ(factory.GetDBType(), S("Mysql"));
    TUniConnection* connection = factory.GetConnection();
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection, factory.GetLogon()->GetConnection());
    EXPECT_EQ(connection->ProviderName(), S("MySQL"));
    EXPECT_FALSE(connection->LoginPrompt());
    EXPECT_FALSE(connection->Connected());

    auto* dictionary = dynamic_cast<TMysqlDBDictionary*>(factory.GetDictionary());
    ASSERT_NE(dictionary, nullptr);
    EXPECT_EQ(dictionary->Connection(), connection);
    EXPECT_NE(dynamic_cast<TMysqlDBHelper*>(dictionary->Helper()), nullptr);
    auto* executor = dynamic_cast<TUniSqlExecutor*>(factory.GetSqlExecutor());
    ASSERT_NE(executor, nullptr);
    EXPECT_EQ(executor->Connection(), connection);
    EXPECT_NE(dynamic_cast<TMySQLUniProvider*>(factory.GetLogon()->GetProvider()), nullptr);

    EXPECT_EQ(dictionary->GetQualifiedName(S("db"), S("a`b")), S("`db`.`a``b`"));
}

TEST_F(FactoryTest, ClassOperationsBelongToTheCaller)
{
    std::unique_ptr<TUniConnection> connection = TDBObjectFactory::CreateConnection(S("Mysql"));
    EXPECT_EQ(connection->ProviderName(), S("MySQL"));
    EXPECT_FALSE(connection->LoginPrompt());
    EXPECT_TRUE(connection->Server().isEmpty());

    std::unique_ptr<TDBDictionary> dictionary = TDBObjectFactory::CreateDictionary(connection.get());
    EXPECT_EQ(dictionary->ClassName(), S("TMysqlDBDictionary"));
    EXPECT_EQ(TDBObjectFactory::CreateHelper(S("MySQL"))->ClassName(), S("TMysqlDBHelper"));
    EXPECT_EQ(TDBObjectFactory::CreateSqlExecutor(connection.get())->ClassName(), S("TUniSqlExecutor"));
}

TEST_F(FactoryTest, DictionaryTextsWithoutServer)
{
    std::unique_ptr<TUniConnection> connection = TDBObjectFactory::CreateConnection(S("Mysql"));
    std::unique_ptr<TDBDictionary> dictionary = TDBObjectFactory::CreateDictionary(connection.get());
    EXPECT_EQ(dictionary->GetSelectAllSql(S(" "), S("t")), S("select * from `t`"));
    EXPECT_EQ(dictionary->GetDropTableSql(S("db"), S("t")), S("drop table `db`.`t`"));
    EXPECT_EQ(dictionary->QuoteName(S("`q`")), S("`q`"));

    // The provider name is read from the connection as it is now.
    for (const char* provider : {"Access", "SQLITE", "dbf"}) {
        connection->SetProviderName(S(provider));
        EXPECT_FALSE(dictionary->IsServerDatabase()) << provider;
    }
    connection->SetProviderName(S("MySQL"));
    EXPECT_TRUE(dictionary->IsServerDatabase());
}

TEST_F(FactoryTest, UnknownAndWrongClassesRaise)
{
    TUniConnection oracle;
    oracle.SetProviderName(S("Oracle"));
    EXPECT_EQ(MessageOf([&] { TDBObjectFactory::CreateDictionary(&oracle); }),
              S("Can not find class type: UOracleDBDictionary.TOracleDBDictionary"));
    EXPECT_EQ(MessageOf([] { TDBObjectFactory factory(S("Oracle")); }),
              S("Can not find class type: OracleUniProvider.TOracleUniProvider"))
        << "a factory for a type without classes cannot be built";
    EXPECT_EQ(MessageOf([] { TDBObjectFactory::CreateTableCreator(S("Oracle")); }),
              S("Can not find class type: UOracleTableCreator.TOracleTableCreator"));

    TRttiUtil::RegisterObjectClass<TNotAHelper>(S("UWrongDBHelper.TWrongDBHelper"));
    TRttiUtil::RegisterComponentClass<TMySQLUniProvider>(S("UWrongLogonForm.TWrongLogonForm"));
    TRttiUtil::RegisterObjectClass<TMysqlDBHelper>(S("UWrongDBLogonOption.TWrongDBLogonOption"));
    EXPECT_EQ(MessageOf([] { TDBObjectFactory::CreateHelper(S("Wrong")); }),
              S("Cast Error: TObject to TDBHelper, Real type: TNotAHelper"));
    EXPECT_EQ(MessageOf([] { TDBObjectFactory::CreateLogonForm(S("Wrong")); }),
              S("Cast Error: TComponent to TDBLogonForm, Real type: TMySQLUniProvider"));
    EXPECT_EQ(MessageOf([] { TDBObjectFactory::CreateLogonOption(S("Wrong")); }),
              S("Cast Error: TObject to TDBLogonOption, Real type: TMysqlDBHelper"));
    TRttiUtil::Unregister(S("UWrongDBHelper.TWrongDBHelper"));
    TRttiUtil::Unregister(S("UWrongLogonForm.TWrongLogonForm"));
    TRttiUtil::Unregister(S("UWrongDBLogonOption.TWrongDBLogonOption"));
}

TEST_F(FactoryTest, TheConnectionOutlivesTheDictionary)
{
    TRttiUtil::RegisterComponentClass<TMySQLUniProvider>(S("ProbeUniProvider.TProbeUniProvider"));
    TRttiUtil::RegisterObjectClass<TMysqlDBHelper>(S("UProbeDBHelper.TProbeDBHelper"));
    TRttiUtil::RegisterObjectClass<TProbeDBDictionary>(S("UProbeDBDictionary.TProbeDBDictionary"));
    TRttiUtil::RegisterObjectClass<TProbeLogonOption>(S("UProbeDBLogonOption.TProbeDBLogonOption"));
    freed.clear();
    TConnectionWatch watch;
    {
        TDBObjectFactory factory(S("Probe"));
        EXPECT_EQ(factory.GetConnection()->ProviderName(), S("Probe"));
        factory.GetConnection()->AddClient(&watch);
    }
    EXPECT_EQ(freed, (std::vector<QString>{S("dictionary"), S("connection")}));
    TRttiUtil::Unregister(S("ProbeUniProvider.TProbeUniProvider"));
    TRttiUtil::Unregister(S("UProbeDBHelper.TProbeDBHelper"));
    TRttiUtil::Unregister(S("UProbeDBDictionary.TProbeDBDictionary"));
    TRttiUtil::Unregister(S("UProbeDBLogonOption.TProbeDBLogonOption"));
}

TEST_F(FactoryTest, LogonProfileComesFromItsRegisteredClassAndTheDialogOnFirstUse)
{
    TRttiUtil::RegisterComponentClass<TMySQLUniProvider>(S("ProbeUniProvider.TProbeUniProvider"));
    EXPECT_EQ(MessageOf([] { TDBLogon logon(S("Probe")); }),
              S("Can not find class type: UProbeDBLogonOption.TProbeDBLogonOption"));

    TRttiUtil::RegisterObjectClass<TProbeLogonOption>(S("UProbeDBLogonOption.TProbeDBLogonOption"));
    TDBLogon logon(S("Probe"));
    auto* option = dynamic_cast<TProbeLogonOption*>(logon.GetLogonOption());
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->Connection, logon.GetConnection()) << "the profile is prepared for the connection";
    EXPECT_EQ(logon.GetLogonOption(), option) << "one profile for the logon object's life";
    EXPECT_EQ(MessageOf([&] { logon.GetLogonForm(); }),
              S("Can not find class type: UProbeLogonForm.TProbeLogonForm"))
        << "the dialog is made only when a logon needs it";
    TRttiUtil::Unregister(S("ProbeUniProvider.TProbeUniProvider"));
    TRttiUtil::Unregister(S("UProbeDBLogonOption.TProbeDBLogonOption"));
}

class SqlExecutorTest : public dactest::DacTest {
};

TEST_F(SqlExecutorTest, RunsEveryStatementAndReportsSuccess)
{
    TUniSqlExecutor executor;
    executor.SetConnection(Connection.get());
    EXPECT_TRUE(executor.ExecuteSql(S("create table t (id int);\ninsert into t values (1);\ninsert into t values (2);")));
    EXPECT_EQ(Scalar(S("select count(*) from t")), S("2"));
    EXPECT_TRUE(executor.ExecuteSql(S("insert into t values (3)"))) << "every run starts afresh";
}

TEST_F(SqlExecutorTest, AFailingStatementRaisesTheServerMessageWithItsLineAndKeepsEarlierChanges)
{
    TUniSqlExecutor executor;
    executor.SetConnection(Connection.get());
    QString serverMessage;
    try {
        Connection->ExecSQL(S("insert into no_such_table values (2)"));
    } catch (const Exception& e) {
        serverMessage = e.Message();
    }
    ASSERT_FALSE(serverMessage.isEmpty());

    const QString script = S("create table t (id int);\n"
                             "insert into t values (1);\n"
                             "insert into no_such_table values (2);\n"
                             "insert into t values (3);");
    EXPECT_EQ(MessageOf([&] { executor.ExecuteSql(script); }), serverMessage + S(" at line 3 of the script"));
    EXPECT_EQ(Scalar(S("select group_concat(id) from t")), S("1"))
        << "statements before the failure stay, the ones after it do not run";
    EXPECT_TRUE(executor.ExecuteSql(S("insert into t values (4)")));
}
