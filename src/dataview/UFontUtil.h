#pragma once

#include "UColorUtil.h"

#include <QFont>
#include <QString>

// A font as the text viewer keeps it: QFont has no character set, and the
// colour is the widget's text colour.
struct TFontInfo {
    int Charset = 1;   // 1: the default character set
    QString Name = QStringLiteral("Tahoma");
    int Size = 8;      // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = UColorUtil::clWindowText;

    bool operator==(const TFontInfo&) const = default;

    QFont ToQFont() const;
    // Name, size and styles from a QFont; character set and colour stay.
    void AssignFont(const QFont& font);
};

// A font as one line of text: character set, "name", size, [styles] and,
// when asked for, [colour]; for example: 1, "Tahoma", 10, [Bold|Italic], [clRed]
namespace UFontUtil {

QString FontToText(const TFontInfo& font, bool withColor);

// Sets the font from such a line, cutting it left to right. Never raises: a
// part that does not convert ends the parse, the parts before it kept. A line
// without its colour part sets no styles, and a name holding a comma does not
// survive; fonts are therefore always written with their colour.
void TextToFont(const QString& text, TFontInfo& font, bool withColor);

// A whole number as the font text and colours write them: decimal or "$"
// hexadecimal, blanks before it allowed.
bool TryParseInt(const QString& text, qint64& value);

}  // namespace UFontUtil
