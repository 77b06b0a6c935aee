#include "DacTestSupport.h"

#include "platform/dac/MySQLUniProvider.h"
#include "platform/dac/UUniError.h"

using namespace dactest;

TEST(UniConnection, ConnectsDisconnectsAndReopens)
{
    VQ_REQUIRE_TEST_DB();
    auto connection = NewConnection();
    EXPECT_FALSE(connection->Connected());
    connection->SetConnected(true);
    ASSERT_TRUE(connection->Connected());
    EXPECT_FALSE(connection->ServerVersion().isEmpty());
    EXPECT_EQ(Scalar(*connection, QStringLiteral("select 1+1")), QStringLiteral("2"));
    connection->Close();
    EXPECT_FALSE(connection->Connected());
    EXPECT_TRUE(connection->ServerVersion().isEmpty());
    connection->Close();   // harmless twice
    connection->Open();
    EXPECT_EQ(Scalar(*connection, QStringLiteral("select 'again'")), QStringLiteral("again"));
}

TEST(UniConnection, WrongPasswordCarriesTheServersMessage)
{
    VQ_REQUIRE_TEST_DB();
    auto connection = NewConnection();
    connection->SetPassword(QStringLiteral("not-the-password"));
    try {
        connection->Connect();
        FAIL() << "connected with a wrong password";
    } catch (const EUniError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Access denied for user 'vqtest'@"))) << e.what();
        EXPECT_TRUE(e.Message().endsWith(QStringLiteral("(using password: YES)"))) << e.what();
        EXPECT_EQ(e.ErrorCode(), 1045);
        EXPECT_EQ(e.SqlState(), QStringLiteral("28000"));
    }
    EXPECT_FALSE(connection->Connected());
}

TEST(UniConnection, UnknownProviderIsRefused)
{
    VQ_REQUIRE_TEST_DB();
    auto connection = NewConnection();
    connection->SetProviderName(QStringLiteral("PostgreSQL"));
    EXPECT_THROW(connection->Connect(), EUniError);
    EXPECT_EQ(TMySQLUniProvider().GetProviderName(), QStringLiteral("MySQL"));
}

TEST(UniConnection, DatabaseChangeWhileConnectedSwitchesTheSchema)
{
    VQ_REQUIRE_TEST_DB();
    auto connection = NewConnection();
    connection->SetDatabase(QStringLiteral("mysql"));
    connection->Connect();
    EXPECT_EQ(Scalar(*connection, QStringLiteral("select database()")), QStringLiteral("mysql"));
    connection->SetDatabase(QStringLiteral("information_schema"));
    EXPECT_EQ(Scalar(*connection, QStringLiteral("select database()")), QStringLiteral("information_schema"));
    EXPECT_EQ(connection->Database(), QStringLiteral("information_schema"));
    EXPECT_THROW(connection->SetDatabase(QStringLiteral("vq_no_such_database")), EUniError);
    EXPECT_EQ(connection->Database(), QStringLiteral("information_schema"));
}

TEST(UniConnection, ClientPacketLimitIsOneGibibyteAndNoMultiStatements)
{
    VQ_REQUIRE_TEST_DB();
    auto connection = NewConnection();
    connection->Connect();
    // Two statements in one text are refused: only one statement per call.
    EXPECT_THROW(connection->ExecSQL(QStringLiteral("select 1; select 2")), EUniError);
    EXPECT_EQ(Scalar(*connection, QStringLiteral("select 3")), QStringLiteral("3"));
    EXPECT_GT(connection->MaxAllowedPacket(), 0);
}

TEST(UniConnection, LostSessionIsReplacedAfterTheFailingStatement)
{
    VQ_REQUIRE_TEST_DB();
    auto connection = NewConnection();
    connection->Connect();
    auto killer = NewConnection();
    killer->Connect();
    const unsigned long before = connection->ThreadId();
    killer->ExecSQL(QStringLiteral("KILL CONNECTION %1").arg(before));
    EXPECT_THROW(Scalar(*connection, QStringLiteral("select 1")), EUniError);
    ASSERT_TRUE(connection->Connected());
    EXPECT_NE(connection->ThreadId(), before);
    EXPECT_EQ(Scalar(*connection, QStringLiteral("select 2")), QStringLiteral("2"));
}

using CharsetTest = DacCharsetTest;

TEST_P(CharsetTest, SessionCharsetAndNonAsciiRoundTrip)
{
    const bool unicode = GetParam();
    EXPECT_EQ(Scalar(QStringLiteral("select @@character_set_client")),
              unicode ? QStringLiteral("utf8mb4") : QStringLiteral("latin1"));
    // Windows-1252 holds é, € and Œ; only Unicode holds the rest.
    const QString text = unicode ? QStringLiteral("Grüße € Œ — 日本 😀") : QStringLiteral("Grüße € Œ");
    Connection->ExecSQL(QStringLiteral("create table t (id int, u text character set utf8mb4, "
                                       "l varchar(40) character set latin1)"));
    auto insert = NewQuery(QStringLiteral("insert into t values (1, :u, :l)"));
    insert->ParamByName(QStringLiteral("u"))->SetAsString(text);
    insert->ParamByName(QStringLiteral("l"))->SetAsString(QStringLiteral("Grüße € Œ"));
    insert->Execute();
    Connection->ExecSQL(QStringLiteral("insert into t values (2, '%1', 'Grüße € Œ')").arg(text));
    auto select = NewQuery(QStringLiteral("select u, l, hex(l) from t order by id"));
    select->Open();
    for (int row = 0; row < 2; ++row, select->Next()) {
        ASSERT_FALSE(select->Eof());
        EXPECT_EQ(select->Fields(0)->AsString(), text);
        EXPECT_EQ(select->Fields(1)->AsString(), QStringLiteral("Grüße € Œ"));
        // The latin1 column holds the Windows-1252 bytes.
        EXPECT_EQ(select->Fields(2)->AsString(), QStringLiteral("4772FC DF652080208C").remove(QLatin1Char(' ')));
        EXPECT_EQ(select->Fields(0)->DataType(), unicode ? ftWideMemo : ftMemo);
        EXPECT_EQ(select->Fields(1)->DataType(), unicode ? ftWideString : ftString);
    }
}

INSTANTIATE_TEST_SUITE_P(UseUnicode, CharsetTest, ::testing::Bool());
