// Every test executable runs with a home of its own, so that no test reads or
// writes the settings, logs or documents of the person running them.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/vq-test-home.XXXXXX"));
    if (!home.isValid())
        return 3;
    const QByteArray root = home.path().toLocal8Bit();
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/.config");
    qputenv("XDG_DATA_HOME", root + "/.local/share");
    qputenv("XDG_CACHE_HOME", root + "/.cache");
    qputenv("XDG_RUNTIME_DIR", root + "/run");
    QDir(home.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home.path() + QStringLiteral("/run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
