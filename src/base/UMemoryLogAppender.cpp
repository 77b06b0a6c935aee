#include "UMemoryLogAppender.h"

#include "ULogUtil.h"

namespace {
// Splits like a string list's text: at CR LF, lone CR or lone LF; a final
// line break does not add an empty line.
QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}
}

void TMemoryLogAppender::Append(const QString& text)
{
    Lines.append(LogTimeStamp() + QLatin1Char('\t') + text);
    TrimToMaxSize();
}

QString TMemoryLogAppender::GetText() const
{
    QString text;
    for (const QString& line : Lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

void TMemoryLogAppender::TrimToMaxSize()
{
    if (MaxSize == 0)
        return;
    if (AppendCount < 1000) {
        ++AppendCount;
        return;
    }
    AppendCount = 0;
    const QString text = GetText();
    if (text.size() > MaxSize)
        Lines = SplitLines(QStringLiteral("......") + text.right(MaxSize - 6));
}
