// The logon profile in its stored forms: registry profiles, ini sections of
// task files, command-line parameters; its validation, captions and the
// transfer into a connection.
#include "DBTestUtil.h"
#include "db/DESUnit.h"
#include "db/UCryptUtil.h"
#include "db/UMysqlDBClassInit.h"
#include "db/UMysqlDBLogonOption.h"
#include "db/UDBObjectFactory.h"
#include "db/USSHConnection.h"
#include "platform/dac/UUniConnection.h"
#include "platform/ini/UIniFile.h"
#include "platform/registry/URegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>

namespace {

using dbtest::MessageOf;
using dbtest::S;

const QString listKey = S("\\Software\\Corvanta\\MysqlList");

// A profile with every field set, SSH included.
void Fill(TMysqlDBLogonOption& option)
{
    option.Username = S("alice");
    option.Password = S("pw one");
    option.SavePassword = true;
    option.Server = S("db.example");
    option.Port = S("3307");
    option.Database = S("shop");
    option.UseUnicode = S("True");
    option.UseSSH = true;
    TSSHConnectionOption* ssh = option.SSHConnectionOption();
    ssh->SSHHost = S("gate.example");
    ssh->SSHPort = 2222;
    ssh->SSHUserName = S("bob");
    ssh->SSHPassword = S("ssh pw");
    ssh->SSHSavePassword = true;
}

void ExpectSameProfile(const TMysqlDBLogonOption& a, const TMysqlDBLogonOption& b)
{
    EXPECT_EQ(a.Username, b.Username);
    EXPECT_EQ(a.Password, b.Password);
    EXPECT_EQ(a.SavePassword, b.SavePassword);
    EXPECT_EQ(a.Server, b.Server);
    EXPECT_EQ(a.Port, b.Port);
    EXPECT_EQ(a.Database, b.Database);
    EXPECT_EQ(a.UseUnicode, b.UseUnicode);
    EXPECT_EQ(a.UseSSH, b.UseSSH);
    EXPECT_EQ(a.SSHConnectionOption()->SSHHost, b.SSHConnectionOption()->SSHHost);
    EXPECT_EQ(a.SSHConnectionOption()->SSHPort, b.SSHConnectionOption()->SSHPort);
    EXPECT_EQ(a.SSHConnectionOption()->SSHUserName, b.SSHConnectionOption()->SSHUserName);
    EXPECT_EQ(a.SSHConnectionOption()->SSHPassword, b.SSHConnectionOption()->SSHPassword);
    EXPECT_EQ(a.SSHConnectionOption()->SSHSavePassword, b.SSHConnectionOption()->SSHSavePassword);
}

class LogonOptionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRegistry registry;
        registry.DeleteKey(listKey);
        ASSERT_TRUE(Folder.isValid());
    }

    // The values of a profile key as "name=type:value", in stored order.
    QStringList StoredValues(const QString& keyName)
    {
        TRegistry registry;
        EXPECT_TRUE(registry.OpenKey(listKey + S("\\") + keyName, false)) << keyName.toStdString();
        QStringList values;
        for (const QString& name : registry.GetValueNames()) {
            if (registry.GetDataType(name) == TRegDataType::rdInteger)
                values << name + S("=i:") + QString::number(registry.ReadInteger(name));
            else
                values << name + S("=s:") + registry.ReadString(name);
        }
        return values;
    }

    QTemporaryDir Folder;
};

}  // namespace

TEST_F(LogonOptionTest, RegistryProfileRoundTripsWithTypedValuesInOrder)
{
    TMysqlDBLogonOption saved;
    Fill(saved);
    saved.SaveToRegistry(S("alice@db.example:3307:shop"));

    EXPECT_EQ(StoredValues(S("alice@db.example:3307:shop")),
              (QStringList {S("Save Password=i:1"), S("PasswordEncrypted=i:1"),
                            S("Password=s:") + EncryptPassword(S("pw one")), S("UseUnicode=i:1"), S("UseSSH=i:1"),
                            S("SSHHost=s:gate.example"), S("SSHPort=i:2222"), S("SSHUserName=s:bob"),
                            S("SSHSavePassword=i:1"), S("SSHPasswordEncrypted=i:1"),
                            S("SSHPassword=s:") + EncryptPassword(S("ssh pw")), S("Server=s:db.example"),
                            S("Port=i:3307"), S("Username=s:alice"), S("Database=s:shop")}));

    TMysqlDBLogonOption loaded;
    loaded.LoadFromRegistry(S("alice@db.example:3307:shop"));
    ExpectSameProfile(loaded, saved);
    EXPECT_TRUE(loaded.PasswordEncrypted);
    EXPECT_TRUE(loaded.SSHConnectionOption()->SSHPasswordEncrypted);
}

TEST_F(LogonOptionTest, PasswordsAreStoredOnlyWhenAskedFor)
{
    TMysqlDBLogonOption option;
    Fill(option);
    option.SavePassword = false;
    option.SSHConnectionOption()->SSHSavePassword = false;
    option.SaveToRegistry(S("p"));
    const QStringList values = StoredValues(S("p"));
    EXPECT_TRUE(values.contains(S("Password=s:")));
    EXPECT_TRUE(values.contains(S("SSHPassword=s:")));

    // A task file runs unattended: its section always carries the password.
    const QString file = Folder.filePath(S("task.ilt"));
    option.SaveToIni(file, S("SourceDB"));
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString(S("SourceDB"), S("Password"), QString()), EncryptPassword(S("pw one")));
    EXPECT_EQ(ini.ReadString(S("SourceDB"), S("SSHPassword"), QString()), EncryptPassword(S("ssh pw")));
}

TEST_F(LogonOptionTest, ProfileNamesWithBackslashesAreListedAsTheyWere)
{
    TMysqlDBLogonOption option;
    Fill(option);
    option.SaveToRegistry(S("corp\\alice"));
    option.UseSSH = false;
    option.SaveToRegistry(S("plain"));
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(listKey, false));
    EXPECT_TRUE(registry.KeyExists(S("corp//alice")));
    registry.CreateKey(S("LastTime"));
    registry.CreateKey(S("old_$slash$_style"));

    QStringList profiles {S("stale entry")};
    option.ListProfiles(profiles);
    EXPECT_EQ(profiles, (QStringList {S("corp\\alice"), S("old\\style"), S("plain")}));

    TMysqlDBLogonOption loaded;
    loaded.LoadFromRegistry(S("corp\\alice"));
    EXPECT_TRUE(loaded.UseSSH) << "the same subkey is read back";
    EXPECT_EQ(option.GetProfileKey(S("a\\b")), S("Software\\Corvanta\\MysqlList\\a//b"));
    EXPECT_EQ(TLogonOption::UnescapeProfileName(S("a//b_$slash$_c")), S("a\\b\\c"));
}

TEST_F(LogonOptionTest, NamesThatDifferOnlyInSlashesAreKeptApart)
{
    const QStringList names {S("a\\b"), S("a//b"), S("a/b"), S("a\\/b"), S("a/\\b"), S("a\\\\b")};
    for (const QString& name : names) {
        TMysqlDBLogonOption option;
        Fill(option);
        option.Server = name;   // tells the profiles apart when read back
        option.SaveToRegistry(name);
        EXPECT_EQ(TLogonOption::UnescapeProfileName(TLogonOption::EscapeProfileName(name)), name);
    }
    QStringList listed;
    TMysqlDBLogonOption().ListProfiles(listed);
    EXPECT_EQ(QSet<QString>(listed.cbegin(), listed.cend()), QSet<QString>(names.cbegin(), names.cend()));
    for (const QString& name : names) {
        TMysqlDBLogonOption loaded;
        loaded.LoadFromRegistry(name);
        EXPECT_EQ(loaded.Server, name);
    }
}

TEST_F(LogonOptionTest, LastProfileIsAValueOfTheListKey)
{
    TMysqlDBLogonOption option;
    EXPECT_EQ(option.GetLastProfile(QString()), QString());
    option.SetLastProfile(S("corp\\alice"), QString());
    option.SetLastProfile(S("other"), S("Source"));
    EXPECT_EQ(option.GetLastProfile(QString()), S("corp\\alice"));
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(listKey, false));
    EXPECT_EQ(registry.ReadString(S("LastServer")), S("corp\\alice"));
    EXPECT_EQ(registry.ReadString(S("LastSourceServer")), S("other"));
    EXPECT_EQ(option.GetRegistryListKey(), S("Software\\Corvanta\\MysqlList"));
}

TEST_F(LogonOptionTest, RegistryDefaultsAndWhatALoadLeavesAlone)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(listKey + S("\\bare"), true));
    registry.WriteInteger(S("Port"), 3306);
    registry.WriteString(S("Password"), S("plain text"));

    TMysqlDBLogonOption option;
    Fill(option);
    option.LoadFromRegistry(S("bare"));
    EXPECT_EQ(option.UseUnicode, S("0")) << "a missing UseUnicode reads as 0";
    EXPECT_FALSE(option.UseUnicodeFlag());
    EXPECT_FALSE(option.UseSSH);
    EXPECT_FALSE(option.SavePassword);
    EXPECT_FALSE(option.PasswordEncrypted);
    EXPECT_EQ(option.Password, S("plain text")) << "without the flag the text is taken as it is";
    EXPECT_EQ(option.Server, QString());
    EXPECT_EQ(option.Port, S("3306"));
    EXPECT_EQ(option.SSHConnectionOption()->SSHHost, S("gate.example"))
        << "SSH settings of the profile loaded before stay";
}

TEST_F(LogonOptionTest, RequiredRegistryValuesRaiseWhenMissingOrMistyped)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(listKey + S("\\noport"), true));
    registry.WriteString(S("Server"), S("s1"));
    ASSERT_TRUE(registry.OpenKey(listKey + S("\\sshnoport"), true));
    registry.WriteInteger(S("UseSSH"), 1);
    registry.WriteInteger(S("Port"), 1);
    ASSERT_TRUE(registry.OpenKey(listKey + S("\\textport"), true));
    registry.WriteString(S("Port"), S("3306"));
    ASSERT_TRUE(registry.OpenKey(listKey + S("\\badcipher"), true));
    registry.WriteInteger(S("PasswordEncrypted"), 1);
    registry.WriteString(S("Password"), S("xyz"));
    registry.WriteInteger(S("Port"), 1);

    for (const char* profile : {"noport", "sshnoport", "textport"}) {
        TMysqlDBLogonOption option;
        EXPECT_THROW(option.LoadFromRegistry(S(profile)), ERegistryException) << profile;
    }
    TMysqlDBLogonOption option;
    option.Server = S("before");
    EXPECT_THROW(option.LoadFromRegistry(S("noport")), ERegistryException);
    EXPECT_EQ(option.Server, S("s1")) << "fields read before the failure keep their new values";
    EXPECT_EQ(MessageOf([&] { option.LoadFromRegistry(S("badcipher")); }), S("Error: not a Hex String"));
}

TEST_F(LogonOptionTest, AFailingSaveWritesNothing)
{
    TMysqlDBLogonOption option;
    Fill(option);
    option.SaveToRegistry(S("kept"));
    const QStringList before = StoredValues(S("kept"));

    option.Server = S("changed");
    option.Port = S("33o6");
    EXPECT_EQ(MessageOf([&] { option.SaveToRegistry(S("kept")); }), S("'33o6' is not a valid integer value"));
    option.Port = S("3306");
    option.Password = S("pa\xc5\x9b");
    EXPECT_THROW(option.SaveToRegistry(S("kept")), EWideCharError);
    EXPECT_EQ(StoredValues(S("kept")), before) << "a half-written profile would mix old and new values";

    // The dialog then saves the profile without its password.
    option.SavePassword = false;
    option.SaveToRegistry(S("kept"));
    EXPECT_TRUE(StoredValues(S("kept")).contains(S("Server=s:changed")));

    const QString file = Folder.filePath(S("t.ilt"));
    option.SavePassword = true;
    EXPECT_THROW(option.SaveToIni(file, S("SourceDB")), EWideCharError);
    EXPECT_FALSE(QFile::exists(file)) << "no key of the section is written";
}

TEST_F(LogonOptionTest, IniSectionsRoundTripInBothTaskFileSections)
{
    const QString file = Folder.filePath(S("task.elt"));
    TMysqlDBLogonOption saved;
    Fill(saved);
    saved.SavePassword = false;
    saved.SaveToIni(file, S("SourceDB"));
    saved.SaveToIni(file, S("TargetDB"));

    TIniFile ini(file);
    EXPECT_EQ(ini.ReadSections(), (QStringList {S("SourceDB"), S("TargetDB")}));
    EXPECT_EQ(ini.ReadSection(S("TargetDB")),
              (QStringList {S("SavePassword"), S("PasswordEncrypted"), S("Password"), S("UseUnicode"), S("UseSSH"),
                            S("DBType"), S("SSHHost"), S("SSHPort"), S("SSHUserName"), S("SSHSavePassword"),
                            S("SSHPasswordEncrypted"), S("SSHPassword"), S("Server"), S("Port"), S("Username"),
                            S("Database")}));
    EXPECT_EQ(ini.ReadString(S("SourceDB"), S("DBType"), QString()), S("Mysql"));
    EXPECT_EQ(ini.ReadString(S("SourceDB"), S("UseUnicode"), QString()), S("1"));
    EXPECT_EQ(ini.ReadString(S("SourceDB"), S("SavePassword"), QString()), S("0"));

    for (const char* section : {"SourceDB", "TargetDB"}) {
        TMysqlDBLogonOption loaded;
        loaded.LoadFromIni(file, S(section));
        ExpectSameProfile(loaded, saved);
    }

    // A relative name is taken from the current folder.
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Folder.path()));
    TMysqlDBLogonOption relative;
    relative.LoadFromIni(S("task.elt"), S("SourceDB"));
    QDir::setCurrent(current);
    EXPECT_EQ(relative.Username, S("alice"));
}

TEST_F(LogonOptionTest, IniDefaultsAndTheUnicodeText)
{
    const QString file = Folder.filePath(S("bare.ilt"));
    TIniFile ini(file);
    ini.WriteString(S("SourceDB"), S("UseSSH"), S("1"));
    ini.WriteString(S("SourceDB"), S("DBType"), S("Postgres"));
    ini.WriteString(S("SourceDB"), S("Password"), S("plain"));

    TMysqlDBLogonOption option;
    option.LoadFromIni(file, S("SourceDB"));
    EXPECT_EQ(option.Port, S("3306"));
    EXPECT_EQ(option.SSHConnectionOption()->SSHPort, 22);
    EXPECT_EQ(option.UseUnicode, S("False"));
    EXPECT_EQ(option.Password, S("plain"));
    EXPECT_EQ(option.GetDBType(), S("Mysql")) << "DBType is never read";

    // Written as a boolean, any text but True/False and numbers is false.
    const std::pair<const char*, const char*> unicode[] = {
        {"True", "1"}, {"tRUE", "1"}, {"-1", "1"}, {"2", "1"}, {"False", "0"}, {"0", "0"}, {"yes", "0"}, {"", "0"}};
    for (const auto& [text, written] : unicode) {
        option.UseUnicode = S(text);
        option.UseSSH = false;
        option.SaveToIni(file, S("U"));
        EXPECT_EQ(TIniFile(file).ReadString(S("U"), S("UseUnicode"), QString()), S(written)) << text;
    }
}

TEST(LogonOption, CommandLineParameters)
{
    TMysqlDBLogonOption option;
    Fill(option);
    option.LoadFromParams({S("mysql_username="), S("username= carol "), S("MYSQL_PASSWORD= p w "),
                           S("server=db2"), S("mysql_server=db1"), S("mysql_port=3310"), S("mysql_unicode= TRUE "),
                           S("task=x.ilt")});
    EXPECT_EQ(option.Username, S("carol")) << "an empty long name gives way to the short one";
    EXPECT_EQ(option.Password, S("p w"));
    EXPECT_EQ(option.Server, S("db1")) << "the long name wins";
    EXPECT_EQ(option.Database, QString()) << "both names absent";
    EXPECT_EQ(option.Port, S("3310"));
    EXPECT_EQ(option.UseUnicode, S("true"));
    EXPECT_TRUE(option.UseSSH) << "the parameters touch no other field";

    EXPECT_EQ(option.ToCmdLineParams(), S(" mysql_username=\"carol\" mysql_password=\"p w\" mysql_server=\"db1\" "
                                          "mysql_database=\"\" mysql_port=\"3310\" mysql_unicode=\"true\""));
}

TEST(LogonOption, ValidationRunsItsChecksInOrder)
{
    struct Case {
        const char* username;
        const char* password;
        const char* server;
        const char* port;
        const char* message;   // null: passes
    };
    const Case cases[] = {
        {"", "", "", "", "Please enter Username."},
        {"u", "", "", "", "Please enter Password."},
        {"u", "p", "", "", "Please enter Server (hostname or ip)."},
        {"u", "p", "s", "", "Please enter Port."},
        {"u", " ", "s", "1", nullptr},
        {" ", " ", " ", " ", nullptr},
    };
    for (const Case& c : cases) {
        TMysqlDBLogonOption option;
        option.ErrorMessage = S("earlier");
        option.Username = S(c.username);
        option.Password = S(c.password);
        option.Server = S(c.server);
        option.Port = S(c.port);
        EXPECT_EQ(option.Validate(), c.message == nullptr) << c.message;
        EXPECT_EQ(option.ErrorMessage, c.message ? S(c.message) : S("earlier"));
    }
}

TEST(LogonOption, CaptionDescriptionAndConnectionTransfer)
{
    TMysqlDBLogonOption option;
    option.Username = S("alice");
    option.Password = S("pw");
    option.Server = S("db.example");
    option.Port = QString();
    option.UseUnicode = S("tRuE");
    option.UseSSH = true;
    option.SSHConnectionOption()->SSHHost = S("gate");
    option.SSHConnectionOption()->SSHPort = 22;

    TUniConnection connection;
    TSSHConnection tunnel;
    option.AssignTo(connection, tunnel);
    EXPECT_EQ(connection.Port(), 3306) << "an empty port";
    EXPECT_EQ(connection.Server(), S("db.example"));
    EXPECT_EQ(connection.SpecificOptions().Value(S("UseUnicode")), S("tRuE")) << "handed over unchanged";
    EXPECT_EQ(tunnel.FHost, S("gate"));
    EXPECT_EQ(tunnel.FPort, 22);

    option.Port = S("3306");
    EXPECT_EQ(option.GetCaption(connection), S("SSH alice@gate:3306:"));
    EXPECT_EQ(option.GetDescription(), S("DBType: Mysql, UseSSH: -1, UseUnicode: tRuE"));
    option.UseSSH = false;
    connection.SetDatabase(S("shop"));
    EXPECT_EQ(option.GetCaption(connection), S("alice@db.example:3306:shop"));
    EXPECT_EQ(option.GetDescription(), S("DBType: Mysql, UseSSH: 0, UseUnicode: tRuE"));

    // Back from a connection without a running tunnel.
    TMysqlDBLogonOption back;
    back.UseSSH = true;
    connection.SetPort(3399);
    back.AssignFrom(connection, tunnel);
    EXPECT_FALSE(back.UseSSH);
    EXPECT_EQ(back.Port, S("3399"));
    EXPECT_EQ(back.Database, S("shop"));
    EXPECT_EQ(back.UseUnicode, S("tRuE"));
    EXPECT_EQ(back.SSHConnectionOption()->SSHHost, S("gate"));
}

TEST(LogonOption, CreatedByItsQualifiedName)
{
    InitMysqlDBClasses();
    std::unique_ptr<TDBLogonOption> option = TDBObjectFactory::CreateLogonOption(S("Mysql"));
    EXPECT_NE(dynamic_cast<TMysqlDBLogonOption*>(option.get()), nullptr);
    EXPECT_EQ(option->GetDBTypeName(), S("Mysql"));
    DoneMysqlDBClasses();
}
