// The first run of ./run.sh without a display: a demo server of its own in a
// fresh per-user folder, the example tasks filled in for it and run.
#include "support/VqTestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vqtest;

namespace {

QString Script(const QString& name)
{
    return QDir::cleanPath(TestDataPath(QStringLiteral("../../scripts/")) + QLatin1Char('/') + name);
}

}  // namespace

TEST(FirstRun, RunsTheExampleTasksOnItsOwnServerAndAgainOnTheSame)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = HeadlessEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    const QString demo = home.path() + QStringLiteral("/data/Vantorquill/demo");

    struct Stop {
        QProcessEnvironment env;
        ~Stop() { RunProcess(Script(QStringLiteral("demo-server.sh")), {QStringLiteral("stop")}, env); }
    } stop{env};

    for (const char* round : {"Started", "Reusing"}) {
        const ProcessResult run =
            RunProcess(Script(QStringLiteral("first-run.sh")), {ProgramPath(), QStringLiteral("demo")}, env);
        ASSERT_TRUE(run.finished);
        const std::string output = (run.out + run.err).toStdString();
        EXPECT_EQ(run.exitCode, 0) << output;
        EXPECT_TRUE(run.out.contains(QByteArray(round) + " the demo MariaDB server on 127.0.0.1:")) << output;
        EXPECT_TRUE(run.out.contains("6 records    Elapsed: ")) << output;
        EXPECT_TRUE(run.out.contains("Every exported file equals its sample byte for byte.")) << output;
    }

    // The password stays with its owner, and the task copies name the server.
    EXPECT_EQ(QFile::permissions(demo + QStringLiteral("/server/password"))
                  & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
              QFileDevice::Permissions());
    QFile task(demo + QStringLiteral("/examples/export-samples.elt"));
    ASSERT_TRUE(task.open(QIODevice::ReadOnly));
    const QByteArray text = task.readAll();
    EXPECT_FALSE(QString::fromUtf8(text).contains(QRegularExpression(QStringLiteral("@[A-Z]+@"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains("UnloadFolder=" + (demo + QStringLiteral("/export")).toUtf8()));
}

// Saved tasks, batch scripts and scheduled tasks name the demo server's port:
// a restart keeps it, though the connections of the last run linger in
// TIME_WAIT, and only a port that another program holds moves it.
TEST(DemoServer, KeepsItsPortAcrossARestartAndMovesOnlyFromAPortHeldElsewhere)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = HeadlessEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    const QString script = Script(QStringLiteral("demo-server.sh"));
    struct Stop {
        QString script;
        QProcessEnvironment env;
        ~Stop() { RunProcess(script, {QStringLiteral("stop")}, env); }
    } stop{script, env};
    const auto start = [&] {
        const ProcessResult run = RunProcess(script, {QStringLiteral("start")}, env);
        EXPECT_TRUE(run.finished && run.exitCode == 0) << (run.out + run.err).toStdString();
        const QRegularExpressionMatch port =
            QRegularExpression(QStringLiteral("on 127\\.0\\.0\\.1:(\\d+)")).match(QString::fromUtf8(run.out));
        return std::make_pair(port.hasMatch() ? port.captured(1).toUShort() : quint16(0), run.err);
    };

    const quint16 first = start().first;
    ASSERT_NE(first, 0);
    {
        // The server closes this connection as it stops: its end stays in
        // TIME_WAIT on the server's port.
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, first);
        ASSERT_TRUE(client.waitForConnected(10000));
        ASSERT_TRUE(client.waitForReadyRead(10000));   // the server's greeting
        const ProcessResult stopped = RunProcess(script, {QStringLiteral("stop")}, env);
        ASSERT_EQ(stopped.exitCode, 0) << stopped.err.toStdString();
    }
    const auto [again, againErr] = start();
    EXPECT_EQ(again, first);
    EXPECT_TRUE(againErr.isEmpty()) << againErr.toStdString();
    ASSERT_EQ(RunProcess(script, {QStringLiteral("stop")}, env).exitCode, 0);

    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost, first));
    const auto [moved, movedErr] = start();
    EXPECT_NE(moved, first);
    EXPECT_NE(moved, 0);
    EXPECT_TRUE(movedErr.contains(QStringLiteral("Port %1 is held by another program: the demo server moves to port %2")
                                      .arg(first)
                                      .arg(moved)
                                      .toUtf8()))
        << movedErr.toStdString();
}
