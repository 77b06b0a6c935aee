#include "UDBUtil.h"

#include "platform/dac/UUniConnection.h"

namespace {

struct TKindRule {
    const char* Contained;
    const char* Kind;
};

// The first row that matches decides.
const TKindRule kindRules[] = {
    {"postgres", "Postgres"}, {"sql server", "MsSql"}, {"mysql", "Mysql"}, {"sqlite", "Sqlite"}, {"dbf", "DBF"},
};

}  // namespace

QString DBKindOfProvider(const QString& name)
{
    const QString lower = name.toLower();
    for (const TKindRule& rule : kindRules)
        if (lower.contains(QLatin1String(rule.Contained)))
            return QLatin1String(rule.Kind);
    return name;
}

QString DBDisplayName(const QString& typeWord)
{
    if (typeWord == QLatin1String("MsSql"))
        return QStringLiteral("SQL Server");
    if (typeWord == QLatin1String("Mysql"))
        return QStringLiteral("MySQL");
    if (typeWord == QLatin1String("Postgres"))
        return QStringLiteral("PostgreSQL");
    if (typeWord == QLatin1String("Sqlite"))
        return QStringLiteral("SQLite");
    return typeWord;
}

QString DBClassName(const QString& name, const QString& role)
{
    const QString kind = DBKindOfProvider(name);
    return QLatin1Char('U') + kind + role + QStringLiteral(".T") + kind + role;
}

QString DBProviderComponentName(const QString& typeWord)
{
    QString word = DBKindOfProvider(typeWord);
    if (word == QLatin1String("Postgres"))
        word = QStringLiteral("PostgreSQL");
    else if (word == QLatin1String("Mysql"))
        word = QStringLiteral("MySQL");
    else if (word == QLatin1String("MsSql"))
        word = QStringLiteral("SQLServer");
    else if (word == QLatin1String("Sqlite"))
        word = QStringLiteral("SQLite");
    return word + QStringLiteral("UniProvider");
}

QString DBProviderClassName(const QString& typeWord)
{
    const QString component = DBProviderComponentName(typeWord);
    return component + QStringLiteral(".T") + component;
}

QString ConnectionDisplayText(const TUniConnection& connection)
{
    QString text;
    if (!connection.Username().isEmpty())
        text += connection.Username() + QLatin1Char('@');
    if (!connection.Server().isEmpty())
        text += connection.Server() + QLatin1Char(':');
    if (connection.Port() > 0)
        text += QString::number(connection.Port()) + QLatin1Char(':');
    if (!connection.Database().isEmpty())
        text += connection.Database();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

bool IsNumericFieldType(TFieldType type)
{
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftShortint:
        return true;
    default:
        return false;
    }
}

void Reconnect(TUniConnection& connection)
{
    if (connection.ProviderName() != QLatin1String("DBF"))
        return;
    connection.Close();
    connection.Open();
}
