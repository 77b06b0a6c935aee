#include "platform/shell/UShellOpener.h"
#include "support/VqFakeShellOpener.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(ShellOpener, TargetsBecomeUrlsOrLocalFiles)
{
    const struct {
        QString target;
        QString url;
    } cases[] = {
        {QStringLiteral("https://example.org/a?b=1"), QStringLiteral("https://example.org/a?b=1")},
        {QStringLiteral("mailto:support@example.org"), QStringLiteral("mailto:support@example.org")},
        {QStringLiteral("/tmp/exception.log"), QStringLiteral("file:///tmp/exception.log")},
        {QStringLiteral("/tmp/a:b.txt"), QStringLiteral("file:///tmp/a:b.txt")},
        {QStringLiteral("rel/Help.chm"), QStringLiteral("file://") + QDir::currentPath() + QStringLiteral("/rel/Help.chm")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellTargetUrl(c.target).toString(), c.url) << c.target.toStdString();
}

TEST(ShellOpener, FakeRecordsAndRestores)
{
    EXPECT_EQ(TShellOpener::Installed(), nullptr);
    {
        vqtest::FakeShellOpener fake;
        EXPECT_TRUE(TShellOpener::Instance().OpenDocument(QStringLiteral("/tmp/x.pdf")));
        fake.Succeeds = false;
        EXPECT_FALSE(TShellOpener::Instance().StartProgram(QStringLiteral("editor"), {QStringLiteral("a.bat")}));
        EXPECT_EQ(fake.Documents, QStringList {QStringLiteral("/tmp/x.pdf")});
        ASSERT_EQ(fake.Programs.size(), 1);
        EXPECT_EQ(fake.Programs[0].arguments, QStringList {QStringLiteral("a.bat")});
    }
    EXPECT_EQ(TShellOpener::Installed(), nullptr);
}

TEST(ShellOpener, DesktopOpenerRefusesWhatCannotBeOpened)
{
    TDesktopShellOpener desktop;   // only the cases that start nothing
    EXPECT_FALSE(desktop.OpenDocument(QString()));
    EXPECT_FALSE(desktop.OpenDocument(QStringLiteral("/no/such/file.txt")));
    EXPECT_FALSE(desktop.StartProgram(QString(), {}));
    EXPECT_FALSE(desktop.StartProgram(QStringLiteral("/no/such/program"), {}));
}
