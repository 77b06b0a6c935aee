#include "UNameValueList.h"

TNameValueList TNameValueList::FromStrings(const QStringList& lines)
{
    TNameValueList list;
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            list.Add(line, QString());
        else
            list.Add(line.left(equals), line.mid(equals + 1));
    }
    return list;
}

int TNameValueList::IndexOfName(const QString& name) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].first.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QString TNameValueList::Value(const QString& name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? QString() : FItems[size_t(index)].second;
}

void TNameValueList::SetValue(const QString& name, const QString& value)
{
    const int index = IndexOfName(name);
    if (value.isEmpty()) {
        if (index >= 0)
            Delete(index);
    } else if (index >= 0) {
        FItems[size_t(index)].second = value;
    } else {
        Add(name, value);
    }
}

void TNameValueList::Add(const QString& name, const QString& value)
{
    FItems.emplace_back(name, value);
}

void TNameValueList::Delete(int index)
{
    FItems.erase(FItems.begin() + index);
}

bool TNameValueList::Flag(const QString& name) const
{
    return IsTrueFlag(Value(name));
}

void TNameValueList::SetFlag(const QString& name, bool value)
{
    SetValue(name, FlagText(value));
}

bool TNameValueList::IsTrueFlag(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const qlonglong number = trimmed.toLongLong(&ok);
    return ok && number != 0;
}

QString TNameValueList::FlagText(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

QStringList TNameValueList::Strings() const
{
    QStringList lines;
    lines.reserve(qsizetype(FItems.size()));
    for (const auto& [name, value] : FItems)
        lines.append(name + QLatin1Char('=') + value);
    return lines;
}
