#include "UColorUtil.h"

#include "UFontUtil.h"
#include "base/UException.h"

#include <QGuiApplication>
#include <QPalette>

namespace UColorUtil {
namespace {

struct TColorName {
    TColor Color;
    const char* Name;
};

// The standard colours and system colours with their names.
const TColorName colorNames[] = {
    {0x000000, "clBlack"},          {0x000080, "clMaroon"},
    {0x008000, "clGreen"},          {0x008080, "clOlive"},
    {0x800000, "clNavy"},           {0x800080, "clPurple"},
    {0x808000, "clTeal"},           {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},         {0x0000FF, "clRed"},
    {0x00FF00, "clLime"},           {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},           {0xFF00FF, "clFuchsia"},
    {0xFFFF00, "clAqua"},           {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},     {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},          {0xA4A0A0, "clMedGray"},
    {TColor(0xFF000000), "clScrollBar"},      {TColor(0xFF000001), "clBackground"},
    {TColor(0xFF000002), "clActiveCaption"},  {TColor(0xFF000003), "clInactiveCaption"},
    {TColor(0xFF000004), "clMenu"},           {TColor(0xFF000005), "clWindow"},
    {TColor(0xFF000006), "clWindowFrame"},    {TColor(0xFF000007), "clMenuText"},
    {TColor(0xFF000008), "clWindowText"},     {TColor(0xFF000009), "clCaptionText"},
    {TColor(0xFF00000A), "clActiveBorder"},   {TColor(0xFF00000B), "clInactiveBorder"},
    {TColor(0xFF00000C), "clAppWorkSpace"},   {TColor(0xFF00000D), "clHighlight"},
    {TColor(0xFF00000E), "clHighlightText"},  {TColor(0xFF00000F), "clBtnFace"},
    {TColor(0xFF000010), "clBtnShadow"},      {TColor(0xFF000011), "clGrayText"},
    {TColor(0xFF000012), "clBtnText"},        {TColor(0xFF000013), "clInactiveCaptionText"},
    {TColor(0xFF000014), "clBtnHighlight"},   {TColor(0xFF000015), "cl3DDkShadow"},
    {TColor(0xFF000016), "cl3DLight"},        {TColor(0xFF000017), "clInfoText"},
    {TColor(0xFF000018), "clInfoBk"},         {0x1FFFFFFF, "clNone"},
    {0x20000000, "clDefault"},
};

}  // namespace

QString ColorToString(TColor color)
{
    for (const TColorName& entry : colorNames) {
        if (entry.Color == color)
            return QString::fromLatin1(entry.Name);
    }
    return QStringLiteral("$%1").arg(quint32(color), 8, 16, QLatin1Char('0')).toUpper();
}

bool TryStringToColor(const QString& text, TColor& color)
{
    for (const TColorName& entry : colorNames) {
        if (text.compare(QLatin1String(entry.Name), Qt::CaseInsensitive) == 0) {
            color = entry.Color;
            return true;
        }
    }
    qint64 number = 0;
    if (!UFontUtil::TryParseInt(text, number) || number < -0x80000000LL || number > 0xFFFFFFFFLL)
        return false;
    color = TColor(quint32(number));
    return true;
}

TColor StringToColor(const QString& text)
{
    TColor color = 0;
    if (!TryStringToColor(text, color))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return color;
}

QColor ToQColor(TColor color)
{
    const quint32 value = quint32(color);
    if ((value & 0xFF000000u) == 0xFF000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (value & 0xFFu) {
        case 0x05: return palette.color(QPalette::Base);
        case 0x0D: return palette.color(QPalette::Highlight);
        case 0x0E: return palette.color(QPalette::HighlightedText);
        case 0x0F: return palette.color(QPalette::Button);
        case 0x11: return palette.color(QPalette::PlaceholderText);
        case 0x12: return palette.color(QPalette::ButtonText);
        case 0x17: return palette.color(QPalette::ToolTipText);
        case 0x18: return palette.color(QPalette::ToolTipBase);
        default: return palette.color(QPalette::Text);
        }
    }
    if (color == 0x1FFFFFFF || color == 0x20000000)
        return QGuiApplication::palette().color(QPalette::Text);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color)
{
    return TColor(color.red() | (color.green() << 8) | (color.blue() << 16));
}

}  // namespace UColorUtil
