#include "UUniOptions.h"

qsizetype TUniOptions::IndexOf(const QString& name) const
{
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        const QString& item = FItems[i];
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (QStringView(item).left(eq < 0 ? item.size() : eq).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TUniOptions::Value(const QString& name) const
{
    const qsizetype i = IndexOf(name);
    if (i < 0)
        return {};
    const QString& item = FItems[i];
    const qsizetype eq = item.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : item.mid(eq + 1);
}

bool TUniOptions::HasValue(const QString& name) const
{
    return IndexOf(name) >= 0;
}

void TUniOptions::SetValue(const QString& name, const QString& value)
{
    const qsizetype i = IndexOf(name);
    if (value.isEmpty()) {
        if (i >= 0)
            FItems.removeAt(i);
    } else if (i >= 0) {
        FItems[i] = name + QLatin1Char('=') + value;
    } else {
        FItems.append(name + QLatin1Char('=') + value);
    }
}

bool TUniOptions::BoolValue(const QString& name, bool defaultValue) const
{
    const QString text = Value(name).trimmed();
    if (text.isEmpty())
        return defaultValue;
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const long long number = text.toLongLong(&ok);
    return ok && number != 0;
}
