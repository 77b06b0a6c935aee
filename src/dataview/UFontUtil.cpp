#include "UFontUtil.h"

QFont TFontInfo::ToQFont() const
{
    QFont font(Name);
    font.setPointSize(Size > 0 ? Size : 8);
    font.setBold(Bold);
    font.setItalic(Italic);
    font.setUnderline(Underline);
    font.setStrikeOut(StrikeOut);
    return font;
}

void TFontInfo::AssignFont(const QFont& font)
{
    Name = font.family();
    if (font.pointSize() > 0)
        Size = font.pointSize();
    Bold = font.bold();
    Italic = font.italic();
    Underline = font.underline();
    StrikeOut = font.strikeOut();
}

namespace UFontUtil {
namespace {

const struct {
    bool TFontInfo::*Flag;
    const char* Name;
} styleNames[] = {
    {&TFontInfo::Bold, "|Bold"},
    {&TFontInfo::Italic, "|Italic"},
    {&TFontInfo::Underline, "|Underline"},
    {&TFontInfo::StrikeOut, "|Strikeout"},
};

// Copy(s, index, count) with a 1-based index; a count below 1 gives nothing.
QString Copy(const QString& s, int index, int count)
{
    if (count <= 0 || index > s.size())
        return {};
    return s.mid(index - 1, count);
}

// Cuts s up to and including position p (1-based); nothing for p = 0.
void CutThrough(QString& s, int p)
{
    if (p > 0)
        s.remove(0, p);
}

int CommaPos(const QString& s)
{
    return int(s.indexOf(QLatin1Char(','))) + 1;
}

}  // namespace

bool TryParseInt(const QString& text, qint64& value)
{
    QString s = text;
    int start = 0;
    while (start < s.size() && s[start] == QLatin1Char(' '))
        ++start;
    s = s.mid(start);
    bool negative = false;
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
        negative = s[0] == QLatin1Char('-');
        s = s.mid(1);
    }
    int base = 10;
    if (s.startsWith(QLatin1Char('$'))) {
        base = 16;
        s = s.mid(1);
    } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        s = s.mid(2);
    }
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (!(c.isDigit() || (base == 16 && QStringLiteral("abcdefABCDEF").contains(c))))
            return false;
    }
    bool ok = false;
    const qint64 number = s.toLongLong(&ok, base);
    if (!ok)
        return false;
    value = negative ? -number : number;
    return true;
}

QString FontToText(const TFontInfo& font, bool withColor)
{
    QString styles;
    for (const auto& style : styleNames) {
        if (font.*style.Flag)
            styles += QLatin1String(style.Name);
    }
    if (styles.startsWith(QLatin1Char('|')))
        styles.remove(0, 1);
    QString text = QStringLiteral("%1, \"%2\", %3, [%4]").arg(font.Charset).arg(font.Name).arg(font.Size).arg(styles);
    if (withColor)
        text += QStringLiteral(", [%1]").arg(UColorUtil::ColorToString(font.Color));
    return text;
}

void TextToFont(const QString& text, TFontInfo& font, bool withColor)
{
    QString s = text;
    qint64 number = 0;

    int p = CommaPos(s);
    if (!TryParseInt(Copy(s, 1, p - 1), number))
        return;
    font.Charset = int(number);
    CutThrough(s, p);

    p = CommaPos(s);
    font.Name = Copy(s, 3, p - 4);
    CutThrough(s, p);

    p = CommaPos(s);
    if (!TryParseInt(Copy(s, 2, p - 2), number))
        return;
    font.Size = int(number);
    CutThrough(s, p);

    p = CommaPos(s);
    const QString styles = QLatin1Char('|') + Copy(s, 3, p - 4);
    CutThrough(s, p);

    if (withColor) {
        TColor color = 0;
        if (!UColorUtil::TryStringToColor(Copy(s, 3, int(s.size()) - 3), color))
            return;
        font.Color = color;
    }

    for (const auto& style : styleNames)
        font.*style.Flag = styles.contains(QLatin1String(style.Name));
}

}  // namespace UFontUtil
