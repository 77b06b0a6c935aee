#include "UAppIcons.h"

#include <QApplication>

QIcon ApplicationIcon()
{
    return QIcon(QStringLiteral(":/vantorquill/icons/vantorquill.svg"));
}

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback)
{
    const QString themeName = QString::fromLatin1(name);
    if (QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return QApplication::style()->standardIcon(fallback);
}
