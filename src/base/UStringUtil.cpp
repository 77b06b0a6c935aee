#include "UStringUtil.h"

QString TrimText(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 0x20)
        --last;
    return text.mid(first, last - first);
}

void SplitString(const QString& text, QChar delimiter, QStringList& list)
{
    list = TrimText(text).split(delimiter, Qt::KeepEmptyParts);
}

int CountOccurrences(const QString& part, const QString& text)
{
    if (part.isEmpty())
        return 0;
    int count = 0;
    qsizetype from = 0;
    while ((from = text.indexOf(part, from, Qt::CaseSensitive)) >= 0) {
        ++count;
        from += part.size();
    }
    return count;
}

QString TextAfter(const QString& text, const QString& marker)
{
    if (marker.isEmpty())
        return QString();
    const qsizetype at = text.indexOf(marker, 0, Qt::CaseSensitive);
    return at < 0 ? QString() : text.mid(at + marker.size());
}

QString TextBefore(const QString& text, const QString& marker)
{
    if (marker.isEmpty())
        return QString();
    const qsizetype at = text.indexOf(marker, 0, Qt::CaseSensitive);
    return at < 0 ? QString() : text.left(at);
}

QString TextBetween(const QString& text, const QString& startMarker, const QString& endMarker)
{
    return TextBefore(TextAfter(text, startMarker), endMarker);
}

QString PadLeft(const QString& text, int length, QChar fill)
{
    if (text.size() >= length)
        return text;
    return QString(length - text.size(), fill) + text;
}

QString CutRight(const QString& text, int n)
{
    if (n <= 0)
        return text;
    return n >= text.size() ? QString() : text.left(text.size() - n);
}

QString RemoveTrailingChar(const QString& text, QChar c)
{
    if (!text.isEmpty() && text.back() == c)
        return text.left(text.size() - 1);
    return text;
}

QStringList SplitLines(const QString& text, QStringList* lineEnds)
{
    QStringList lines;
    if (lineEnds)
        lineEnds->clear();
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        const qsizetype endLength = c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n') ? 2 : 1;
        lines << text.mid(start, i - start);
        if (lineEnds)
            *lineEnds << text.mid(i, endLength);
        i += endLength - 1;
        start = i + 1;
    }
    if (start < n) {
        lines << text.mid(start);
        if (lineEnds)
            *lineEnds << QString();
    }
    return lines;
}
