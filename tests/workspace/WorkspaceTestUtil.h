#pragma once

// A database object factory connected to the test MariaDB, on a database of
// the test's own, for the workspace's dialogs and tree.

#include "db/UDBObjectFactory.h"
#include "db/UMysqlDBClassInit.h"
#include "platform/dac/DacTestSupport.h"
#include "platform/dac/UUniConnection.h"
#include "support/VqWidgetTestSupport.h"

#include <QTimer>
#include <functional>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace wstest {

inline QString S(const char* text)
{
    return QString::fromUtf8(text);
}

class FactoryTest : public dactest::DacTest {
protected:
    void SetUp() override
    {
        vqtest::WidgetApp();
        DacTest::SetUp();
        if (HasFatalFailure())
            return;
        InitMysqlDBClasses();
        Factory = std::make_unique<TDBObjectFactory>(S("Mysql"));
        const vqtest::DbServer server = vqtest::TestDbServer();
        TUniConnection* connection = Factory->GetConnection();
        connection->SetServer(server.host);
        connection->SetPort(server.port);
        connection->SetUsername(server.user);
        connection->SetPassword(server.password);
        connection->SetDatabase(Database);
        connection->Connect();
    }

    void TearDown() override
    {
        Factory.reset();
        DoneMysqlDBClasses();
        DacTest::TearDown();
    }

    std::unique_ptr<TDBObjectFactory> Factory;
};

// Runs action once the next modal loop is running (a dialog's exec()).
inline void WhenModal(std::function<void()> action)
{
    QTimer::singleShot(0, std::move(action));
}

}  // namespace wstest
