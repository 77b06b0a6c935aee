#pragma once

#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniQuery.h"
#include "support/VqTestSupport.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <memory>

namespace dactest {

// A connection to the test server, not yet connected.
inline std::unique_ptr<TUniConnection> NewConnection(bool unicode = true)
{
    const vqtest::DbServer server = vqtest::TestDbServer();
    auto connection = std::make_unique<TUniConnection>();
    connection->SetProviderName(QStringLiteral("MySQL"));
    connection->SetLoginPrompt(false);
    connection->SetServer(server.host);
    connection->SetPort(server.port);
    connection->SetUsername(server.user);
    connection->SetPassword(server.password);
    connection->SpecificOptions().SetValue(QStringLiteral("UseUnicode"), unicode ? QStringLiteral("True")
                                                                                 : QStringLiteral("False"));
    return connection;
}

// The first column of the first row of a statement, as text.
inline QString Scalar(TUniConnection& connection, const QString& sql)
{
    TUniQuery query;
    query.SetConnection(&connection);
    query.SetSQL(sql);
    query.Open();
    return query.Eof() ? QString() : query.Fields(0)->AsString();
}

// Each test gets a database of its own on the shared server (tests run in
// parallel), dropped afterwards; the connection is connected to it.
class DacTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VQ_REQUIRE_TEST_DB();
        Database = QStringLiteral("vq_dac_%1_%2")
                       .arg(QCoreApplication::applicationPid())
                       .arg(QRandomGenerator::global()->bounded(1000000));
        Connection = NewConnection(UseUnicode());
        Connection->Connect();
        Connection->ExecSQL(QStringLiteral("CREATE DATABASE `%1`").arg(Database));
        Connection->SetDatabase(Database);
    }

    void TearDown() override
    {
        if (!Database.isEmpty()) {
            auto cleaner = NewConnection();
            cleaner->Connect();
            cleaner->ExecSQL(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(Database));
        }
    }

    virtual bool UseUnicode() const { return true; }

    std::unique_ptr<TUniQuery> NewQuery(const QString& sql = QString())
    {
        auto query = std::make_unique<TUniQuery>();
        query->SetConnection(Connection.get());
        if (!sql.isEmpty())
            query->SetSQL(sql);
        return query;
    }

    QString Scalar(const QString& sql) { return dactest::Scalar(*Connection, sql); }

    QString Database;
    std::unique_ptr<TUniConnection> Connection;
};

// DacTest once per session character set: latin1 (false), then utf8mb4 (true).
class DacCharsetTest : public DacTest, public ::testing::WithParamInterface<bool> {
protected:
    bool UseUnicode() const override { return GetParam(); }
};

}  // namespace dactest
