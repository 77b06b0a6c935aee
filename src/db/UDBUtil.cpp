#include "UDBUtil.h"

#include "platform/dac/UUniConnection.h"

namespace {

struct TKindRule {
    const char* Contained;
    const char* Kind;
    const char* ProviderName;   // what a connection is set to
};

// The first row whose text the name contains decides.
const TKindRule kindRules[] = {
    {"postgres", "Postgres", "PostgreSQL"}, {"sql server", "MsSql", "SQL Server"}, {"mysql", "Mysql", "MySQL"},
    {"sqlite", "Sqlite", "SQLite"},         {"dbf", "DBF", "DBF"},
};

const TKindRule* RuleOfKind(const QString& kind)
{
    for (const TKindRule& rule : kindRules)
        if (kind == QLatin1String(rule.Kind))
            return &rule;
    return nullptr;
}

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
    const TKindRule* rule = RuleOfKind(typeWord);
    return rule ? QString::fromLatin1(rule->ProviderName) : typeWord;
}

QString DBClassName(const QString& name, const QString& role)
{
    const QString kind = DBKindOfProvider(name);
    return QLatin1Char('U') + kind + role + QStringLiteral(".T") + kind + role;
}

QString DBProviderComponentName(const QString& typeWord)
{
    const QString kind = DBKindOfProvider(typeWord);
    const TKindRule* rule = RuleOfKind(kind);
    // The component is named after the provider name without its blank.
    const QString word = rule ? QString::fromLatin1(rule->ProviderName).remove(QLatin1Char(' ')) : kind;
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
