// The MySQL logon dialog against the test MariaDB (and the test sshd): the
// profile it starts from, what a connect remembers, the automatic database,
// the SSH checks, a refused logon, the database drop-down, help, and the
// demo profile that ./run.sh writes for it.
#include "base/UAppException.h"
#include "base/UException.h"
#include "widgets/UDropDownComboBox.h"
#include "widgets/UHelpFile.h"
#include "db/DBTestUtil.h"
#include "db/UDBLogon.h"
#include "db/UMysqlDBClassInit.h"
#include "db/UMysqlDBDictionary.h"
#include "db/UMysqlDBLogonOption.h"
#include "db/USSHConnection.h"
#include "db/forms/UMysqlLogonForm.h"
#include "db/forms/UMysqlLogonFormInit.h"
#include "platform/dac/UUniConnection.h"
#include "platform/registry/URegistry.h"
#include "support/VqFakePrompter.h"
#include "support/VqFakeShellOpener.h"
#include "support/VqWidgetTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using dbtest::S;

const QString profileList = S("Software\\Corvanta\\MysqlList");

// An account of the test server made for one test and dropped after it.
class TTestAccount {
public:
    TTestAccount(const QString& user, const QString& password) : FUser(user)
    {
        Admin().ExecSQL(S("drop user if exists '%1'@'%'").arg(user));
        Admin().ExecSQL(S("create user '%1'@'%' identified by '%2'").arg(user, password));
        Admin().ExecSQL(S("grant select on mysql.* to '%1'@'%'").arg(user));
    }
    ~TTestAccount() { Admin().ExecSQL(S("drop user if exists '%1'@'%'").arg(FUser)); }

    static TUniConnection& Admin()
    {
        static TUniConnection connection;
        if (!connection.Connected()) {
            const vqtest::DbServer server = vqtest::TestDbServer();
            connection.SetServer(server.host);
            connection.SetPort(server.port);
            connection.SetUsername(server.user);
            connection.SetPassword(server.password);
            connection.SpecificOptions().SetValue(S("UseUnicode"), S("True"));
            connection.Connect();
        }
        return connection;
    }

private:
    QString FUser;
};

class MysqlLogonFormTest : public vqtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        InitMysqlDBClasses();
        InitMysqlLogonForms();
        TRegistry registry;
        registry.Update([&] { registry.DeleteKey(QLatin1Char('\\') + profileList); });
        logon = std::make_unique<TDBLogon>(S("Mysql"));
        form = dynamic_cast<TMysqlLogonForm*>(logon->GetLogonForm());
        ASSERT_NE(form, nullptr);
        SetAppExceptionHandler([this](const std::exception& e) { Errors << ExceptionMessage(e); });
    }

    void TearDown() override
    {
        SetAppExceptionHandler({});
        if (form)
            form->hide();
        logon.reset();
        DoneMysqlLogonForms();
        DoneMysqlDBClasses();
    }

    // Each dialog logon: the connection again, then the mode; shown.
    void Open()
    {
        form->SetConnection(logon->GetConnection());
        form->SetFormUseMode(fumSingleLogon);
        form->show();
    }

    // The controls set to the test server's account.
    void EnterTestServer(const QString& database = QString())
    {
        const vqtest::DbServer server = vqtest::TestDbServer();
        form->edServer->setText(server.host);
        form->edPort->setValue(server.port);
        form->edUsername->setText(server.user);
        form->edPassword->setText(server.password);
        form->cbbDatabase->setEditText(database);
    }

    QString ProfileName(const QString& user, const QString& database) const
    {
        const vqtest::DbServer server = vqtest::TestDbServer();
        return user + QLatin1Char('@') + server.host + QLatin1Char(':') + QString::number(server.port)
               + QLatin1Char(':') + database;
    }

    static QStringList Profiles()
    {
        QStringList profiles;
        TMysqlDBLogonOption().ListProfiles(profiles);
        return profiles;
    }

    static std::unique_ptr<TMysqlDBLogonOption> Stored(const QString& name)
    {
        auto option = std::make_unique<TMysqlDBLogonOption>();
        option->LoadFromRegistry(name);
        return option;
    }

    static QString LastProfile() { return TMysqlDBLogonOption().GetLastProfile(QString()); }

    QLabel* Status() const { return form->findChild<QLabel*>(S("lblConnect")); }
    QComboBox* Recent() const { return form->findChild<QComboBox*>(S("cbbRecentDatabases")); }
    void ClickConnect() const { form->findChild<QPushButton*>(S("btnConnect"))->click(); }
    bool Connected() const { return logon->GetConnection()->Connected(); }

    static void SaveProfile(const QString& name, const QString& user, const QString& server, int port)
    {
        TMysqlDBLogonOption option;
        option.Username = user;
        option.Server = server;
        option.Port = QString::number(port);
        option.UseUnicode = S("False");
        option.SaveToRegistry(name);
    }

    QStringList Errors;
    std::unique_ptr<TDBLogon> logon;
    TMysqlLogonForm* form = nullptr;
};

TEST_F(MysqlLogonFormTest, StartsFromTheDefaultsOrTheLastProfile)
{
    Open();
    EXPECT_EQ(form->edUsername->text(), S("root"));
    EXPECT_EQ(form->edPassword->text(), QString());
    EXPECT_EQ(form->edServer->text(), S("localhost"));
    EXPECT_EQ(form->edPort->value(), 3306);
    EXPECT_EQ(form->cbbDatabase->currentText(), QString());
    EXPECT_TRUE(form->chkUseUnicode->isChecked());
    EXPECT_EQ(Recent()->count(), 0);
    EXPECT_EQ(Status()->text(), S("Not Connected."));
    EXPECT_EQ(form->windowTitle(), S("Logon - Vantorquill"));
    EXPECT_EQ(form->findChild<QPushButton*>(S("btnConnect"))->text(), S("Connect"));
    EXPECT_EQ(form->pgc1->currentWidget(), form->tsMysql);

    SaveProfile(S("ann@a:1:"), S("ann"), S("a"), 1);
    SaveProfile(S("bob@b:2:"), S("bob"), S("b"), 2);
    struct Case {
        const char* last;
        const char* shownUser;
    } const cases[] = {{"bob@b:2:", "bob"}, {"gone@x:3:", "ann"}, {"", "ann"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        TMysqlDBLogonOption().SetLastProfile(S(c.last), QString());
        Open();
        EXPECT_EQ(Recent()->count(), 2);
        EXPECT_EQ(form->edUsername->text(), S(c.shownUser));
        EXPECT_FALSE(form->chkUseUnicode->isChecked());
    }

    // Picking another profile shows it.
    Recent()->setCurrentIndex(1);
    Q_EMIT Recent()->activated(1);
    EXPECT_EQ(form->edUsername->text(), S("bob"));
    EXPECT_EQ(form->edPort->value(), 2);
}

TEST_F(MysqlLogonFormTest, AConnectRemembersTheProfileAndCloses)
{
    VQ_REQUIRE_TEST_DB();
    Open();
    EnterTestServer(S("mysql"));
    const vqtest::DbServer server = vqtest::TestDbServer();
    // Blanks at the ends of the password are not part of it.
    form->edPassword->setText(S("  ") + server.password + S(" "));
    form->chkSavePassword->setChecked(true);

    ClickConnect();

    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(S("\n")).toStdString();
    ASSERT_TRUE(Connected());
    EXPECT_EQ(logon->GetConnection()->Password(), server.password);
    EXPECT_EQ(Status()->text(), S("Connected."));
    EXPECT_EQ(Status()->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    const QString name = ProfileName(server.user, S("mysql"));
    EXPECT_EQ(Profiles(), QStringList{name});
    EXPECT_EQ(LastProfile(), name);
    const auto stored = Stored(name);
    EXPECT_EQ(stored->Server, server.host);
    EXPECT_EQ(stored->Port, QString::number(server.port));
    EXPECT_EQ(stored->Username, server.user);
    EXPECT_EQ(stored->Password, server.password);
    EXPECT_TRUE(stored->SavePassword);
    EXPECT_EQ(stored->Database, S("mysql"));
    EXPECT_TRUE(stored->UseUnicodeFlag());
    EXPECT_FALSE(stored->UseSSH);

    // The next logon offers it.
    logon->GetConnection()->Disconnect();
    Open();
    EXPECT_EQ(Recent()->currentText(), name);
    EXPECT_EQ(form->edPassword->text(), server.password);
}

TEST_F(MysqlLogonFormTest, WithoutDatabaseTheFirstOfTheServersIsTaken)
{
    VQ_REQUIRE_TEST_DB();
    TTestAccount::Admin().ExecSQL(S("create database if not exists vq_logon_form_db"));
    Open();
    EnterTestServer();

    ClickConnect();

    ASSERT_TRUE(Connected()) << Errors.join(S("\n")).toStdString();
    TMysqlDBDictionary dictionary;
    dictionary.SetConnection(logon->GetConnection());
    QString expected;
    for (const QString& name : dictionary.GetDatabases()) {
        if (name != S("information_schema") && name != S("performance_schema") && name != S("mysql")) {
            expected = name;
            break;
        }
    }
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(logon->GetConnection()->Database(), expected);
    EXPECT_EQ(form->cbbDatabase->currentText(), expected);
    const QString name = ProfileName(vqtest::TestDbServer().user, expected);
    EXPECT_EQ(Profiles(), QStringList{name});
    EXPECT_EQ(Stored(name)->Database, QString());
}

TEST_F(MysqlLogonFormTest, SshFieldsAreCheckedBeforeAnythingConnects)
{
    vqtest::FakePrompter prompter;
    Open();
    QApplication::setActiveWindow(form);
    form->chkUseSSH->click();
    struct Case {
        QString host, user, password;
        QString message;
        QLineEdit* focus;
    } const cases[] = {
        {S(" "), S("u"), S("p"), S("Please input SSH Host Address."), form->edSSHHost},
        {S("h"), S(""), S("p"), S("Please input SSH Username."), form->edSSHUserName},
        {S("h"), S("u"), S("  "), S("Please input SSH Password."), form->edSSHPassword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        prompter.Prompts.clear();
        form->pgc1->setCurrentWidget(form->tsMysql);
        form->edSSHHost->setText(c.host);
        form->edSSHUserName->setText(c.user);
        form->edSSHPassword->setText(c.password);

        ClickConnect();

        EXPECT_EQ(prompter.Messages(), QStringList{c.message});
        EXPECT_EQ(form->pgc1->currentWidget(), form->tsSSH);
        EXPECT_EQ(form->focusWidget(), c.focus);
        EXPECT_EQ(Status()->text(), S("Not Connected."));
        EXPECT_FALSE(Connected());
        EXPECT_FALSE(logon->GetSSHConnection()->IsConnected());
    }
    // The SSH fields follow the check box.
    form->chkUseSSH->click();
    EXPECT_FALSE(form->edSSHHost->isEnabled());
    EXPECT_TRUE(form->chkSSHSavePassword->isEnabled());
}

TEST_F(MysqlLogonFormTest, ARefusedLogonSaysSoAndRemembersNothing)
{
    VQ_REQUIRE_TEST_DB();
    Open();
    EnterTestServer(S("mysql"));
    form->edPassword->setText(S("certainly-wrong"));

    ClickConnect();

    EXPECT_FALSE(Connected());
    EXPECT_EQ(Status()->text(), S("Cannot Connect."));
    EXPECT_EQ(Status()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Errors[0].contains(S("Access denied"))) << Errors[0].toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(Profiles().isEmpty());
}

TEST_F(MysqlLogonFormTest, TheDatabaseListIsReadOnceForTheSameText)
{
    VQ_REQUIRE_TEST_DB();
    TUniConnection& admin = TTestAccount::Admin();
    admin.ExecSQL(S("drop database if exists vq_logon_late_db"));
    Open();
    EnterTestServer(S("mysql"));

    form->cbbDatabaseDropDown();
    const int listed = form->cbbDatabase->count();
    EXPECT_GT(listed, 0);
    EXPECT_FALSE(Connected());
    // The shown database is the one the automatic choice made.
    const QString shown = form->cbbDatabase->currentText();
    EXPECT_NE(shown, S("mysql"));

    admin.ExecSQL(S("create database vq_logon_late_db"));
    form->cbbDatabaseDropDown();
    EXPECT_EQ(form->cbbDatabase->count(), listed);

    form->cbbDatabase->setEditText(S("other"));
    form->cbbDatabaseDropDown();
    EXPECT_EQ(form->cbbDatabase->count(), listed + 1);
    admin.ExecSQL(S("drop database vq_logon_late_db"));
}

TEST_F(MysqlLogonFormTest, ARefusedListFillIsTriedAgainOnceThePasswordIsRight)
{
    VQ_REQUIRE_TEST_DB();
    vqtest::FakePrompter prompter;
    Open();
    EnterTestServer(S("mysql"));
    const QString password = form->edPassword->text();
    form->edPassword->setText(S("certainly-wrong"));

    form->cbbDatabase->showPopup();
    form->cbbDatabase->hidePopup();
    ASSERT_EQ(prompter.Messages().size(), 1);
    EXPECT_TRUE(prompter.Messages()[0].contains(S("Access denied"))) << prompter.Messages()[0].toStdString();
    EXPECT_EQ(form->cbbDatabase->count(), 0);

    // The Database text is left alone: only the password changes.
    form->edPassword->setText(password);
    form->cbbDatabase->showPopup();
    form->cbbDatabase->hidePopup();
    EXPECT_EQ(prompter.Messages().size(), 1);
    EXPECT_GT(form->cbbDatabase->count(), 0);
    EXPECT_GE(form->cbbDatabase->findText(S("mysql")), 0);
    EXPECT_FALSE(Connected());
}

TEST_F(MysqlLogonFormTest, LogsOnThroughTheSshTunnel)
{
    VQ_REQUIRE_TEST_DB();
    VQ_REQUIRE_TEST_SSH();
    dbtest::AcceptTestSshServerKey();
    const vqtest::SshServer ssh = vqtest::TestSshServer();
    Open();
    EnterTestServer(S("mysql"));
    form->chkUseSSH->click();
    form->edSSHHost->setText(ssh.host);
    form->seSSHPort->setValue(ssh.port);
    form->edSSHUserName->setText(ssh.user);
    form->edSSHPassword->setText(ssh.password);

    ClickConnect();

    ASSERT_TRUE(Connected()) << Errors.join(S("\n")).toStdString();
    EXPECT_TRUE(logon->GetSSHConnection()->IsConnected());
    EXPECT_EQ(logon->GetConnection()->Server(), S("127.0.0.1"));
    const vqtest::DbServer server = vqtest::TestDbServer();
    const QString name = S("SSH ") + server.user + QLatin1Char('@') + ssh.host + QLatin1Char(':')
                         + QString::number(server.port) + S(":mysql");
    EXPECT_EQ(Profiles(), QStringList{name});
    const auto stored = Stored(name);
    EXPECT_TRUE(stored->UseSSH);
    EXPECT_EQ(stored->Port, QString::number(server.port));
    EXPECT_EQ(stored->SSHConnectionOption()->SSHUserName, ssh.user);
    logon->Logoff();
}

TEST_F(MysqlLogonFormTest, APasswordTheCipherCannotStoreIsLeftOut)
{
    VQ_REQUIRE_TEST_DB();
    vqtest::FakePrompter prompter;
    const QString password = S("pw\u20ac1");
    TTestAccount account(S("vq_wide_pw"), password);
    Open();
    EnterTestServer(S("mysql"));
    form->edUsername->setText(S("vq_wide_pw"));
    form->edPassword->setText(password);
    form->chkSavePassword->setChecked(true);

    ClickConnect();

    ASSERT_TRUE(Connected()) << Errors.join(S("\n")).toStdString();
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(prompter.Messages().size(), 1);
    const QString message = prompter.Messages()[0];
    EXPECT_TRUE(message.endsWith(S(" The profile was saved without the password."))) << message.toStdString();
    EXPECT_GT(message.size(), S(" The profile was saved without the password.").size());
    const QString name = ProfileName(S("vq_wide_pw"), S("mysql"));
    EXPECT_EQ(LastProfile(), name);
    const auto stored = Stored(name);
    EXPECT_EQ(stored->Password, QString());
    EXPECT_FALSE(stored->SavePassword);
    // The profile in memory keeps the user's choice.
    EXPECT_TRUE(logon->GetLogonOption()->SavePassword);
    logon->Logoff();
}

TEST_F(MysqlLogonFormTest, EachModeHasItsTextsAndItsEnd)
{
    VQ_REQUIRE_TEST_DB();
    struct Case {
        TFormUseMode mode;
        const char* idle;
        const char* button;
        const char* connected;
        bool controlsShown;
    } const cases[] = {
        {fumConfig, "", "Test Connection", "Successful!", true},
        {fumMultiLogon, "Not Connected.", "Connect", "Connected.", true},
        {fumSwitchLogon, "Not Connected.", "Connect", "Connected.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        form->SetConnection(logon->GetConnection());
        form->SetFormUseMode(c.mode);
        form->show();
        QPushButton* button = form->findChild<QPushButton*>(S("btnConnect"));
        EXPECT_EQ(Status()->text(), S(c.idle));
        EXPECT_EQ(button->text(), S(c.button));
        EXPECT_EQ(button->isVisible(), c.controlsShown);
        EXPECT_EQ(Status()->isVisible(), c.controlsShown);
        EnterTestServer(S("mysql"));

        form->ConnectClick();

        EXPECT_TRUE(Connected()) << Errors.join(S("\n")).toStdString();
        EXPECT_EQ(Status()->text(), S(c.connected));
        // Only a single logon closes the form.
        EXPECT_TRUE(form->isVisible());
        logon->Logoff();
    }
}

TEST_F(MysqlLogonFormTest, HelpOpensTheLogonPage)
{
    vqtest::FakeShellOpener opener;
    Open();
    form->findChild<QPushButton*>(S("btnHelp"))->click();
    const QString page = HelpFilePath(S("logon/mysql_logon.html"));
    EXPECT_EQ(opener.Documents, QStringList{page});
    EXPECT_TRUE(QFile::exists(page)) << page.toStdString();
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(MysqlLogonFormTest, AMissingSharedControlIsNamed)
{
    delete form->findChild<QPushButton*>(S("btnHelp"));
    form->SetConnection(logon->GetConnection());
    EXPECT_EQ(dbtest::MessageOf([&] { form->SetFormUseMode(fumSingleLogon); }),
              S("Can not find 'btnHelp' in 'MysqlLogonForm'"));
}

// The helper of ./run.sh writes the profile the dialog would save.
class DemoProfileTest : public MysqlLogonFormTest {
protected:
    static QString Helper()
    {
        return QFileInfo(vqtest::ProgramPath()).dir().filePath(S("vantorquill-demo-profile"));
    }

    void RunHelper(int port)
    {
        const vqtest::DbServer server = vqtest::TestDbServer();
        QFile file(dir.filePath(S("password")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(server.password.toUtf8() + "\n");
        file.close();
        const vqtest::ProcessResult run = vqtest::RunProcess(
            Helper(), {server.user, QString::number(port), S("vq_demo_profile"), file.fileName()});
        ASSERT_TRUE(run.finished);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }

    QTemporaryDir dir;
};

TEST_F(DemoProfileTest, TheDialogConnectsWithTheWrittenProfile)
{
    VQ_REQUIRE_TEST_DB();
    TTestAccount::Admin().ExecSQL(S("create database if not exists vq_demo_profile"));
    const vqtest::DbServer server = vqtest::TestDbServer();
    ASSERT_EQ(server.host, S("127.0.0.1"));
    RunHelper(server.port);

    const QString name = ProfileName(server.user, S("vq_demo_profile"));
    EXPECT_EQ(Profiles(), QStringList{name});
    EXPECT_EQ(LastProfile(), name);
    QFile store(TRegistry::DefaultFileName());
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    EXPECT_FALSE(store.readAll().contains(server.password.toUtf8()));

    Open();
    EXPECT_EQ(Recent()->currentText(), name);
    ClickConnect();
    ASSERT_TRUE(Connected()) << Errors.join(S("\n")).toStdString();
    EXPECT_EQ(Profiles(), QStringList{name});
    const auto stored = Stored(name);
    EXPECT_EQ(stored->Password, server.password);
    EXPECT_TRUE(stored->SavePassword);
    EXPECT_TRUE(stored->UseUnicodeFlag());
    EXPECT_EQ(stored->Database, S("vq_demo_profile"));
    logon->Logoff();

    // Another port: the old demo profile goes and the new one follows it as
    // the last profile; a user's own last profile is kept.
    SaveProfile(S("mine@db:1:"), S("mine"), S("db"), 1);
    for (const int shift : {1, 2}) {
        const bool usersChoice = shift == 2;
        if (usersChoice)
            TMysqlDBLogonOption().SetLastProfile(S("mine@db:1:"), QString());
        RunHelper(server.port + shift);
        const QString moved = S("%1@127.0.0.1:%2:vq_demo_profile").arg(server.user).arg(server.port + shift);
        EXPECT_EQ(Profiles(), (QStringList{S("mine@db:1:"), moved}));
        EXPECT_EQ(LastProfile(), usersChoice ? S("mine@db:1:") : moved);
    }
}

}  // namespace
