// The built-in program icon and the theme pictures with their fallback.
#include "support/VqWidgetTestSupport.h"
#include "widgets/UAppIcons.h"

#include <QImage>
#include <QPixmap>

TEST(AppIcons, TheProgramIconIsBuiltInAndDraws)
{
    vqtest::WidgetApp();
    const QImage image = ApplicationIcon().pixmap(48, 48).toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 48);
    // Drawn, not blank.
    EXPECT_NE(image.pixelColor(24, 24).alpha(), 0);
}

TEST(AppIcons, AThemeWithoutTheNameGivesTheStylePicture)
{
    vqtest::WidgetApp();
    EXPECT_FALSE(ThemeIcon("no-such-icon-anywhere", QStyle::SP_DialogOpenButton).isNull());
    EXPECT_FALSE(ThemeIcon("document-open", QStyle::SP_DialogOpenButton).isNull());
}
