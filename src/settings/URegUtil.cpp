#include "URegUtil.h"

#include "platform/registry/URegistry.h"

QString RegReadString(const QString& key, const QString& name)
{
    TRegistry registry;
    QString value;
    bool answered = false;
    try {
        // One change, so that a value another process writes meanwhile is not
        // overwritten by the empty one.
        registry.Update([&] {
            if (registry.OpenKey(QLatin1Char('\\') + key, true)) {
                if (registry.ValueExists(name))
                    value = registry.ReadString(name);
                else
                    registry.WriteString(name, QString());
            }
            answered = true;
        });
    } catch (const ERegistryException&) {
        if (!answered)
            throw;   // a value of another type
        // A store that cannot be written: the key could not be opened.
    }
    return value;
}

void RegWriteString(const QString& key, const QString& name, const QString& value)
{
    TRegistry registry;
    if (registry.OpenKey(QLatin1Char('\\') + key, true))
        registry.WriteString(name, value);
}

bool RegTextToBool(const QString& text)
{
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    return isNumber && number != 0;
}

QString BoolToRegText(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}
