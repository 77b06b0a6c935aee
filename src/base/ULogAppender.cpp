#include "ULogAppender.h"

QString FormatLevel(int level, const QString& text)
{
    static const char* const prefixes[] = {"[debug]", "[info]", "[warn]", "[error]", "[fatal]"};
    const char* prefix = (level >= 0 && level <= 4) ? prefixes[level] : prefixes[0];
    return QString::fromLatin1(prefix) + QLatin1Char('\t') + text;
}
