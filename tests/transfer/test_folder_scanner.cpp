// The file listing of an import: order, mask, hidden entries and links.
#include "transfer/UFolderScanner.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FolderScanner : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Root.isValid());
        for (const char* name : {"b.jpg", "B.jpg", "a.jpg", "photo.JPG", "a.jpeg", "noext", ".hidden.jpg",
                                 "x.DS_Store.jpg", ".DS_Store", "sub/d.jpg", "sub/deeper/e.jpg", "sub/z.txt",
                                 "Sub2/f.jpg", ".secret/g.jpg", "tar.jpg.gz"})
            Write(QString::fromUtf8(name));
        ASSERT_EQ(symlink("a.jpg", Path("linked.jpg").toUtf8().constData()), 0);
        ASSERT_EQ(symlink("gone.jpg", Path("dangling.jpg").toUtf8().constData()), 0);
        ASSERT_EQ(symlink("sub", Path("linkdir").toUtf8().constData()), 0);
        ASSERT_EQ(symlink(".", Path("sub/loop").toUtf8().constData()), 0);
        ASSERT_EQ(mkfifo(Path("pipe.jpg").toUtf8().constData(), 0600), 0);
    }

    QString Path(const QString& relative) const { return Root.path() + QLatin1Char('/') + relative; }

    void Write(const QString& relative)
    {
        QDir().mkpath(QFileInfo(Path(relative)).path());
        QFile file(Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(relative.toUtf8());
    }

    // The files of a scan, relative to the root.
    QStringList Scan(const QString& mask, bool recursive)
    {
        TFolderScanner scanner;
        scanner.SetFolder(Root.path() + QLatin1Char('/'));
        scanner.SetMask(mask);
        scanner.SetRecursive(recursive);
        scanner.Scan();
        QStringList files;
        for (const QString& file : scanner.Files())
            files << file.mid(Root.path().size() + 1);
        EXPECT_EQ(scanner.Count(), files.size());
        return files;
    }

    QTemporaryDir Root;
};

}  // namespace

TEST_F(FolderScanner, AllFilesInNameOrderFilesBeforeSubFolders)
{
    // Byte order: "." and capitals before small letters; hidden files and
    // links to files are taken; DS_Store, the dangling link, the pipe, linked
    // and hidden folders are not.
    EXPECT_EQ(Scan(QStringLiteral("*.*"), true),
              (QStringList{".hidden.jpg", "B.jpg", "a.jpeg", "a.jpg", "b.jpg", "linked.jpg", "noext",
                           "photo.JPG", "tar.jpg.gz", "Sub2/f.jpg", "sub/d.jpg", "sub/z.txt", "sub/deeper/e.jpg"}));
    EXPECT_EQ(Scan(QStringLiteral("*.*"), false).size(), 9);
}

TEST_F(FolderScanner, MaskIgnoresCaseThenTheExtensionMustMatchExactly)
{
    EXPECT_EQ(Scan(QStringLiteral("*.jpg"), true),
              (QStringList{".hidden.jpg", "B.jpg", "a.jpg", "b.jpg", "linked.jpg", "Sub2/f.jpg", "sub/d.jpg",
                           "sub/deeper/e.jpg"}));
    EXPECT_EQ(Scan(QStringLiteral("*.JPG"), false), QStringList{"photo.JPG"});
    EXPECT_EQ(Scan(QStringLiteral("*.gz"), false), QStringList{"tar.jpg.gz"});
}

TEST_F(FolderScanner, MissingOrEmptyFolderListsNothingAndScansAppendUntilReset)
{
    TFolderScanner scanner;
    scanner.Scan();   // no folder: not the root
    EXPECT_EQ(scanner.Count(), 0);
    scanner.SetFolder(Path("none/"));
    scanner.Scan();
    EXPECT_EQ(scanner.Count(), 0);
    EXPECT_TRUE(scanner.MissingFolder());
    EXPECT_TRUE(scanner.Failures().isEmpty()) << "a missing load folder is no error";
    scanner.Reset();
    scanner.SetFolder(Path("sub/"));
    scanner.Scan();
    scanner.Scan();
    EXPECT_EQ(scanner.Count(), 4);
    EXPECT_EQ(scanner.Files().value(0), Path("sub/d.jpg"));
    scanner.Reset();
    EXPECT_EQ(scanner.Count(), 0);
    EXPECT_TRUE(scanner.Files().isEmpty());
}

// A folder deeper than a path can reach fails with the system's reason; the
// files above it are still listed, and names are bytes.
TEST_F(FolderScanner, FoldersBeyondThePathLimitFailAndNamesAreBytes)
{
    const QByteArray level(200, 'd');
    int folder = open(Path("sub").toUtf8().constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    for (int depth = 0; depth < 25; ++depth) {
        ASSERT_EQ(mkdirat(folder, level.constData(), 0755), 0);
        const int next = openat(folder, level.constData(), O_RDONLY | O_DIRECTORY);
        close(folder);
        ASSERT_GE(next, 0);
        folder = next;
    }
    close(folder);
    const QByteArray latin1 = QFile::encodeName(Path("sub/")) + "caf\xe9.jpg";
    const int file = open(latin1.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    close(file);

    TFolderScanner scanner;
    scanner.SetFolder(Path("sub/"));
    scanner.SetRecursive(true);
    scanner.Scan();
    EXPECT_EQ(scanner.Files().value(0), Path("sub/caf") + QChar(0xe9) + QStringLiteral(".jpg"));
    EXPECT_EQ(scanner.NativeFiles().value(0), latin1);
    ASSERT_EQ(scanner.Failures().size(), 1);
    EXPECT_EQ(scanner.Failures()[0].Reason, QStringLiteral("File name too long"));
    EXPECT_TRUE(scanner.Failures()[0].Folder.startsWith(Path("sub/") + QString::fromLatin1(level)));
    unlink(latin1.constData());
    // Beyond what Qt can remove.
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), Path("sub/") + QString::fromLatin1(level)});
}
