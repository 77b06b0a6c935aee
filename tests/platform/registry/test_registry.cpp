#include "base/ULog.h"
#include "platform/registry/UMruList.h"
#include "platform/registry/URegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Registry : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Corvanta/registry"));
};

class Recorder : public TLogAppender {
public:
    void Append(const QString& text) override { lines << text; }
    QStringList lines;
};

QByteArray ReadBytes(const QString& fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST_F(Registry, KeysAndValuesIgnoreLetterCaseAndKeepTheirOwn)
{
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\corvanta\\pharostine"), true));
    reg.WriteString(QStringLiteral("tempfolder"), QStringLiteral("/tmp/x"));

    TRegistry other(file);
    ASSERT_TRUE(other.OpenKey(QStringLiteral("\\SOFTWARE\\Corvanta\\Pharostine"), false));
    EXPECT_EQ(other.ReadString(QStringLiteral("TempFolder")), QStringLiteral("/tmp/x"));
    other.WriteString(QStringLiteral("TEMPFOLDER"), QStringLiteral("/tmp/y"));   // the same value
    EXPECT_EQ(other.GetValueNames(), QStringList {QStringLiteral("tempfolder")});

    ASSERT_TRUE(other.OpenKey(QStringLiteral("\\software"), false));
    EXPECT_EQ(other.GetKeyNames(), QStringList {QStringLiteral("corvanta")});
    EXPECT_EQ(reg.ReadString(QStringLiteral("tempfolder")), QStringLiteral("/tmp/y"));
}

TEST_F(Registry, PathsAreRelativeToTheCurrentKeyUnlessRooted)
{
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Corvanta"), true));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("MysqlList\\local"), true));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software\\Corvanta\\MysqlList\\local"));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("\\Software\\Corvanta\\MysqlList")));
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("MysqlList")));   // relative to ...\local
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Software\\Missing"), false));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("Software\\Corvanta\\MysqlList\\local"));   // unchanged
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\a\\\\b"), true));   // an empty name is no key
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), QString());
    EXPECT_TRUE(reg.OpenKey(QStringLiteral("Software\\"), false));
}

TEST_F(Registry, ValuesAreTypedAndTheWrongTypeRaises)
{
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Corvanta\\MysqlList\\p1"), true));
    reg.WriteString(QStringLiteral("Server"), QStringLiteral("db.local"));
    reg.WriteInteger(QStringLiteral("Port"), 3306);
    reg.WriteBool(QStringLiteral("UseSSH"), true);
    reg.WriteInteger(QStringLiteral("Min"), INT_MIN);

    EXPECT_EQ(reg.GetDataType(QStringLiteral("Server")), TRegDataType::rdString);
    EXPECT_EQ(reg.GetDataType(QStringLiteral("port")), TRegDataType::rdInteger);
    EXPECT_EQ(reg.GetDataType(QStringLiteral("none")), TRegDataType::rdUnknown);
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Port")), 3306);
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Min")), INT_MIN);
    EXPECT_TRUE(reg.ReadBool(QStringLiteral("UseSSH")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Missing")), QString());   // a missing string reads empty

    EXPECT_THROW(reg.ReadString(QStringLiteral("Port")), ERegistryException);
    EXPECT_THROW(reg.ReadInteger(QStringLiteral("Server")), ERegistryException);
    EXPECT_THROW(reg.ReadInteger(QStringLiteral("SSHPort")), ERegistryException);   // missing integer

    // Overwriting changes the type.
    reg.WriteString(QStringLiteral("Port"), QStringLiteral("3307"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Port")), QStringLiteral("3307"));
    EXPECT_EQ(reg.GetValueNames(), (QStringList {"Server", "Port", "UseSSH", "Min"}));   // creation order
}

TEST_F(Registry, ListingAndDeleting)
{
    TRegistry reg(file);
    for (const char* name : {"zeta", "Alpha", "beta", "LastTime"})
        ASSERT_TRUE(reg.CreateKey(QStringLiteral("\\List\\") + QLatin1String(name) + QStringLiteral("\\sub")));
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\List"), false));
    reg.WriteString(QStringLiteral("LastServer"), QStringLiteral("beta"));
    EXPECT_EQ(reg.GetKeyNames(), (QStringList {"Alpha", "beta", "LastTime", "zeta"}));
    EXPECT_TRUE(reg.HasSubKeys());

    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("BETA")));   // with its subkeys
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\List\\beta\\sub")));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("beta")));
    EXPECT_TRUE(reg.DeleteValue(QStringLiteral("lastserver")));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("LastServer")));
    EXPECT_FALSE(reg.DeleteValue(QStringLiteral("LastServer")));

    // A current key deleted by someone else comes back on the next write.
    TRegistry other(file);
    ASSERT_TRUE(other.DeleteKey(QStringLiteral("\\List")));
    EXPECT_EQ(reg.GetKeyNames(), QStringList());
    reg.WriteString(QStringLiteral("x"), QStringLiteral("1"));
    EXPECT_TRUE(other.KeyExists(QStringLiteral("\\List")));
}

TEST_F(Registry, ReadOnlyKeysRefuseWrites)
{
    TRegistry reg(file);
    ASSERT_TRUE(reg.CreateKey(QStringLiteral("\\K")));
    ASSERT_FALSE(reg.OpenKeyReadOnly(QStringLiteral("\\Missing")));
    EXPECT_FALSE(QFileInfo::exists(file) && reg.KeyExists(QStringLiteral("\\Missing")));
    ASSERT_TRUE(reg.OpenKeyReadOnly(QStringLiteral("\\K")));
    EXPECT_THROW(reg.WriteString(QStringLiteral("v"), QStringLiteral("x")), ERegistryException);
    EXPECT_THROW(reg.DeleteValue(QStringLiteral("v")), ERegistryException);
}

TEST_F(Registry, DefaultFileIsPrivateBelowXdgConfigHome)
{
    const QString expected = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Corvanta/registry");
    EXPECT_EQ(TRegistry::DefaultFileName(), expected);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Corvanta\\Test"), true));
    reg.WriteString(QStringLiteral("Password"), QStringLiteral("ciphered"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(expected).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("\\Software\\Corvanta\\Test")));
}

TEST_F(Registry, DamagedFileReadsEmptyIsKeptAsideAndWarned)
{
    QDir().mkpath(QFileInfo(file).path());
    const QByteArray damaged("{\"format\": \"Corvanta registry\", \"version\": 1, \"root\": {\"keys\": [");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    Recorder recorder;
    TLog::GetLogger()->AddAppender(&recorder);
    TRegistry reg(file);
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\Software")));
    reg.WriteString(QStringLiteral("fresh"), QStringLiteral("1"));
    TLog::GetLogger()->RemoveAppender(&recorder);

    ASSERT_EQ(recorder.lines.size(), 1);
    EXPECT_TRUE(recorder.lines.at(0).startsWith(QStringLiteral("[warn]\tThe registry file"))) << recorder.lines.at(0).toStdString();
    const QStringList aside = QDir(QFileInfo(file).path()).entryList({QStringLiteral("registry.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadBytes(QFileInfo(file).path() + QLatin1Char('/') + aside.at(0)), damaged);
    EXPECT_EQ(TRegistry(file).ReadString(QStringLiteral("fresh")), QStringLiteral("1"));
}

TEST_F(Registry, ADamagedStoreIsToldOnceAtStart)
{
    QDir().mkpath(QFileInfo(file).path());
    const QByteArray good("{\"format\": \"Corvanta registry\", \"version\": 1, \"root\": {\"keys\": [], "
                          "\"values\": [{\"name\": \"n\", \"type\": \"string\", \"data\": \"caf\xc3\xa9\"}]}}");
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"cut in the middle", good.left(good.size() / 2)},
        {"one invalid byte in a value", QByteArray(good).replace("\xc3\xa9", "\xff")},
    };
    TRegistry::OpenAtStart(file);   // takes what earlier tests of this process set aside
    EXPECT_EQ(TRegistry::OpenAtStart(file), QStringList()) << "no store, nothing to tell";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        const QStringList notices = TRegistry::OpenAtStart(file);
        ASSERT_EQ(notices.size(), 1);
        const QStringList aside = QDir(QFileInfo(file).path()).entryList({QStringLiteral("registry.damaged-*")},
                                                                        QDir::Files, QDir::Time);
        ASSERT_FALSE(aside.isEmpty());
        EXPECT_EQ(notices.at(0), QStringLiteral("The settings file %1 was damaged. It was kept as %2 and the "
                                                "settings start empty.")
                                     .arg(file, QFileInfo(file).path() + QLatin1Char('/') + aside.at(0)));
        EXPECT_EQ(TRegistry::OpenAtStart(file), QStringList()) << "told once";
        for (const QString& name : aside)
            QFile::remove(QFileInfo(file).path() + QLatin1Char('/') + name);
    }
}

TEST_F(Registry, AStoreBehindALinkIsSavedThroughIt)
{
    // The store's folder holds a link to a file that a dotfile manager keeps
    // elsewhere.
    const QString kept = dir.filePath(QStringLiteral("dotfiles/registry"));
    QDir().mkpath(QFileInfo(kept).path());
    QDir().mkpath(QFileInfo(file).path());
    ASSERT_TRUE(QFile::link(QStringLiteral("../dotfiles/registry"), file));
    {
        TRegistry reg(file);
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software"), true));
        reg.WriteString(QStringLiteral("a"), QStringLiteral("1"));
        reg.WriteString(QStringLiteral("b"), QStringLiteral("2"));
    }
    EXPECT_TRUE(QFileInfo(file).isSymLink());
    EXPECT_EQ(QFileInfo(file).symLinkTarget(), kept);
    EXPECT_TRUE(ReadBytes(kept).contains("\"b\""));
    EXPECT_EQ(QDir(QFileInfo(kept).path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("registry")})
        << "no temporary file is left beside the target";
    TRegistry check(file);
    ASSERT_TRUE(check.OpenKey(QStringLiteral("\\Software"), false));
    EXPECT_EQ(check.ReadString(QStringLiteral("a")), QStringLiteral("1"));
}

TEST_F(Registry, ALinkInPlaceOfTheLockFileIsNotFollowed)
{
    QDir().mkpath(QFileInfo(file).path());
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::link(elsewhere, file + QStringLiteral(".lock")));
    TRegistry reg(file);
    EXPECT_THROW(reg.WriteString(QStringLiteral("a"), QStringLiteral("1")), ERegistryException);
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(Registry, AStoreOthersCanWriteBecomesTheOwnersAtStart)
{
    const QString folder = QFileInfo(file).path();
    QDir().mkpath(folder);
    TRegistry(file).WriteString(QStringLiteral("a"), QStringLiteral("1"));
    const auto modeOf = [](const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
    };
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0664), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0775), 0);
    // A name of its own: the modes are looked at once per store and process.
    const QString sameStore = folder + QStringLiteral("/./registry");
    Recorder recorder;
    TLog::GetLogger()->AddAppender(&recorder);
    TRegistry::OpenAtStart(sameStore);
    TLog::GetLogger()->RemoveAppender(&recorder);
    EXPECT_EQ(modeOf(file), 0600);
    EXPECT_EQ(modeOf(folder), 0700);
    ASSERT_EQ(recorder.lines.size(), 2) << recorder.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(recorder.lines.at(0).startsWith(QStringLiteral("[warn]\tThe settings folder")));
    EXPECT_TRUE(recorder.lines.at(1).startsWith(QStringLiteral("[warn]\tThe settings file")));
    EXPECT_EQ(TRegistry(file).ReadString(QStringLiteral("a")), QStringLiteral("1"));
}

TEST_F(Registry, AChangeByAnotherProcessIsReadEvenAtTheSameSize)
{
    TRegistry reg(file);
    reg.WriteString(QStringLiteral("v"), QStringLiteral("one"));
    EXPECT_EQ(reg.ReadString(QStringLiteral("v")), QStringLiteral("one"));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int status = 0;
        try {
            TRegistry(file).WriteString(QStringLiteral("v"), QStringLiteral("two"));
        } catch (...) {
            status = 1;
        }
        ::_exit(status);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(reg.ReadString(QStringLiteral("v")), QStringLiteral("two"));
}

TEST_F(Registry, EveryTextReadsBackAsWritten)
{
    const QString high(QChar(0xD800));
    const QString low(QChar(0xDC00));
    const QString texts[] = {
        QStringLiteral("plain \"quoted\" back\\slash\ttab\x01"),
        QStringLiteral("caf\u00e9 \U0001F600"),                     // a pair stays UTF-8
        QStringLiteral("x") + high + QStringLiteral("y"),          // lone surrogates
        low + high,
        high,
    };
    // Written by another process, so that this one reads the file itself.
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int status = 0;
        try {
            TRegistry child(file);
            for (int i = 0; i < int(std::size(texts)); ++i)
                child.WriteString(QStringLiteral("v%1").arg(i) + texts[i], texts[i]);
        } catch (...) {
            status = 1;
        }
        ::_exit(status);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_EQ(status, 0);
    TRegistry reg(file);
    for (int i = 0; i < int(std::size(texts)); ++i) {
        const QString name = QStringLiteral("v%1").arg(i) + texts[i];
        EXPECT_EQ(reg.GetValueNames().at(i), name) << i;
        EXPECT_EQ(reg.ReadString(name), texts[i]) << i;
    }
    // Ordinary texts are stored as UTF-8, not escaped.
    const QByteArray bytes = ReadBytes(file);
    EXPECT_TRUE(bytes.contains("caf\xc3\xa9 \xf0\x9f\x98\x80"));
    EXPECT_TRUE(bytes.contains("x\\ud800y"));
}

TEST_F(Registry, IntegersBeyondThirtyTwoBitsAreDamage)
{
    QDir().mkpath(QFileInfo(file).path());
    const auto storeWith = [&](const char* data) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("{\"format\": \"Corvanta registry\", \"version\": 1, \"root\": {\"keys\": [], "
                           "\"values\": [{\"name\": \"n\", \"type\": \"integer\", \"data\": ")
                + data + "}]}}");
    };
    const struct {
        const char* data;
        bool valid;
        int value;
    } cases[] = {
        {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN}, {"2147483648", false, 0},
        {"-2147483649", false, 0},     {"1e10", false, 0},            {"1.5", false, 0},
    };
    for (const auto& c : cases) {
        storeWith(c.data);
        TRegistry reg(file);
        ASSERT_EQ(reg.ValueExists(QStringLiteral("n")), c.valid) << c.data;
        if (c.valid) {
            EXPECT_EQ(reg.ReadInteger(QStringLiteral("n")), c.value) << c.data;
        }
    }
}

TEST_F(Registry, UpdateWritesOnceOrNotAtAll)
{
    TRegistry reg(file);
    reg.Update([&] {
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\A"), true));
        reg.WriteInteger(QStringLiteral("n"), 1);
        reg.WriteInteger(QStringLiteral("m"), 2);
        EXPECT_FALSE(QFileInfo::exists(file));   // not yet written
    });
    EXPECT_EQ(TRegistry(file).KeyExists(QStringLiteral("\\A")), true);

    EXPECT_THROW(reg.Update([&] {
        reg.WriteInteger(QStringLiteral("n"), 99);
        reg.DeleteKey(QStringLiteral("\\A"));
        throw ERegistryException(QStringLiteral("stop"));
    }),
                 ERegistryException);
    TRegistry check(file);
    ASSERT_TRUE(check.OpenKey(QStringLiteral("\\A"), false));
    EXPECT_EQ(check.ReadInteger(QStringLiteral("n")), 1);
}

TEST_F(Registry, ThreadsWritingAtOnceLoseNothing)
{
    const int threads = 4, values = 40;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            TRegistry reg(file);
            reg.OpenKey(QStringLiteral("\\Shared"), true);
            for (int i = 0; i < values; ++i)
                reg.WriteInteger(QStringLiteral("t%1-%2").arg(t).arg(i), i);
        });
    }
    for (std::thread& w : workers)
        w.join();
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Shared"), false));
    EXPECT_EQ(reg.GetValueNames().size(), threads * values);
}

TEST_F(Registry, ProcessesWritingAtOnceLoseNothing)
{
    const int processes = 4, values = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int status = 0;
            try {
                TRegistry reg(file);
                reg.OpenKey(QStringLiteral("\\Shared"), true);
                for (int i = 0; i < values; ++i)
                    reg.WriteString(QStringLiteral("p%1-%2").arg(p).arg(i), QString::number(i));
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Shared"), false));
    EXPECT_EQ(reg.GetValueNames().size(), processes * values);
    EXPECT_EQ(reg.ReadString(QStringLiteral("p3-39")), QStringLiteral("39"));
}

TEST_F(Registry, RecentListKeepsTenMostRecentFirst)
{
    const QString key = QStringLiteral("Software\\Corvanta\\Vantorquill\\ImportLobTasks");
    TMruList list(key, 10, file);
    EXPECT_TRUE(list.Items().isEmpty());
    for (int i = 1; i <= 12; ++i)
        list.Add(QStringLiteral("/tasks/%1.ilt").arg(i));
    QStringList items = list.Items();
    ASSERT_EQ(items.size(), 10);
    EXPECT_EQ(items.first(), QStringLiteral("/tasks/12.ilt"));
    EXPECT_EQ(items.last(), QStringLiteral("/tasks/3.ilt"));

    list.Add(QStringLiteral("/tasks/5.ilt"));   // moves to the front, no duplicate
    items = list.Items();
    EXPECT_EQ(items.size(), 10);
    EXPECT_EQ(items.first(), QStringLiteral("/tasks/5.ilt"));
    EXPECT_EQ(items.count(QStringLiteral("/tasks/5.ilt")), 1);

    TRegistry reg(file);
    ASSERT_TRUE(reg.OpenKey(QLatin1Char('\\') + key, false));
    reg.WriteString(QStringLiteral("Other"), QStringLiteral("kept"));
    EXPECT_TRUE(list.Remove(QStringLiteral("/tasks/12.ilt")));
    EXPECT_FALSE(list.Remove(QStringLiteral("/tasks/12.ilt")));
    EXPECT_EQ(list.Items().size(), 9);
    list.Clear();
    EXPECT_TRUE(list.Items().isEmpty());
    EXPECT_EQ(reg.GetValueNames(), QStringList {QStringLiteral("Other")});
}
