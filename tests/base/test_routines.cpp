#include "base/UCommandLine.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "base/UStringUtil.h"
#include "base/UTextCodec.h"
#include "base/UTimeUtil.h"
#include "base/UVersionUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray ReadBytes(const QString& fileName)
{
    QFile f(fileName);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << fileName.toStdString();
    return f.readAll();
}

void WriteBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile f(fileName);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
}

TEST(StringUtil, SplitStringTrimsFirstAndKeepsEmptyPieces)
{
    const struct {
        QString text;
        QChar delimiter;
        QStringList expected;
    } cases[] = {
        {QStringLiteral(" a,b,,c "), QLatin1Char(','), {"a", "b", "", "c"}},
        {QString(), QLatin1Char(','), {""}},
        {QStringLiteral("\t\x01x.y.\r\n"), QLatin1Char('.'), {"x", "y", ""}},
        {QStringLiteral("D:/out/2021/a"), QLatin1Char('/'), {"D:", "out", "2021", "a"}},
    };
    for (const auto& c : cases) {
        QStringList list {QStringLiteral("stale")};
        SplitString(c.text, c.delimiter, list);
        EXPECT_EQ(list, c.expected) << c.text.toStdString();
    }
}

TEST(StringUtil, MarkersPaddingAndCuts)
{
    const QString text = QStringLiteral("From t1 To t2");
    EXPECT_EQ(TextBetween(text, QStringLiteral("From "), QStringLiteral(" To")), QStringLiteral("t1"));
    EXPECT_EQ(TextBetween(text, QStringLiteral("From "), QStringLiteral(" Until")), QString());
    EXPECT_EQ(TextAfter(text, QStringLiteral("missing")), QString());
    EXPECT_EQ(TextAfter(text, QString()), QString());
    EXPECT_EQ(TextBefore(text, QStringLiteral(" To")), QStringLiteral("From t1"));

    EXPECT_EQ(PadLeft(QStringLiteral("7"), 3, QLatin1Char('0')), QStringLiteral("007"));
    EXPECT_EQ(PadLeft(QStringLiteral("1234"), 3, QLatin1Char('0')), QStringLiteral("1234"));

    EXPECT_EQ(CountOccurrences(QStringLiteral("aa"), QStringLiteral("aaaa a")), 2);   // no overlap
    EXPECT_EQ(CountOccurrences(QStringLiteral("select"), QStringLiteral("select (select 1)")), 2);
    EXPECT_EQ(CountOccurrences(QString(), QStringLiteral("abc")), 0);

    EXPECT_EQ(CutRight(QStringLiteral("abcd"), 2), QStringLiteral("ab"));
    EXPECT_EQ(CutRight(QStringLiteral("ab"), 5), QString());
    EXPECT_EQ(RemoveTrailingChar(QStringLiteral("a/b/"), QLatin1Char('/')), QStringLiteral("a/b"));
    EXPECT_EQ(RemoveTrailingChar(QStringLiteral("a/b"), QLatin1Char('/')), QStringLiteral("a/b"));
}

TEST(FileUtil, NamesAndExtensions)
{
    EXPECT_EQ(ExtractFileNameOnly(QStringLiteral("/any/b.tar.gz")), QStringLiteral("b.tar"));
    EXPECT_EQ(ExtractFileNameOnly(QStringLiteral("dir.x/plain")), QStringLiteral("plain"));
    EXPECT_EQ(ExtractFileNameOnly(QStringLiteral("Vantorquill")), QStringLiteral("Vantorquill"));
    EXPECT_EQ(ExtWithoutDot(QStringLiteral(".txt")), QStringLiteral("txt"));
    EXPECT_EQ(ExtWithoutDot(QStringLiteral("txt")), QStringLiteral("txt"));
    EXPECT_EQ(ExtWithoutDot(QStringLiteral("..x")), QStringLiteral(".x"));
}

TEST(FileUtil, ForceDirectoryPathCreatesEachMissingLevel)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir().mkpath(root + QStringLiteral("/out"));
    WriteBytes(root + QStringLiteral("/out/keep.txt"), "x");

    ForceDirectoryPath(root + QStringLiteral("/out/2021/a"));
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/out/2021/a")).isDir());
    EXPECT_EQ(ReadBytes(root + QStringLiteral("/out/keep.txt")), QByteArray("x"));   // existing left alone

    // A level blocked by a file is not reported.
    WriteBytes(root + QStringLiteral("/blocker"), "");
    EXPECT_NO_THROW(ForceDirectoryPath(root + QStringLiteral("/blocker/sub")));
    EXPECT_FALSE(QFileInfo(root + QStringLiteral("/blocker/sub")).exists());
}

TEST(FileUtil, WriteTextFileWritesUtf8WithCrLf)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("t.txt"));
    WriteTextFile(QStringLiteral("Grüße €"), file);
    EXPECT_EQ(ReadBytes(file), QByteArray("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC\r\n"));

    EXPECT_EQ(TryWriteTextFile(file), QString());
    EXPECT_EQ(ReadBytes(file), QByteArray("\r\n"));

    const QString error = TryWriteTextFile(dir.filePath(QStringLiteral("missing/t.txt")));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_THROW(WriteTextFile(QStringLiteral("x"), dir.filePath(QStringLiteral("missing/t.txt"))), EInOutError);
    EXPECT_NO_THROW(WriteTextFile(QStringLiteral("x"), QString()));
}

TEST(FileUtil, ReadTextFileDecodesAndEndsEveryLineWithCrLf)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {"utf8", QByteArray("caf\xC3\xA9\nb"), QStringLiteral("café\r\nb\r\n")},
        {"utf8 bom", QByteArray("\xEF\xBB\xBFx\r\n"), QStringLiteral("x\r\n")},
        {"cp1252", QByteArray("caf\xE9 \x80\x93\r"), QStringLiteral("café €“\r\n")},
        {"utf16le", QByteArray("\xFF\xFEh\0i\0\n\0", 8), QStringLiteral("hi\r\n")},
        {"utf16be", QByteArray("\xFE\xFF\0h\0i", 6), QStringLiteral("hi\r\n")},
        {"empty lines", QByteArray("a\r\n\r\n\n"), QStringLiteral("a\r\n\r\n\r\n")},
        {"empty", QByteArray(), QString()},
    };
    for (const auto& c : cases) {
        const QString file = dir.filePath(QString::fromLatin1(c.name));
        WriteBytes(file, c.bytes);
        EXPECT_EQ(ReadTextFile(file), c.expected) << c.name;
    }
    EXPECT_THROW(ReadTextFile(dir.filePath(QStringLiteral("none"))), EInOutError);
}

TEST(FileUtil, GetFileSizeIs64BitAndRaisesForMissingFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("big"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(3) << 30));   // sparse 3 GiB
    }
    EXPECT_EQ(GetFileSize(file), qint64(3) << 30);
    EXPECT_THROW(GetFileSize(dir.filePath(QStringLiteral("none"))), EInOutError);
}

TEST(TextCodec, RoundTripsKeepTheBytes)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QByteArray samples[] = {all, QByteArray("\xEF\xBB\xBFtext \xE2\x82\xAC"), QByteArray("\xFF\xFEx\0", 4),
                                  QByteArray("plain")};
    for (const QByteArray& bytes : samples) {
        const TTextEncoding encoding = DetectTextEncoding(bytes);
        bool lossless = false;
        EXPECT_EQ(EncodeText(DecodeText(bytes, encoding), encoding, &lossless), bytes);
        EXPECT_TRUE(lossless);
    }
    bool lossless = true;
    EXPECT_EQ(EncodeText(QStringLiteral("a\u4E2D"), TTextEncoding::Windows1252, &lossless), QByteArray("a?"));
    EXPECT_FALSE(lossless);
}

TEST(TimeUtil, FormatMilliseconds)
{
    const struct {
        double ms;
        bool withMs;
        const char* expected;
    } cases[] = {
        {3723004, true, "01:02:03.004"},
        {61500, false, "00:01:02"},
        {59600, false, "00:00:60"},      // seconds are rounded, not cut
        {59600, true, "00:00:59.600"},
        {62500, false, "00:01:02"},      // a half goes to the even number
        {63500, false, "00:01:04"},
        {-5000, false, "00:00:-05"},
        {-5000, true, "00:00:-05.000"},
        {0, true, "00:00:00.000"},
        {360000000, false, "100:00:00"},   // more hours print in full
        {59999.6, true, "00:00:60.000"},   // a rounded-up rest carries into the seconds
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMilliseconds(c.ms, c.withMs).toStdString(), c.expected) << c.ms;
}

TEST(TimeUtil, EstimateRemaining)
{
    EXPECT_DOUBLE_EQ(EstimateRemaining(1000, 25, 100), 3000);
    EXPECT_DOUBLE_EQ(EstimateRemaining(1000, 0, 100), 0);
    EXPECT_DOUBLE_EQ(EstimateRemaining(1000, 10, 0), 0);
    EXPECT_LT(EstimateRemaining(1000, 10, -1), 0);   // uncounted total
}

TEST(VersionUtil, SplitAndFileVersions)
{
    const struct {
        QString text;
        QStringList parts;
    } cases[] = {
        {QStringLiteral("3.3.1.210811"), {"3", "3", "1", "210811"}},
        {QStringLiteral("x.x.x.x"), {"x", "x", "x", "x"}},
        {QStringLiteral("1..2.3"), {"1", "x", "2", "3"}},
        {QStringLiteral("4.5"), {"4", "5", "x", "x"}},
        {QString(), {"x", "x", "x", "x"}},
    };
    for (const auto& c : cases) {
        QString major, minor, release, build;
        SplitVersion(c.text, major, minor, release, build);
        EXPECT_EQ((QStringList {major, minor, release, build}), c.parts) << c.text.toStdString();
    }

    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.exe"));
    WriteBytes(other, "MZ");
    EXPECT_EQ(GetFileVersion(other), QStringLiteral("x.x.x.x"));
    EXPECT_EQ(GetMajorMinorVersion(other), QStringLiteral("x.x"));

    // The running program carries the version of the build.
    EXPECT_EQ(GetFileVersion(QStringLiteral("/proc/self/exe")), QStringLiteral(VQ_VERSION));
    QString major, minor, release, build;
    SplitVersion(QStringLiteral(VQ_VERSION), major, minor, release, build);
    EXPECT_EQ(GetMajorMinorVersion(QStringLiteral("/proc/self/exe")), major + QLatin1Char('.') + minor);
}
