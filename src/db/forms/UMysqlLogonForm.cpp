#include "UMysqlLogonForm.h"

#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "base/UStringUtil.h"
#include "widgets/UDropDownComboBox.h"
#include "widgets/UUIUtil.h"
#include "db/UDBObjectFactory.h"
#include "db/UMysqlDBDictionary.h"
#include "db/UMysqlDBLogonOption.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const int defaultPort = 3306;
const int defaultSSHPort = 22;

template <class T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A label of the form's layout, the buddy of its field.
QLabel* Caption(QWidget* parent, const char* name, const QString& text, QWidget* buddy)
{
    auto* label = Named(new QLabel(text, parent), name);
    label->setBuddy(buddy);
    return label;
}

QLineEdit* PasswordEdit(QWidget* parent, const char* name)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    return edit;
}

QSpinBox* PortEdit(QWidget* parent, const char* name, int value)
{
    auto* edit = Named(new QSpinBox(parent), name);
    edit->setRange(0, 65535);
    edit->setValue(value);
    return edit;
}

const QStringList systemDatabases = {QStringLiteral("information_schema"), QStringLiteral("performance_schema"),
                                     QStringLiteral("mysql")};

}  // namespace

TMysqlLogonForm::TMysqlLogonForm(TComponent* owner) : TDBLogonDialog(owner)
{
    setObjectName(QStringLiteral("MysqlLogonForm"));
    BuildLayout();
}

void TMysqlLogonForm::BuildLayout()
{
    auto* recent = Named(new QComboBox(this), "cbbRecentDatabases");
    recent->setEditable(false);
    Label2 = Caption(this, "Label2", QStringLiteral("Recent Databases"), recent);

    pgc1 = Named(new QTabWidget(this), "pgc1");
    tsMysql = Named(new QWidget, "tsMysql");
    auto* pnMysql = Named(new QWidget(tsMysql), "pnMysql");
    edServer = Named(new QLineEdit(QStringLiteral("localhost"), pnMysql), "edServer");
    edPort = PortEdit(pnMysql, "edPort", defaultPort);
    edPort->setButtonSymbols(QAbstractSpinBox::NoButtons);
    edUsername = Named(new QLineEdit(pnMysql), "edUsername");
    edPassword = PasswordEdit(pnMysql, "edPassword");
    chkSavePassword = Named(new QCheckBox(QStringLiteral("Save Password"), pnMysql), "chkSavePassword");
    cbbDatabase = Named(new TDropDownComboBox(pnMysql), "cbbDatabase");
    cbbDatabase->setEditable(true);
    chkUseUnicode = Named(new QCheckBox(QStringLiteral("Use Unicode"), pnMysql), "chkUseUnicode");
    chkUseUnicode->setChecked(true);
    auto* mysqlLayout = new QFormLayout(pnMysql);
    mysqlLayout->addRow(Caption(pnMysql, "lbServer", QStringLiteral("MySQL Host Address"), edServer), edServer);
    mysqlLayout->addRow(Caption(pnMysql, "lbPort", QStringLiteral("Port"), edPort), edPort);
    mysqlLayout->addRow(Caption(pnMysql, "lbUsername", QStringLiteral("Username"), edUsername), edUsername);
    mysqlLayout->addRow(Caption(pnMysql, "lbPassword", QStringLiteral("Password"), edPassword), edPassword);
    mysqlLayout->addRow(QString(), chkSavePassword);
    mysqlLayout->addRow(Caption(pnMysql, "lbDatabase", QStringLiteral("Database"), cbbDatabase), cbbDatabase);
    mysqlLayout->addRow(QString(), chkUseUnicode);
    (new QVBoxLayout(tsMysql))->addWidget(pnMysql);
    pgc1->addTab(tsMysql, QStringLiteral("MySQL"));

    tsSSH = Named(new QWidget, "tsSSH");
    auto* pnSSH = Named(new QWidget(tsSSH), "pnSSH");
    chkUseSSH = Named(new QCheckBox(QStringLiteral("Use SSH Tunneling"), pnSSH), "chkUseSSH");
    edSSHHost = Named(new QLineEdit(pnSSH), "edSSHHost");
    seSSHPort = PortEdit(pnSSH, "seSSHPort", defaultSSHPort);
    edSSHUserName = Named(new QLineEdit(pnSSH), "edSSHUserName");
    edSSHPassword = PasswordEdit(pnSSH, "edSSHPassword");
    chkSSHSavePassword = Named(new QCheckBox(QStringLiteral("Save Password"), pnSSH), "chkSSHSavePassword");
    auto* sshLayout = new QFormLayout(pnSSH);
    sshLayout->addRow(chkUseSSH);
    sshLayout->addRow(Caption(pnSSH, "Label4", QStringLiteral("SSH Host Address"), edSSHHost), edSSHHost);
    sshLayout->addRow(Caption(pnSSH, "Label5", QStringLiteral("SSH Port"), seSSHPort), seSSHPort);
    sshLayout->addRow(Caption(pnSSH, "Label6", QStringLiteral("User name"), edSSHUserName), edSSHUserName);
    sshLayout->addRow(Caption(pnSSH, "Label1", QStringLiteral("Password"), edSSHPassword), edSSHPassword);
    sshLayout->addRow(QString(), chkSSHSavePassword);
    (new QVBoxLayout(tsSSH))->addWidget(pnSSH);
    pgc1->addTab(tsSSH, QStringLiteral("SSH"));
    pgc1->setCurrentWidget(tsMysql);

    auto* status = Named(new QLabel(QStringLiteral("Not Connected"), this), "lblConnect");
    auto* help = Named(new QPushButton(QStringLiteral("Help"), this), "btnHelp");
    help->setAutoDefault(false);
    auto* connectButton = Named(new QPushButton(QStringLiteral("Connect"), this), "btnConnect");
    connectButton->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(Label2);
    top->addWidget(recent, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status, 1);
    bottom->addWidget(help);
    bottom->addWidget(connectButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pgc1, 1);
    layout->addLayout(bottom);

    connect(chkUseSSH, &QCheckBox::clicked, this, Guarded([this](bool) { chkUseSSHClick(); }));
    connect(cbbDatabase, &TDropDownComboBox::dropDown, this, Guarded([this] { cbbDatabaseDropDown(); }));

    const QSize hint = sizeHint();
    setFixedSize(qMax(394, hint.width()), qMax(373, hint.height()));
}

void TMysqlLogonForm::OnConnectionSet()
{
    if (!FillRecentProfiles())
        SetDefaults();
}

void TMysqlLogonForm::SetDefaults()
{
    edUsername->setText(QStringLiteral("root"));
    edPassword->clear();
    edServer->setText(QStringLiteral("localhost"));
    cbbDatabase->setEditText(QString());
    edPort->setValue(defaultPort);
    chkUseUnicode->setChecked(true);
}

void TMysqlLogonForm::OptionToControls()
{
    const auto& option = static_cast<const TMysqlDBLogonOption&>(*FLogonOption);
    const TSSHConnectionOption& ssh = *option.SSHConnectionOption();
    edUsername->setText(option.Username);
    edPassword->setText(option.Password);
    chkSavePassword->setChecked(option.SavePassword);
    edServer->setText(option.Server);
    cbbDatabase->setEditText(option.Database);
    edPort->setValue(option.Port.toInt());
    chkUseUnicode->setChecked(option.UseUnicodeFlag());
    const bool sshChanged = chkUseSSH->isChecked() != option.UseSSH;
    chkUseSSH->setChecked(option.UseSSH);
    edSSHHost->setText(ssh.SSHHost);
    seSSHPort->setValue(ssh.SSHPort);
    edSSHUserName->setText(ssh.SSHUserName);
    edSSHPassword->setText(ssh.SSHPassword);
    chkSSHSavePassword->setChecked(ssh.SSHSavePassword);
    if (sshChanged)
        chkUseSSHClick();
}

void TMysqlLogonForm::ControlsToOption()
{
    auto& option = static_cast<TMysqlDBLogonOption&>(*FLogonOption);
    TSSHConnectionOption& ssh = *option.SSHConnectionOption();
    option.Username = TrimText(edUsername->text());
    option.Password = TrimText(edPassword->text());
    option.SavePassword = chkSavePassword->isChecked();
    option.Server = TrimText(edServer->text());
    option.Database = TrimText(cbbDatabase->currentText());
    option.Port = QString::number(edPort->value());
    option.UseUnicode = chkUseUnicode->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
    option.UseSSH = chkUseSSH->isChecked();
    ssh.SSHHost = TrimText(edSSHHost->text());
    ssh.SSHPort = seSSHPort->value();
    ssh.SSHUserName = TrimText(edSSHUserName->text());
    ssh.SSHPassword = TrimText(edSSHPassword->text());
    ssh.SSHSavePassword = chkSSHSavePassword->isChecked();
}

bool TMysqlLogonForm::CheckInput()
{
    if (!chkUseSSH->isChecked())
        return true;
    const struct {
        QLineEdit* edit;
        const char* message;
    } checks[] = {
        {edSSHHost, "Please input SSH Host Address."},
        {edSSHUserName, "Please input SSH Username."},
        {edSSHPassword, "Please input SSH Password."},
    };
    for (const auto& check : checks) {
        if (TrimText(check.edit->text()).isEmpty()) {
            TPrompter::Instance().ShowMessage(QLatin1String(check.message));
            pgc1->setCurrentWidget(tsSSH);
            FocusControlSafely(check.edit);
            return false;
        }
    }
    return true;
}

void TMysqlLogonForm::Connect()
{
    TDBLogonDialog::Connect();
    if (FConnection->Connected() && FConnection->Database().isEmpty())
        ChooseDefaultDatabase();
}

QStringList TMysqlLogonForm::ListDatabases() const
{
    TMysqlDBDictionary dictionary;
    dictionary.SetConnection(FConnection);
    return dictionary.GetDatabases();
}

void TMysqlLogonForm::ChooseDefaultDatabase()
{
    const QStringList databases = ListDatabases();
    QString chosen;
    for (const QString& name : databases) {
        if (!systemDatabases.contains(name)) {
            chosen = name;
            break;
        }
    }
    if (chosen.isEmpty() && !databases.isEmpty())
        chosen = databases.first();
    FConnection->SetDatabase(chosen);
    cbbDatabase->setEditText(FConnection->Database());
    cbbDatabase->repaint();
}

void TMysqlLogonForm::cbbDatabaseDropDown()
{
    if (cbbDatabase->currentText() == FLastDatabaseText && FDatabasesLoaded)
        return;
    // A refused attempt leaves the list unread: the next drop-down tries again.
    FDatabasesLoaded = false;
    if (!FillDatabaseList())
        return;
    FLastDatabaseText = cbbDatabase->currentText();
    FDatabasesLoaded = true;
}

bool TMysqlLogonForm::TestConnect()
{
    if (!CheckInput())
        return false;
    ControlsToOption();
    FLogonOption->AssignTo(*FConnection, *FSSHConnection);
    FConnection->SetDatabase(QString());
    try {
        Connect();
    } catch (const EUniError& e) {
        TPrompter::Instance().ShowError(e.Message());
        return false;
    }
    return true;
}

bool TMysqlLogonForm::FillDatabaseList()
{
    if (!TestConnect())
        return false;
    const QStringList databases = ListDatabases();
    const QString shown = cbbDatabase->currentText();
    // The tunnel, when used, stays open for the logon that follows.
    FConnection->Disconnect();
    cbbDatabase->clear();
    cbbDatabase->addItems(databases);
    if (databases.isEmpty())
        return true;
    const int index = cbbDatabase->findText(shown, Qt::MatchExactly);
    cbbDatabase->setCurrentIndex(index >= 0 ? index : 0);
    return true;
}

void TMysqlLogonForm::chkUseSSHClick()
{
    UpdateSSHControls();
}

void TMysqlLogonForm::UpdateSSHControls()
{
    const bool on = chkUseSSH->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{edSSHHost, seSSHPort, edSSHUserName, edSSHPassword})
        control->setEnabled(on);
}
