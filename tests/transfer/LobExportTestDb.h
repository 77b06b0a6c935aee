#pragma once

// A database of its own on the test MariaDB for each export or merge test
// (tests run in parallel), reached the way the program reaches it: through
// the program's database object factory, its connection and dictionary.

#include "db/UDBObjectFactory.h"
#include "db/UMysqlDBClassInit.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniQuery.h"
#include "support/VqTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace exporttest {

inline QString S(const char* text)
{
    return QString::fromUtf8(text);
}

class LobDbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VQ_REQUIRE_TEST_DB();
        InitMysqlDBClasses();
        Factory = std::make_unique<TDBObjectFactory>(QStringLiteral("Mysql"));
        Connection = Factory->GetConnection();
        Configure(*Connection);
        Connection->Connect();
        Database = QStringLiteral("vq_exp_%1_%2")
                       .arg(QCoreApplication::applicationPid())
                       .arg(QRandomGenerator::global()->bounded(1000000));
        Connection->ExecSQL(QStringLiteral("CREATE DATABASE `%1`").arg(Database));
        Connection->SetDatabase(Database);
        SourceDBFactory = DestDBFactory = Factory.get();
        ASSERT_TRUE(Out.isValid());
    }

    void TearDown() override
    {
        SourceDBFactory = DestDBFactory = nullptr;
        if (Factory) {
            if (!Database.isEmpty()) {
                TUniConnection cleaner;
                Configure(cleaner);
                cleaner.Connect();
                cleaner.ExecSQL(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(Database));
            }
            Factory.reset();
            DoneMysqlDBClasses();
        }
    }

    static void Configure(TUniConnection& connection)
    {
        const vqtest::DbServer server = vqtest::TestDbServer();
        connection.SetProviderName(QStringLiteral("MySQL"));
        connection.SetLoginPrompt(false);
        connection.SetServer(server.host);
        connection.SetPort(server.port);
        connection.SetUsername(server.user);
        connection.SetPassword(server.password);
        connection.SpecificOptions().SetValue(QStringLiteral("UseUnicode"), QStringLiteral("True"));
    }

    void Exec(const QString& sql) { Connection->ExecSQL(sql); }

    QString Scalar(const QString& sql)
    {
        TUniQuery query;
        query.SetConnection(Connection);
        query.SetSQL(sql);
        query.Open();
        return query.Eof() ? QString() : query.Fields(0)->AsString();
    }

    // A table t (id, body) with the given values in id order; a null
    // QByteArray is NULL.
    void MakeValues(const QList<QByteArray>& values)
    {
        Exec(QStringLiteral("CREATE TABLE t (id INT PRIMARY KEY, body LONGBLOB)"));
        for (int i = 0; i < values.size(); ++i) {
            const QByteArray& value = values[i];
            Exec(QStringLiteral("INSERT INTO t VALUES (%1, %2)")
                     .arg(i + 1)
                     .arg(value.isNull() ? QStringLiteral("NULL")
                                         : QStringLiteral("X'%1'").arg(QString::fromLatin1(value.toHex()))));
        }
    }

    // Table t (id, body) with n numbered rows "v1", "v2", ...
    void MakeRows(int n)
    {
        QList<QByteArray> values;
        for (int i = 1; i <= n; ++i)
            values.append("v" + QByteArray::number(i));
        MakeValues(values);
    }

    QString OutPath(const QString& relative = QString()) const
    {
        return relative.isEmpty() ? Out.path() : Out.path() + QLatin1Char('/') + relative;
    }

    // Every file below the folder: path relative to it, then the content.
    // Hidden files too, unless hidden is empty.
    static QMap<QString, QByteArray> FilesBelow(const QString& folder, QDir::Filters hidden = QDir::Hidden | QDir::System)
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(folder, QDir::Files | hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            files.insert(QDir(folder).relativeFilePath(path), file.readAll());
        }
        return files;
    }

    std::unique_ptr<TDBObjectFactory> Factory;
    TUniConnection* Connection = nullptr;
    QString Database;
    QTemporaryDir Out;
};

}  // namespace exporttest
