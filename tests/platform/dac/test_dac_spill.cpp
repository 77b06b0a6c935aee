#include "platform/dac/USpillFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(SpillFile, UnnamedOwnerOnlyFileInTheCacheFolder)
{
    QTemporaryDir cache;
    const QByteArray before = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    TSpillFile spill;
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    const qint64 first = spill.Append(all.constData(), all.size());
    const qint64 second = spill.Append("tail", 4);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 256);
    char buffer[300];
    ASSERT_EQ(spill.Read(first, buffer, 256), 256);
    EXPECT_EQ(QByteArray(buffer, 256), all);
    EXPECT_EQ(spill.Read(second, buffer, 100), 4);   // no more than there is
    if (before.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", before);

    // The folder holds no name of it, and the open file is the owner's only.
    const QString folder = cache.path() + QStringLiteral("/vantorquill");
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    int found = 0;
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files)) {
        const QString target = fd.symLinkTarget();
        if (!target.startsWith(folder))
            continue;
        ++found;
        EXPECT_TRUE(target.endsWith(QLatin1String("(deleted)"))) << target.toStdString();
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(fd.filePath()).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
    }
    EXPECT_EQ(found, 1);
}
