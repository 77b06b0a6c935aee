#include "UDBLogonForm.h"

#include "UCryptUtil.h"
#include "UDBLogonOption.h"
#include "UDBObjectFactory.h"
#include "USSHConnection.h"
#include "base/UException.h"
#include "base/UPrompter.h"
#include "platform/dac/UUniConnection.h"

namespace {

// The cipher's own message for a password it cannot store.
QString CipherMessage(const QString& password)
{
    try {
        EncryptPassword(password);
    } catch (const std::exception& e) {
        return ExceptionMessage(e);
    }
    return QString();
}

}  // namespace

QString TDBLogonForm::GetProfileKind() const
{
    if (!SourceDBFactory || !DestDBFactory || SourceDBFactory == DestDBFactory)
        return QString();
    return SourceDBFactory->GetConnection() == FConnection ? QStringLiteral("Source") : QStringLiteral("Dest");
}

QString TDBLogonForm::HelpTopic(const QString& providerName)
{
    QString topic = providerName.toLower();
    topic.replace(QStringLiteral("sql server"), QStringLiteral("mssql"));
    return QStringLiteral("logon/") + topic + QStringLiteral("_logon.html");
}

void TDBLogonForm::Connect()
{
    if (FLogonOption->UseSSH)
        FSSHConnection->ConnectFor(*FConnection);
    FConnection->Connect();
}

void TDBLogonForm::ConnectAndRemember()
{
    ControlsToOption();
    FLogonOption->AssignTo(*FConnection, *FSSHConnection);
    Connect();
    if (!FConnection->Connected())
        return;
    RememberProfile(FLogonOption->GetCaption(*FConnection));
}

void TDBLogonForm::RememberProfile(const QString& profileName)
{
    TDBLogonOption& option = *FLogonOption;
    TSSHConnectionOption& ssh = *option.SSHConnectionOption();
    const bool passwordUnstorable = option.SavePassword && !IsStorablePassword(option.Password);
    const bool sshUnstorable = option.UseSSH && ssh.SSHSavePassword && !IsStorablePassword(ssh.SSHPassword);
    const QString cipherMessage = passwordUnstorable ? CipherMessage(option.Password)
                                  : sshUnstorable    ? CipherMessage(ssh.SSHPassword)
                                                     : QString();
    // Saved as with Save Password off; the profile in memory keeps the
    // user's choice.
    const bool savePassword = option.SavePassword;
    const bool saveSshPassword = ssh.SSHSavePassword;
    option.SavePassword = savePassword && !passwordUnstorable;
    ssh.SSHSavePassword = saveSshPassword && !sshUnstorable;
    QString failure;
    try {
        option.SaveToRegistry(profileName);
        option.SetLastProfile(profileName, GetProfileKind());
    } catch (const std::exception& e) {
        failure = ExceptionMessage(e);
    }
    option.SavePassword = savePassword;
    ssh.SSHSavePassword = saveSshPassword;
    if (!failure.isEmpty())
        TPrompter::Instance().ShowError(failure);
    else if (!cipherMessage.isEmpty())
        TPrompter::Instance().ShowWarning(cipherMessage + QStringLiteral(" The profile was saved without the password."));
}
