// Linked with every core library whole, and with QtCore only: a core unit
// that uses QtGui or QtWidgets fails this executable's link.
#include <QFile>
#include <gtest/gtest.h>

TEST(CoreOnly, NoWidgetLibraryIsLoaded)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray loaded = maps.readAll();
    EXPECT_FALSE(loaded.contains("libQt6Gui"));
    EXPECT_FALSE(loaded.contains("libQt6Widgets"));
}
