// The built program, run as a subprocess without a display.
#include "settings/UAppSettings.h"
#include "settings/URegUtil.h"
#include "support/VqTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vqtest;

TEST(Program, UnknownArgumentRunsWithoutDisplayOrWindow)
{
    QTemporaryDir home;
    QProcessEnvironment env = HeadlessEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    const ProcessResult run = RunProcess(ProgramPath(), {QStringLiteral("whatever=1")}, env);
    ASSERT_TRUE(run.finished);
    // No logon parameters and no task file to take them from: the logon
    // fails, and without a log file the reason goes to standard error.
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("[error]\tCan not logon Source DB, no cmd params, no ini values.\n"))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("display")) << run.err.toStdString();
    // Command-line mode starts no window-mode logs.
    EXPECT_FALSE(QFile::exists(home.filePath(QStringLiteral("Vantorquill/exception.log"))));
}

TEST(Program, WindowModeWithoutDisplaySaysHowToRunATask)
{
    // The run shares this test's home: no update check leaves the machine.
    RegWriteString(QLatin1String(TAppSettings::RegistryKey), QStringLiteral("NotNotifyUpdate"), QStringLiteral("-1"));
    const ProcessResult run = RunProcess(ProgramPath(), {}, HeadlessEnvironment());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("task=")) << run.err.toStdString();
}
