#include "UDemoProfile.h"

#include "UMysqlDBLogonOption.h"
#include "platform/registry/URegistry.h"

#include <QRegularExpression>

QString TDemoProfile::ProfileName() const
{
    return Username + QLatin1Char('@') + Server + QLatin1Char(':') + QString::number(Port) + QLatin1Char(':')
           + Database;
}

bool TDemoProfile::IsDemoProfileName(const QString& name) const
{
    const QRegularExpression pattern(QLatin1Char('^') + QRegularExpression::escape(Username + QLatin1Char('@') + Server)
                                     + QStringLiteral(":[0-9]+:") + QRegularExpression::escape(Database)
                                     + QLatin1Char('$'));
    return pattern.match(name).hasMatch();
}

void TDemoProfile::Write() const
{
    TMysqlDBLogonOption option;
    option.Username = Username;
    option.Password = Password;
    option.SavePassword = true;
    option.Server = Server;
    option.Port = QString::number(Port);
    option.Database = Database;
    option.UseUnicode = QStringLiteral("True");
    option.UseSSH = false;
    const QString name = ProfileName();
    option.SaveToRegistry(name);

    QStringList profiles;
    option.ListProfiles(profiles);
    TRegistry registry;
    registry.Update([&] {
        for (const QString& profile : profiles) {
            if (profile != name && IsDemoProfileName(profile))
                registry.DeleteKey(QLatin1Char('\\') + option.GetProfileKey(profile));
        }
    });
    const QString last = option.GetLastProfile(QString());
    if (last.isEmpty() || IsDemoProfileName(last))
        option.SetLastProfile(name, QString());
}
