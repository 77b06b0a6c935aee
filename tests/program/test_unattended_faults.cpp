// Unattended runs under faults: killed and interrupted exports, an import
// interrupted in the middle of a large file, a full disk, folders that cannot
// be read, names that are not UTF-8 or hold line breaks, a task file that
// cannot be read. Each run is the built program against the
// test MariaDB; nothing may be left half-written under a real name.
#include "CmdLineTestRun.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using cmdtest::S;

constexpr qint64 BigSize = 160LL << 20;

QStringList HiddenFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression(S("^\\.")));
}

// The process has a file in folder open that holds part of the big value:
// a hidden temporary one or one without a name yet.
bool WritingStarted(qint64 pid, const QString& folder)
{
    const QString fds = S("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QFileInfo open(fds + QLatin1Char('/') + fd);
        if (open.symLinkTarget().startsWith(folder + QLatin1Char('/')) && open.size() > (1 << 20))
            return true;
    }
    return false;
}

class Faults : public cmdtest::CmdLineTest {
protected:
    // items(id, name, ext, body): "small1", a large value "big", "small3";
    // the task exports them by name into "out", where an earlier complete
    // copy of big.bin lies.
    QString PrepareBigExport()
    {
        Exec(S("CREATE TABLE items (id INT PRIMARY KEY, name VARCHAR(20), ext VARCHAR(10), body LONGBLOB)"));
        Exec(S("INSERT INTO items VALUES (1, 'small1', 'bin', 'one'), (3, 'small3', 'bin', 'three')"));
        Exec(S("INSERT INTO items VALUES (2, 'big', 'bin', REPEAT('x', %1))").arg(BigSize));
        WriteFile(S("out/big.bin"), "the earlier complete copy");
        return ExportTask(S("export.elt"), S("items"));
    }

    QString ImportTask(const QString& table, bool subFolders)
    {
        WriteFile(S("import.ilt"), IniSection(S("Import"), {{S("Schema"), Database},
                                                           {S("Table"), table},
                                                           {S("LobField"), S("body")},
                                                           {S("LoadFolder"), Path(S("in"))},
                                                           {S("IncludeSubFolder"), subFolders ? S("1") : S("0")},
                                                           {S("NameField"), S("name")},
                                                           {S("IncludeNameExt"), S("0")},
                                                           {S("ImportType"), S("0")},
                                                           {S("ExtType"), S("0")}}));
        return Path(S("import.ilt"));
    }

    // The program started, not waited for.
    void Start(QProcess& process, const QStringList& arguments) const
    {
        process.setProcessEnvironment(Env);
        process.start(vqtest::ProgramPath(), arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    // Waits until the program writes the big value, then sends it signal.
    void SignalWhileWriting(QProcess& process, int signal) const
    {
        QElapsedTimer clock;
        clock.start();
        const qint64 pid = process.processId();
        while (!WritingStarted(pid, Path(S("out"))) && !process.waitForFinished(2) && clock.elapsed() < 60000) {
        }
        ASSERT_TRUE(WritingStarted(pid, Path(S("out")))) << "the big value was never being written";
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(60000));
    }
};

TEST_F(Faults, AnExportKilledOrStoppedInTheMiddleOfAValueLeavesNoPartialFile)
{
    const QString task = PrepareBigExport();
    const QByteArray small1 = "one";

    // Killed: nothing runs after the kill, yet no final name holds a cut value.
    {
        QProcess process;
        Start(process, LogonArgs() << S("task=") + task << LogArg());
        SignalWhileWriting(process, SIGKILL);
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(FilesBelow(Path(S("out")), QDir::Filters()),
                  (QMap<QString, QByteArray>{{S("big.bin"), "the earlier complete copy"}, {S("small1.bin"), small1}}));
    }
    for (const QString& name : HiddenFiles(Path(S("out"))))
        QFile::remove(Path(S("out/") + name));
    QFile::remove(LogFile());

    // Interrupted: the value being written is finished or abandoned, never
    // cut; the run goes no further, writes its summary and ends with 1.
    {
        QProcess process;
        Start(process, LogonArgs() << S("task=") + task << LogArg());
        SignalWhileWriting(process, SIGINT);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 1) << process.readAllStandardError().toStdString();
    }
    const QMap<QString, QByteArray> files = FilesBelow(Path(S("out")), QDir::Filters());
    EXPECT_EQ(files.keys(), QStringList({S("big.bin"), S("small1.bin")}));
    const QByteArray big = files.value(S("big.bin"));
    EXPECT_TRUE(big == "the earlier complete copy" || big == QByteArray(BigSize, 'x')) << big.size();
    EXPECT_TRUE(HiddenFiles(Path(S("out"))).isEmpty()) << HiddenFiles(Path(S("out"))).join(S(" ")).toStdString();
    const QStringList lines = LogLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.first(), S("[T] [info]\t") + task);
    EXPECT_TRUE(QRegularExpression(S("^\\[T\\] [12] records    Elapsed: T(\\.  1 rows can not convert\\.)?$"))
                    .match(lines[lines.size() - 2])
                    .hasMatch())
        << lines.join(S("\n")).toStdString();
    EXPECT_EQ(lines.last(), S("[T] [error]\tThe run was stopped by a signal."));
}

// Whether the process has file path open and has read part of it, not all.
bool ReadingPartOf(qint64 pid, const QString& path)
{
    const QString fds = S("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFileInfo(fds + QLatin1Char('/') + fd).symLinkTarget() != path)
            continue;
        QFile info(S("/proc/%1/fdinfo/").arg(pid) + fd);
        if (!info.open(QIODevice::ReadOnly))
            return false;
        const qint64 position = QString::fromLatin1(info.readLine()).section(QLatin1Char(':'), 1).trimmed().toLongLong();
        return position > 0 && position < QFileInfo(path).size();
    }
    return false;
}

TEST_F(Faults, AnImportInterruptedInTheMiddleOfALargeFileStoresNoPartOfIt)
{
    Exec(S("CREATE TABLE files (name VARCHAR(20) PRIMARY KEY, body LONGBLOB)"));
    WriteFile(S("in/1small.bin"), "one");
    const QString big = Path(S("in/2big.bin"));
    vqtest::WritePatternFile(big, int(BigSize >> 20));
    WriteFile(S("in/3small.bin"), "three");
    const QString task = ImportTask(S("files"), false);

    QProcess process;
    Start(process, LogonArgs() << S("task=") + task << LogArg());
    QElapsedTimer clock;
    clock.start();
    while (!ReadingPartOf(process.processId(), big) && !process.waitForFinished(1) && clock.elapsed() < 60000) {
    }
    ASSERT_TRUE(ReadingPartOf(process.processId(), big)) << "the large file was never being sent";
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1) << process.readAllStandardError().toStdString();

    // The file being sent is abandoned between two chunks (or, when the
    // signal came after its last one, stored whole); nothing after it.
    const QStringList rows = Rows(S("SELECT name, LENGTH(body) FROM files ORDER BY name"));
    EXPECT_TRUE(rows == QStringList{S("1small|3")} || rows == QStringList({S("1small|3"), S("2big|%1").arg(BigSize)}))
        << rows.join(S(", ")).toStdString();
    const QStringList lines = LogLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.last(), S("[T] [error]\tThe run was stopped by a signal.")) << lines.join(S("\n")).toStdString();
}

// The session is killed while the rows still stream: the run ends with the
// server's message and still says how far it came.
TEST_F(Faults, AnExportCutOffByALostConnectionStillWritesItsSummary)
{
    Exec(S("CREATE TABLE items (id INT PRIMARY KEY, name VARCHAR(20), ext VARCHAR(10), body LONGBLOB)"));
    for (int i = 1; i <= 60; ++i)
        Exec(S("INSERT INTO items VALUES (%1, 'r%1', 'bin', REPEAT('v', 1000000))").arg(i));
    QDir().mkpath(Path(S("out")));
    // A row every 50 ms, each too large to wait in the server's buffer: the
    // run is surely in the middle when cut off.
    const QString task = ExportTask(S("export.elt"), S("items"), {}, S("where SLEEP(0.05) = 0 order by id"));
    QProcess process;
    Start(process, LogonArgs() << S("task=") + task << LogArg());
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(Path(S("out/r1.bin"))) && !process.waitForFinished(2) && clock.elapsed() < 60000) {
    }
    ASSERT_EQ(process.state(), QProcess::Running) << LogLines().join(S("\n")).toStdString();
    const QString session = Scalar(S("SELECT id FROM information_schema.PROCESSLIST WHERE db = '%1' "
                                     "AND id <> CONNECTION_ID() LIMIT 1")
                                       .arg(Database));
    ASSERT_FALSE(session.isEmpty());
    Exec(S("KILL CONNECTION ") + session);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    const QStringList lines = LogLines();
    ASSERT_GE(lines.size(), 3) << lines.join(S("\n")).toStdString();
    EXPECT_EQ(lines.first(), S("[T] [info]\t") + task);
    EXPECT_TRUE(QRegularExpression(S("^\\[T\\] \\d+ records    Elapsed: T$")).match(lines.last()).hasMatch())
        << lines.join(S("\n")).toStdString();
    EXPECT_LT(FilesBelow(Path(S("out")), QDir::Filters()).size(), 60);
    EXPECT_TRUE(HiddenFiles(Path(S("out"))).isEmpty());
}

TEST_F(Faults, AFullDiskFailsTheRowNamingItsFileAndLaterRowsGoOn)
{
    ASSERT_EQ(::geteuid(), 0u) << "a small file system of its own needs root";
    QDir().mkpath(Path(S("out")));
    ASSERT_EQ(::mount("vqtest", QFile::encodeName(Path(S("out"))).constData(), "tmpfs", 0, "size=1m"), 0)
        << std::strerror(errno);
    const auto unmount = qScopeGuard([this] { ::umount2(QFile::encodeName(Path(S("out"))).constData(), MNT_DETACH); });
    Exec(S("CREATE TABLE items (id INT PRIMARY KEY, name VARCHAR(20), ext VARCHAR(10), body LONGBLOB)"));
    Exec(S("INSERT INTO items VALUES (1, 'a', 'bin', 'first'), (2, 'b', 'bin', REPEAT('x', 3000000)), "
           "(3, 'c', 'bin', 'third')"));
    const QString task = ExportTask(S("export.elt"), S("items"));

    const auto run = Run(LogonArgs() << S("task=") + task << LogArg());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
    EXPECT_EQ(FilesBelow(Path(S("out")), QDir::Filters()),
              (QMap<QString, QByteArray>{{S("a.bin"), "first"}, {S("c.bin"), "third"}}));
    EXPECT_TRUE(HiddenFiles(Path(S("out"))).isEmpty());
    EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\t") + task, S("[T] Serial: 2"),
                                       S("Cannot write file \"%1\". No space left on device. On Save LOB to file.")
                                           .arg(Path(S("out/b.bin"))),
                                       S("[T] 2 records    Elapsed: T.  1 rows can not convert.")}));
}

// Run as a user other than root, for whom permissions count.
TEST_F(Faults, UnreadableFoldersFailAndNamesThatAreNotUtf8AreImported)
{
    Exec(S("CREATE TABLE files (name VARCHAR(100) PRIMARY KEY, body LONGBLOB)"));
    WriteFile(S("in/plain.txt"), "plain");
    WriteFile(S("in/locked/hidden-from-us.txt"), "locked");
    const QByteArray latin1Name = QFile::encodeName(Path(S("in/"))) + "caf\xe9.txt";
    {
        const int handle = ::open(latin1Name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(handle, 0);
        ASSERT_EQ(::write(handle, "latin", 5), 5);
        ::close(handle);
    }
    const QString task = ImportTask(S("files"), true);
    ::chmod(QFile::encodeName(Path(S("in/locked"))).constData(), 0);
    // Qt cannot remove a name that is not UTF-8: done here.
    const auto cleanUp = qScopeGuard([&] {
        ::chmod(QFile::encodeName(Path(S("in/locked"))).constData(), 0755);
        ::unlink(latin1Name.constData());
    });
    // The other user reaches the folders, the task and the log.
    for (QString dir = Path(S("")); dir.size() > 1; dir = QFileInfo(dir).path())
        if (dir.startsWith(QDir::tempPath() + QLatin1Char('/')))
            ::chmod(QFile::encodeName(dir).constData(), 0777);
    ::chmod(QFile::encodeName(Home.path()).constData(), 0777);
    ::chmod(QFile::encodeName(task).constData(), 0644);
    const QStringList asNobody = {S("--reuid=nobody"), S("--regid=nogroup"), S("--clear-groups"),
                                  vqtest::ProgramPath()};

    QProcess process;
    process.setProcessEnvironment(Env);
    process.start(S("setpriv"), QStringList(asNobody) << LogonArgs() << S("task=") + task << LogArg());
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 2) << process.readAllStandardError().toStdString();
    EXPECT_EQ(Rows(S("SELECT name, body FROM files ORDER BY name")),
              QStringList({S("caf") + QChar(0xe9) + S("|latin"), S("plain|plain")}));
    EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\t") + task, S("[T] ") + Path(S("in/locked/")),
                                       S("Cannot read folder \"%1\". Permission denied").arg(Path(S("in/locked/"))),
                                       S("[T] 2 records    Elapsed: T.  1 rows can not convert.")}));

    // A task file that is there but cannot be read says so.
    ::chmod(QFile::encodeName(task).constData(), 0200);
    QFile::remove(LogFile());
    process.start(S("setpriv"), QStringList(asNobody) << LogonArgs() << S("task=") + task << LogArg());
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(LogLines(), QStringList({S("[T] [error]\tCan not read task file ") + task + S(": Permission denied")}));

    // Without a writable home the run cannot start, and the log says why.
    ::chmod(QFile::encodeName(task).constData(), 0644);
    QFile::remove(LogFile());
    const QString readOnlyHome = Home.path() + S("/read-only");
    QDir().mkpath(readOnlyHome);
    ::chmod(QFile::encodeName(readOnlyHome).constData(), 0555);
    QProcessEnvironment env = Env;
    env.insert(S("HOME"), readOnlyHome);
    env.insert(S("XDG_DATA_HOME"), readOnlyHome + S("/data"));
    env.insert(S("XDG_CONFIG_HOME"), readOnlyHome + S("/config"));
    process.setProcessEnvironment(env);
    process.start(S("setpriv"), QStringList(asNobody) << LogonArgs() << S("task=") + task << LogArg());
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 1) << lines.join(S("\n")).toStdString();
    EXPECT_TRUE(lines[0].startsWith(S("[T] [error]\tCannot create \"") + readOnlyHome)) << lines[0].toStdString();
}

TEST_F(Faults, ALineBreakInAFileNameStaysOnOneLogLine)
{
    Exec(S("CREATE TABLE numbered (name INT PRIMARY KEY, body LONGBLOB)"));
    WriteFile(S("in/7.txt"), "seven");
    WriteFile(S("in/x\ny\tz.txt"), "forged");
    const QString task = ImportTask(S("numbered"), false);
    const auto run = Run(LogonArgs() << S("task=") + task << LogArg());
    EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
    EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\t") + task, S("[T] ") + Path(S("in/x\\ny\\tz.txt")),
                                       S("\"x\\ny\\tz\" can not insert to field \"name\""),
                                       S("[T] 1 records    Elapsed: T.  1 rows can not convert.")}));
}

// A load folder that does not exist is a run of no files, with a warning.
TEST_F(Faults, AMissingLoadFolderIsNamedInTheLog)
{
    Exec(S("CREATE TABLE files (name VARCHAR(100) PRIMARY KEY, body LONGBLOB)"));
    const QString task = ImportTask(S("files"), true);
    const auto run = Run(LogonArgs() << S("task=") + task << LogArg());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\t") + task,
                                       S("[T] Warning: the folder to load does not exist: ") + Path(S("in")),
                                       S("[T] 0 records    Elapsed: T")}));
}

// A label's folder that is a link to somewhere else is never written
// through: that row fails naming the folder, the other rows go on. The export
// folder itself may be a link: the user chose it.
TEST_F(Faults, ASubFolderThatIsALinkIsNotWrittenThrough)
{
    Exec(S("CREATE TABLE items (id INT PRIMARY KEY, name VARCHAR(20), sub VARCHAR(20), body LONGBLOB)"));
    QByteArray everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte.append(char(i));
    Exec(S("INSERT INTO items VALUES (1, 'a', 'good', X'%1'), (2, 'b', 'link', 'secret'), "
           "(3, 'c', 'good', REPEAT('c', 3000000)), (4, 'd', 'new', 'four')")
             .arg(QString::fromLatin1(everyByte.toHex())));
    QDir().mkpath(Path(S("real")));
    QDir().mkpath(Path(S("elsewhere")));
    ASSERT_EQ(::symlink(QFile::encodeName(Path(S("real"))).constData(), QFile::encodeName(Path(S("out"))).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(Path(S("elsewhere"))).constData(),
                        QFile::encodeName(Path(S("real/link"))).constData()),
              0);
    WriteFile(S("sub.elt"), IniSection(S("Export"), {{S("FromType"), S("0")},
                                                     {S("Schema"), Database},
                                                     {S("Table"), S("items")},
                                                     {S("Where"), S("where id > 0 order by id")},
                                                     {S("LobField"), S("body")},
                                                     {S("NameType"), S("0")},
                                                     {S("NameField"), S("name")},
                                                     {S("ExtType"), S("1")},
                                                     {S("Ext"), S("bin")},
                                                     {S("UnloadFolder"), Path(S("out"))},
                                                     {S("SubFolderCreateType"), S("2")},
                                                     {S("SubField"), S("sub")}}));
    const QString task = Path(S("sub.elt"));

    const auto run = Run(LogonArgs() << S("task=") + task << LogArg());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
    EXPECT_TRUE(FilesBelow(Path(S("elsewhere"))).isEmpty());
    EXPECT_EQ(FilesBelow(Path(S("real"))), (QMap<QString, QByteArray>{{S("good/a.bin"), everyByte},
                                                                      {S("good/c.bin"), QByteArray(3000000, 'c')},
                                                                      {S("new/d.bin"), "four"}}));
    EXPECT_TRUE(QFileInfo(Path(S("real/link"))).isSymLink());
    EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\t") + task, S("[T] Serial: 2"),
                                       S("The sub-folder \"%1\" is a symbolic link; nothing is written through it. "
                                         "On Save LOB to file.")
                                           .arg(Path(S("out/link"))),
                                       S("[T] 3 records    Elapsed: T.  1 rows can not convert.")}));
}

// Column names with ":" and a backtick: insert and update alike store every
// file byte for byte in its row, and the other rows stay as they were.
TEST_F(Faults, ColumnNamesWithAColonOrABacktickImportInEitherMode)
{
    Exec(S("CREATE TABLE odd (`a:b` VARCHAR(20) PRIMARY KEY, `x``y` LONGBLOB, other VARCHAR(10))"));
    QByteArray everyByte;
    for (int i = 255; i >= 0; --i)
        everyByte.append(char(i));
    WriteFile(S("in/k1.bin"), everyByte);
    WriteFile(S("in/k2.txt"), "line\r\nend");
    for (const char* mode : {"0", "1"}) {
        SCOPED_TRACE(mode);
        Exec(S("DELETE FROM odd"));
        if (QByteArray(mode) == "1")
            Exec(S("INSERT INTO odd VALUES ('k1', 'old', 'o1'), ('k2', 'old', 'o2'), ('k3', 'kept', 'o3')"));
        WriteFile(S("odd.ilt"), IniSection(S("Import"), {{S("Schema"), Database},
                                                         {S("Table"), S("odd")},
                                                         {S("LobField"), S("x`y")},
                                                         {S("LoadFolder"), Path(S("in"))},
                                                         {S("IncludeSubFolder"), S("0")},
                                                         {S("NameField"), S("a:b")},
                                                         {S("IncludeNameExt"), S("0")},
                                                         {S("ImportType"), S(mode)},
                                                         {S("ExtType"), S("0")}}));
        const auto run = Run(LogonArgs() << S("task=") + Path(S("odd.ilt")) << LogArg());
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0) << LogLines().join(S("\n")).toStdString();
        QStringList expected{S("k1|%1|").arg(QString::fromLatin1(everyByte.toHex().toUpper())),
                             S("k2|%1|").arg(QString::fromLatin1(QByteArray("line\r\nend").toHex().toUpper()))};
        if (QByteArray(mode) == "1") {
            expected[0] += S("o1");
            expected[1] += S("o2");
            expected << S("k3|%1|o3").arg(QString::fromLatin1(QByteArray("kept").toHex().toUpper()));
        }
        EXPECT_EQ(Rows(S("SELECT `a:b`, HEX(`x``y`), IFNULL(other, '') FROM odd ORDER BY `a:b`")), expected);
    }
}

// A stop while the first row is still on its way: the summary's time is the
// time the run took, not the moment between its start and its end.
TEST_F(Faults, ARunStoppedInItsFirstItemReportsTheTimeItRan)
{
    Exec(S("CREATE TABLE items (id INT PRIMARY KEY, name VARCHAR(20), ext VARCHAR(10), body LONGBLOB)"));
    Exec(S("INSERT INTO items VALUES (1, 'slow', 'bin', 'one')"));
    const QString task = ExportTask(S("export.elt"), S("items"), {}, S("where SLEEP(2) = 0"));
    QProcess process;
    Start(process, LogonArgs() << S("task=") + task << LogArg());
    QElapsedTimer clock;
    clock.start();
    while (!QFile(LogFile()).exists() && clock.elapsed() < 30000)
        QThread::msleep(20);
    QThread::msleep(1200);
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray log = ReadFile(LogFile());
    const QRegularExpressionMatch summary =
        QRegularExpression(S("\\] 0 records    Elapsed: 00:00:(\\d\\d\\.\\d{3})\r\n")).match(QString::fromUtf8(log));
    ASSERT_TRUE(summary.hasMatch()) << log.toStdString();
    EXPECT_GE(summary.captured(1).toDouble(), 1.0) << log.toStdString();
    EXPECT_EQ(LogLines().last(), S("[T] [error]\tThe run was stopped by a signal."));
}

// A service account may have no home: the log that the run was given still
// says why it cannot start.
TEST_F(Faults, WithoutAHomeTheLogSaysThatNeitherFolderIsSet)
{
    const QString task = ImportTask(S("files"), false);
    QProcessEnvironment env = Env;
    env.remove(S("HOME"));
    env.remove(S("XDG_DATA_HOME"));
    env.remove(S("XDG_CONFIG_HOME"));
    const auto run = vqtest::RunProcess(vqtest::ProgramPath(), LogonArgs() << S("task=") + task << LogArg(), env);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LogLines(), QStringList({S("[T] [error]\tCannot create the program folder \"Vantorquill\": neither "
                                         "HOME nor XDG_DATA_HOME is set")}))
        << run.err.toStdString();
}

}  // namespace
