#pragma once

#include <QIcon>
#include <QStyle>

// The program's own icon, built in.
QIcon ApplicationIcon();

// The desktop theme's icon of that standard name; the style's picture where
// the theme has none (or no theme is installed).
QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback);
