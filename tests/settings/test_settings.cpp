#include "base/UCommandLine.h"
#include "base/USystemUtil.h"
#include "settings/UAppSettings.h"
#include "settings/UOfficeUtil.h"
#include "settings/UQuenmarelSettings.h"
#include "settings/URegUtil.h"
#include "platform/registry/URegistry.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
const QString ProgramKey = QStringLiteral("Software\\Corvanta\\Vantorquill");

// Each test starts on a fresh machine: no registry, no config.ini.
class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(TRegistry::DefaultFileName());
        QFile::remove(TQuenmarelSettings::ConfigFileName());
        TAppSettings::ShowLaunch = true;
        TQuenmarelSettings::UseLobValueAsName = false;
    }

    static QByteArray ReadConfig()
    {
        QFile f(TQuenmarelSettings::ConfigFileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void WriteConfig(const QByteArray& bytes)
    {
        QFile f(TQuenmarelSettings::ConfigFileName());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};
}  // namespace

TEST_F(Settings, FreshMachineCreatesAnEmptyNotShowLaunchAndShowsTheDialog)
{
    TAppSettings::Load();
    EXPECT_TRUE(TAppSettings::ShowLaunch);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Corvanta\\Vantorquill"), false));
    EXPECT_EQ(reg.GetDataType(QStringLiteral("NotShowLaunch")), TRegDataType::rdString);
    EXPECT_EQ(reg.ReadString(QStringLiteral("NotShowLaunch")), QString());
}

TEST_F(Settings, RegistryBooleans)
{
    const struct {
        const char* text;
        bool value;
    } cases[] = {
        {"True", true}, {"tRUE", true}, {"1", true}, {"-1", true}, {"2", true},
        {"0", false},   {"False", false}, {"no", false}, {"", false}, {"yes", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegTextToBool(QLatin1String(c.text)), c.value) << c.text;
        RegWriteString(ProgramKey, QStringLiteral("NotShowLaunch"), QLatin1String(c.text));
        TAppSettings::Load();
        EXPECT_EQ(TAppSettings::ShowLaunch, !c.value) << c.text;
    }
    TAppSettings::ShowLaunch = false;
    TAppSettings::Save();
    EXPECT_EQ(RegReadString(ProgramKey, QStringLiteral("NotShowLaunch")), QStringLiteral("-1"));
    TAppSettings::ShowLaunch = true;
    TAppSettings::Save();
    EXPECT_EQ(RegReadString(QStringLiteral("software\\corvanta\\VANTORQUILL"), QStringLiteral("notshowlaunch")),
              QStringLiteral("0"));
}

TEST_F(Settings, RegReadStringOfAnotherTypeRaises)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Corvanta\\MysqlList\\p"), true));
    reg.WriteInteger(QStringLiteral("Port"), 3306);
    EXPECT_THROW(RegReadString(QStringLiteral("Software\\Corvanta\\MysqlList\\p"), QStringLiteral("Port")),
                 ERegistryException);
}

TEST_F(Settings, ConfigIniUseLobValueAsName)
{
    TQuenmarelSettings::UseLobValueAsName = true;
    TQuenmarelSettings::Load();   // no file: nothing read
    EXPECT_TRUE(TQuenmarelSettings::UseLobValueAsName);

    const struct {
        QByteArray file;
        bool value;
    } cases[] = {
        {"[Export]\r\nUseLobValueAsName=1\r\n", true},
        {"[export]\r\nuselobvalueasname = 2\r\n", true},
        {"[Export]\r\nUseLobValueAsName=yes\r\n", false},
        {"[Export]\r\nUseLobValueAsName=0\r\n", false},
        {"[DBImport]\r\nDefaultFieldType=text\r\n", false},
    };
    for (const auto& c : cases) {
        WriteConfig(c.file);
        TQuenmarelSettings::UseLobValueAsName = !c.value;
        TQuenmarelSettings::Load();
        EXPECT_EQ(TQuenmarelSettings::UseLobValueAsName, c.value) << c.file.constData();
    }

    // Save changes that key only.
    WriteConfig("[DBImport]\r\nDecimalSeparator=,\r\n\r\n[Export]\r\nUseLobValueAsName=0\r\n");
    TQuenmarelSettings::UseLobValueAsName = true;
    TQuenmarelSettings::Save();
    EXPECT_EQ(ReadConfig(), QByteArray("[DBImport]\r\nDecimalSeparator=,\r\n\r\n[Export]\r\nUseLobValueAsName=1\r\n"));
}

TEST_F(Settings, SaveCreatesConfigIni)
{
    TQuenmarelSettings::UseLobValueAsName = true;
    TQuenmarelSettings::Save();
    EXPECT_EQ(ReadConfig(), QByteArray("[Export]\r\nUseLobValueAsName=1\r\n"));
    EXPECT_EQ(TQuenmarelSettings::ConfigFileName(), GetProgramDataDir(QStringLiteral("Vantorquill")) + QStringLiteral("config.ini"));
}

TEST_F(Settings, OfficePathsAreReadFromTheProgramKey)
{
    SetProgramArguments(QStringLiteral("/opt/vq/Vantorquill"), {});
    EXPECT_EQ(GetAccessPath(), QString());   // leaves an empty value behind
    EXPECT_EQ(GetAccessVersion(), QString());
    EXPECT_EQ(GetAccessArch(), QStringLiteral("x86"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Corvanta\\Vantorquill"), false));
    EXPECT_TRUE(reg.ValueExists(QStringLiteral("AccessPath")));

    reg.WriteString(QStringLiteral("ExcelPath"), QStringLiteral("/opt/office/excel.exe"));
    EXPECT_EQ(GetExcelPath(), QStringLiteral("/opt/office/excel.exe"));
    EXPECT_EQ(GetExcelVersion(), QString());
}
