// The first run of ./run.sh without a display: a demo server of its own in a
// fresh per-user folder, the example tasks filled in for it and run.
#include "support/VqTestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
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
