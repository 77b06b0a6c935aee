#pragma once

#include <QColor>
#include <QString>

// A colour as stored in font texts: $00BBGGRR for a plain colour, or a
// system colour ($FF0000nn, nn the element) that the desktop decides.
using TColor = qint32;

namespace UColorUtil {

constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clWindowText = TColor(0xFF000008);
constexpr TColor clWindow = TColor(0xFF000005);

// The symbolic name ("clRed", "clWindowText") when the colour has one, else
// "$" and eight hexadecimal digits.
QString ColorToString(TColor color);
// A symbolic name (letter case aside), a "$" hexadecimal or a decimal number;
// false when the text is none of them.
bool TryStringToColor(const QString& text, TColor& color);
// As TryStringToColor, raising EConvertError on a text that is no colour.
TColor StringToColor(const QString& text);

// The colour to paint with: system colours from the application's palette.
QColor ToQColor(TColor color);
// A plain colour for an RGB colour.
TColor FromQColor(const QColor& color);

}  // namespace UColorUtil
