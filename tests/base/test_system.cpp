#include "base/UException.h"
#include "base/USystemUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Sets an environment variable for a scope.
class EnvOverride {
public:
    EnvOverride(const char* name, const QByteArray& value) : FName(name), FOld(qgetenv(name)), FHad(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~EnvOverride()
    {
        if (FHad)
            qputenv(FName, FOld);
        else
            qunsetenv(FName);
    }

private:
    const char* FName;
    QByteArray FOld;
    bool FHad;
};

void WriteBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile f(fileName);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
}

TEST(SystemUtil, ProgramDataDirIsCreatedBelowXdgDataHome)
{
    QTemporaryDir dir;
    EnvOverride data("XDG_DATA_HOME", dir.path().toLocal8Bit());
    EXPECT_EQ(GetAppDataDir(), dir.path());
    EXPECT_EQ(GetProgramDataDir(QStringLiteral("Vantorquill")), dir.path() + QStringLiteral("/Vantorquill/"));
    EXPECT_TRUE(QFileInfo(dir.path() + QStringLiteral("/Vantorquill")).isDir());
    EXPECT_EQ(GetExceptionLogFile(QStringLiteral("Vantorquill")),
              dir.path() + QStringLiteral("/Vantorquill/exception.log"));
}

TEST(SystemUtil, ProgramDataDirFailsWithItsMessage)
{
    QTemporaryDir dir;
    WriteBytes(dir.filePath(QStringLiteral("file")), "");
    {
        EnvOverride data("XDG_DATA_HOME", dir.filePath(QStringLiteral("file")).toLocal8Bit());
        try {
            GetProgramDataDir(QStringLiteral("Vantorquill"));
            FAIL() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Cannot create \"") + dir.filePath(QStringLiteral("file"))
                                       + QStringLiteral("/Vantorquill\""));
        }
    }
    {
        EnvOverride data("XDG_DATA_HOME", QByteArray());
        EnvOverride home("HOME", QByteArray());
        try {
            GetProgramDataDir(QStringLiteral("Vantorquill"));
            FAIL() << "no exception without a home";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Cannot create the program folder \"Vantorquill\": neither HOME nor "
                                                  "XDG_DATA_HOME is set"));
        }
    }
}

TEST(SystemUtil, DocumentsDirIsCreated)
{
    QTemporaryDir dir;
    EnvOverride home("HOME", dir.path().toLocal8Bit());
    EnvOverride config("XDG_CONFIG_HOME", dir.filePath(QStringLiteral(".config")).toLocal8Bit());
    const QString documents = GetDocumentsDir();
    EXPECT_EQ(documents, dir.path() + QStringLiteral("/Documents"));
    EXPECT_TRUE(QFileInfo(documents).isDir());
}

TEST(SystemUtil, VersionAndArchitectureTexts)
{
    const QString os = GetOSVersion();
    EXPECT_TRUE(os.contains(QStringLiteral(" (Version "))) << os.toStdString();
    EXPECT_TRUE(os.endsWith(QStringLiteral("-bit Edition)"))) << os.toStdString();
    EXPECT_EQ(GetOSArch(), IsOS64() ? QStringLiteral("x64") : QStringLiteral("x86"));
    EXPECT_EQ(GetAppVersion(), QStringLiteral(VQ_VERSION " (") + GetAppArch() + QLatin1Char(')'));
    EXPECT_EQ(GetExeVersionText(QStringLiteral("/proc/self/exe")), QString());
}

TEST(SystemUtil, GetExeArchReadsWindowsProgramHeaders)
{
    QTemporaryDir dir;
    auto pe = [&](const char* name, quint16 machine) {
        QByteArray bytes(0x80, '\0');
        bytes[0] = 'M';
        bytes[1] = 'Z';
        bytes[0x3C] = 0x40;
        bytes.replace(0x40, 4, QByteArray("PE\0\0", 4));
        bytes[0x44] = static_cast<char>(machine & 0xFF);
        bytes[0x45] = static_cast<char>(machine >> 8);
        const QString file = dir.filePath(QString::fromLatin1(name));
        WriteBytes(file, bytes);
        return file;
    };
    EXPECT_EQ(GetExeArch(pe("x64.exe", 0x8664)), QStringLiteral("x64"));
    EXPECT_EQ(GetExeArch(pe("x86.exe", 0x014C)), QStringLiteral("x86"));
    EXPECT_EQ(GetExeArch(QStringLiteral("/proc/self/exe")), QStringLiteral("x86"));   // not a Windows program
    EXPECT_EQ(GetExeArch(dir.filePath(QStringLiteral("missing.exe"))), QStringLiteral("x86"));
}

TEST(SystemUtil, RunCommandJoinsOutputAndError)
{
    QTemporaryDir dir;
    const QString out = RunCommand(QStringLiteral("echo out; echo err >&2; pwd"), dir.path());
    EXPECT_EQ(out, QStringLiteral("out\nerr\n") + QDir(dir.path()).canonicalPath() + QLatin1Char('\n'));
    // A failing command's error text is part of the output; nothing raises.
    EXPECT_TRUE(RunCommand(QStringLiteral("no-such-command-here"), dir.path()).contains(QStringLiteral("not found")));
    EXPECT_EQ(RunCommand(QStringLiteral("echo x"), dir.filePath(QStringLiteral("missing"))), QString());
}

TEST(SystemUtil, IsPortListening)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const int port = ntohs(address.sin_port);

    EXPECT_FALSE(IsPortListening(port));   // bound, not listening
    ASSERT_EQ(::listen(listener, 1), 0);
    EXPECT_TRUE(IsPortListening(port));
    ::close(listener);
    EXPECT_FALSE(IsPortListening(port));
    EXPECT_FALSE(IsPortListening(0));
}
