// Unattended runs of the built program: import and export tasks, SQL files,
// the log file line by line, standard error without one, and exit codes.
#include "CmdLineTestRun.h"
#include "db/USSHConnectionOption.h"
#include "platform/ssh/UScFileStorage.h"
#include "support/VqSshTestSupport.h"

#include <QRandomGenerator>

#include <sys/stat.h>

namespace {

using cmdtest::S;

QByteArray AllBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

// Values that a decoding anywhere on the way would change.
const QMap<QString, QByteArray>& SampleFiles()
{
    static const QMap<QString, QByteArray> files = {
        {S("a.bin"), AllBytes()},
        {S("b.txt"), QByteArray("Gr\xc3\xbc\xc3\x9f" "e\r\nline two\n\r\n")},
        {S("c.dat"), QByteArray("\xff\xfe\x00\x80 not UTF-8 \x00", 16)},
    };
    return files;
}

// name|HEX(body) of every row of table, by name.
QStringList HexRows(const QMap<QString, QByteArray>& files)
{
    QStringList rows;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        rows << it.key() + QLatin1Char('|') + QString::fromLatin1(it.value().toHex().toUpper());
    return rows;
}

class CmdLine : public cmdtest::CmdLineTest {
protected:
    // The sample files in folder "in" and the task that imports them into
    // files(name, body), the name with its extension.
    QString PrepareImport(const QByteArray& extraSections = QByteArray())
    {
        Exec(S("CREATE TABLE files (name VARCHAR(100) PRIMARY KEY, body LONGBLOB)"));
        for (auto it = SampleFiles().cbegin(); it != SampleFiles().cend(); ++it)
            WriteFile(S("in/") + it.key(), it.value());
        return ImportIntoFilesTask(S("import.ilt"), extraSections);
    }

    // items(id, name, ext, body) with count rows "r1".."rN" ".bin", each value
    // distinct and full of bytes that decoding would change; the task file
    // exports them into folder "out".
    QString PrepareExport(int count, const QString& fileName, const QByteArray& extraSections = QByteArray())
    {
        Exec(S("CREATE TABLE items (id INT PRIMARY KEY, name VARCHAR(20), ext VARCHAR(10), body LONGBLOB)"));
        for (int i = 1; i <= count; ++i)
            Exec(S("INSERT INTO items VALUES (%1, 'r%1', 'bin', X'%2')")
                     .arg(i)
                     .arg(QString::fromLatin1(ExportValue(i).toHex())));
        QDir().mkpath(Path(S("out")));
        return ExportTask(fileName, S("items"), extraSections);
    }

    static QByteArray ExportValue(int row)
    {
        return QByteArray::number(row) + AllBytes() + QByteArray("\r\n\xc3\xa9\x00", 5);
    }

    QMap<QString, QByteArray> ExpectedExport(const QList<int>& rows) const
    {
        QMap<QString, QByteArray> files;
        for (int row : rows)
            files.insert(S("r%1.bin").arg(row), ExportValue(row));
        return files;
    }
};

}  // namespace

TEST_F(CmdLine, ImportTaskWithLogonByParameters)
{
    const QString task = PrepareImport();
    const auto run = Run(LogonArgs() << S("task=") + task << LogArg());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Rows(S("SELECT name, HEX(body) FROM files ORDER BY name")), HexRows(SampleFiles()));
    EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\t") + task, S("[T] 3 records    Elapsed: T")}));
    EXPECT_TRUE(run.err.isEmpty()) << "with a log file nothing goes to standard error: " << run.err.toStdString();
}

TEST_F(CmdLine, ImportTaskWithLogonBySourceDbThroughTheTunnel)
{
    VQ_REQUIRE_TEST_SSH();
    const vqtest::SshServer ssh = vqtest::TestSshServer();
    const QString task = PrepareImport();
    // The section as the batch-file writer stores it: passwords enciphered.
    TMysqlDBLogonOption option;
    FillTestDbProfile(option);
    option.UseSSH = true;
    option.SSHConnectionOption()->SSHHost = ssh.host;
    option.SSHConnectionOption()->SSHPort = ssh.port;
    option.SSHConnectionOption()->SSHUserName = ssh.user;
    option.SSHConnectionOption()->SSHPassword = ssh.password;
    option.SaveToIni(task, S("SourceDB"));
    ASSERT_FALSE(ReadFile(task).contains(ssh.password.toUtf8()));

    // Nobody can accept an unknown host key in an unattended run.
    const auto refused = Run({S("task=") + task, LogArg()});
    ASSERT_TRUE(refused.finished);
    EXPECT_EQ(refused.exitCode, 1);
    const QStringList refusedLines = LogLines();
    ASSERT_EQ(refusedLines.size(), 2) << refusedLines.join(S("\n")).toStdString();
    EXPECT_EQ(refusedLines[0], S("[T] [error]\tException on logon."));
    EXPECT_TRUE(refusedLines[1].startsWith(S("[T] [error]\tCan not via ini login database %1. At SSH connect: "
                                             "The host key of the SSH server ")
                                               .arg(Database)))
        << refusedLines[1].toStdString();
    EXPECT_TRUE(Rows(S("SELECT name FROM files")).isEmpty());

    // Accepted once, in the store the program keeps in its per-user folder.
    QFile keyFile(ssh.hostKeyFile);
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    TScFileStorage storage;
    storage.SetPath(Home.path() + S("/data/Vantorquill"));
    storage.AddKey(ssh.host, TScKey::FromOpenSSH(QString::fromLatin1(keyFile.readLine())));

    QFile::remove(LogFile());
    const auto run = Run({S("task=") + task, LogArg()});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Rows(S("SELECT name, HEX(body) FROM files ORDER BY name")), HexRows(SampleFiles()));
    EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\t") + task, S("[T] 3 records    Elapsed: T")}));
}

TEST_F(CmdLine, ATunnelWithoutAUsableSSHLibraryFailsTheLogonWithItsReason)
{
    const QString task = PrepareImport();
    TMysqlDBLogonOption option;
    FillTestDbProfile(option);
    option.UseSSH = true;
    option.SSHConnectionOption()->SSHHost = S("127.0.0.1");
    option.SSHConnectionOption()->SSHPort = sshtest::FreePort();
    option.SSHConnectionOption()->SSHUserName = S("nobody");
    option.SSHConnectionOption()->SSHPassword = S("secret");
    option.SaveToIni(task, S("SourceDB"));
    // Found before the system's own copy, and no library at all.
    WriteFile(S("lib/libssh.so.4"), "not a library");
    Env.insert(S("LD_LIBRARY_PATH"), Path(S("lib")));

    const auto run = Run({S("task=") + task, LogArg()});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_EQ(LogLines(), QStringList({S("[T] [error]\tException on logon."),
                                       S("[T] [error]\tCan not via ini login database %1. At SSH connect: The SSH "
                                         "library cannot be loaded: %2: file too short")
                                           .arg(Database, Path(S("lib/libssh.so.4")))}));
    EXPECT_TRUE(Rows(S("SELECT name FROM files")).isEmpty());
}

TEST_F(CmdLine, ExportOfTenRowsOfWhichTwoFailWithLogonBySourceDb)
{
    const QString task = PrepareExport(10, S("export.elt"), SourceDbSection());
    // A folder where a file should go: that row cannot be written.
    QDir().mkpath(Path(S("out/r3.bin")));
    QDir().mkpath(Path(S("out/r7.bin")));

    const auto run = Run({S("task=") + task, LogArg()});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 2) << "the task ran to its end, some rows failed";
    EXPECT_EQ(FilesBelow(Path(S("out"))), ExpectedExport({1, 2, 4, 5, 6, 8, 9, 10}));
    const QString cannotCreate = S("Cannot create file \"%1\". Is a directory. On Save LOB to file.");
    EXPECT_EQ(LogLines(), QStringList({
                              S("[T] [info]\t") + task,
                              S("[T] Serial: 3"),
                              cannotCreate.arg(Path(S("out/r3.bin"))),
                              S("[T] Serial: 7"),
                              cannotCreate.arg(Path(S("out/r7.bin"))),
                              S("[T] 8 records    Elapsed: T.  2 rows can not convert."),
                          }));
}

TEST_F(CmdLine, WithoutALogFileTheRunReportsOnStandardError)
{
    const QString task = PrepareExport(2, S("export.elt"));
    const auto run = Run(LogonArgs() << S("task=") + task);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(FilesBelow(Path(S("out"))), ExpectedExport({1, 2}));
    EXPECT_EQ(cmdtest::NormalizedLines(run.err, "\n"),
              QStringList({S("[T] [info]\t") + task, S("[T] 2 records    Elapsed: T")}));

    // A failure, with its two lines.
    const auto failed = Run(LogonArgs() << S("task=") + Path(S("missing.elt")) << S("logfile="));
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(cmdtest::NormalizedLines(failed.err, "\n"),
              QStringList({S("[T] [error]\ttask file: ") + Path(S("missing.elt")) + S(" not exists.")}));
}

TEST_F(CmdLine, WithTaskAndSqlOnlyTheTaskRuns)
{
    const QString task = PrepareExport(1, S("export.elt"));
    WriteFile(S("script.sql"), "CREATE TABLE marker (id INT);\r\n");
    const auto run = Run(LogonArgs() << S("SQL=") + Path(S("script.sql")) << S("Task=") + task << LogArg());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(FilesBelow(Path(S("out"))), ExpectedExport({1}));
    EXPECT_TRUE(Rows(S("SHOW TABLES LIKE 'marker'")).isEmpty());
    EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\t") + task, S("[T] 1 records    Elapsed: T")}));
}

TEST_F(CmdLine, LogonWithNothingToRunEndsQuietly)
{
    // Names in any letter case; the first of a name counts.
    QStringList arguments = LogonArgs();
    arguments.prepend(S("MYSQL_PORT=") + QString::number(vqtest::TestDbServer().port));
    arguments << S("mysql_port=1") << S("LogFile= ") + LogFile() + S(" ");
    const auto run = Run(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(LogFile()));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
}

TEST_F(CmdLine, FailedRunsSayWhyAndEndWithOne)
{
    const QString task = PrepareExport(1, S("export.elt"));
    const QString missingTable = ExportTask(S("missing.elt"), S("nosuch"));
    WriteFile(S("EXPORT.ELT"), ReadFile(task));
    const QString capitals = Path(S("EXPORT.ELT"));
    const QString missing = Path(S("nothere.elt"));
    const QString missingSql = Path(S("nothere.sql"));
    QStringList wrongPassword = LogonArgs();
    wrongPassword.replaceInStrings(QRegularExpression(S("^mysql_password=.*")), S("mysql_password=wrong"));
    const QStringList failingLogon = wrongPassword;
    // Task files without their own section or table; the logon that would
    // come first fails or succeeds by the section of its own.
    QByteArray noise(4096, '\0');
    QRandomGenerator(20240611).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    noise.replace('[', '(');
    WriteFile(S("noise.ilt"), noise + "\r\n" + SourceDbSection());
    WriteFile(S("empty.elt"), QByteArray());
    WriteFile(S("logononly.ilt"), SourceDbSection());
    WriteFile(S("notable.ilt"), IniSection(S("Import"), {{S("Schema"), Database}, {S("LobField"), S("body")}})
                                    + SourceDbSection());

    const struct {
        const char* what;
        QStringList arguments;
        QStringList lines;   // a last line ending in "*" is a prefix
    } cases[] = {
        {"a table that does not exist",
         LogonArgs() << S("task=") + missingTable,
         {S("[T] [info]\t") + missingTable, S("[T] Table '%1.nosuch' doesn't exist").arg(Database)}},
        {"a missing task file", LogonArgs() << S("task=") + missing,
         {S("[T] [error]\ttask file: ") + missing + S(" not exists.")}},
        {"a missing task file and no logon parameters",
         {S("task=") + missing},
         {S("[T] [error]\tCan not logon Source DB, no cmd params, no ini values.")}},
        {"an extension in capitals", LogonArgs() << S("task=") + capitals,
         {S("[T] [info]\t") + capitals, S("[T] [error]\tinvalid task file.")}},
        {"a wrong password", wrongPassword << S("task=") + task,
         {S("[T] [error]\tException on logon."),
          S("[T] [error]\tCan not via cmd login database %1. Access denied for user*").arg(Database)}},
        {"bytes and a logon section", {S("task=") + Path(S("noise.ilt"))},
         {S("[T] [error]\tThe task file has no [Import] section.")}},
        {"an empty task file, before a logon that would fail", QStringList(failingLogon) << S("task=") + Path(S("empty.elt")),
         {S("[T] [error]\tThe task file has no [Export] section.")}},
        {"only a logon section", {S("task=") + Path(S("logononly.ilt"))},
         {S("[T] [error]\tThe task file has no [Import] section.")}},
        {"no table", {S("task=") + Path(S("notable.ilt"))}, {S("[T] [error]\tThe task file names no table.")}},
        {"a missing SQL file", LogonArgs() << S("sql=") + missingSql,
         {S("[T] [info]\tstart execute sql."),
          S("[T] [error]\tException on execute sql: Cannot open file*"), S("[T] [info]\tend execute sql.")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(LogFile());
        const auto run = Run(QStringList(c.arguments) << LogArg());
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1);
        const QStringList lines = LogLines();
        ASSERT_EQ(lines.size(), c.lines.size()) << lines.join(S("\n")).toStdString();
        for (int i = 0; i < lines.size(); ++i) {
            const QString& expected = c.lines[i];
            if (expected.endsWith(QLatin1Char('*')))
                EXPECT_TRUE(lines[i].startsWith(expected.chopped(1))) << lines[i].toStdString();
            else
                EXPECT_EQ(lines[i], expected);
        }
        EXPECT_TRUE(FilesBelow(Path(S("out"))).isEmpty());
    }
}

TEST_F(CmdLine, ALogFileThatCannotBeWrittenFailsOnStandardError)
{
    const QString task = PrepareExport(1, S("export.elt"));
    const QString logFile = Path(S("no/such/folder/run.log"));
    const auto run = Run(LogonArgs() << S("task=") + task << S("logfile=") + logFile);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Cannot open log file")) << run.err.toStdString();
}

TEST_F(CmdLine, SqlFilesReadByTheirByteOrderMark)
{
    Exec(S("CREATE TABLE s (id INT, v VARCHAR(20)) DEFAULT CHARSET utf8mb4"));
    const QString value = S("Gr\u00fc\u00dfe \u20ac");
    const QString script = S("INSERT INTO s VALUES (1, '%1');\r\nINSERT INTO s VALUES (2, 'two');\r\n").arg(value);
    QByteArray utf16(script.size() * 2 + 2, '\0');
    utf16[0] = char(0xff);
    utf16[1] = char(0xfe);
    for (int i = 0; i < script.size(); ++i) {
        utf16[2 + 2 * i] = char(script[i].unicode() & 0xff);
        utf16[3 + 2 * i] = char(script[i].unicode() >> 8);
    }
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8 with its mark", QByteArray("\xef\xbb\xbf") + script.toUtf8()},
        {"UTF-16 LE with its mark", utf16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Exec(S("DELETE FROM s"));
        QFile::remove(LogFile());
        WriteFile(S("script.sql"), c.bytes);
        const auto run = Run(LogonArgs() << S("sql=") + Path(S("script.sql")) << LogArg());
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(Rows(S("SELECT id, HEX(v) FROM s ORDER BY id")),
                  QStringList({S("1|") + QString::fromLatin1(value.toUtf8().toHex().toUpper()), S("2|74776F")}));
        // The script is logged whole, each line with CR LF.
        EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\tstart execute sql."),
                                           S("[T] [info]\tINSERT INTO s VALUES (1, '%1');").arg(value),
                                           S("INSERT INTO s VALUES (2, 'two');"), QString(),
                                           S("[T] [info]\tend execute sql.")}));
    }
}

TEST_F(CmdLine, AnSqlFileStopsAtItsFailingStatementAndNamesItsLine)
{
    Exec(S("CREATE TABLE s (v VARCHAR(20))"));
    WriteFile(S("script.sql"), "INSERT INTO s\nVALUES ('one');\nINSERT INTO s VALUES ('two');\n"
                               "INSERT INTO nosuch VALUES (1);\nINSERT INTO s VALUES ('four');\n");
    const auto run = Run(LogonArgs() << S("sql=") + Path(S("script.sql")) << LogArg());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Rows(S("SELECT v FROM s ORDER BY v DESC")), QStringList({S("two"), S("one")}));
    EXPECT_EQ(LogLines(), QStringList({S("[T] [info]\tstart execute sql."), S("[T] [info]\tINSERT INTO s"),
                                       S("VALUES ('one');"), S("INSERT INTO s VALUES ('two');"),
                                       S("INSERT INTO nosuch VALUES (1);"), S("INSERT INTO s VALUES ('four');"),
                                       QString(),
                                       S("[T] [error]\tException on execute sql: Table '%1.nosuch' doesn't exist "
                                         "at line 4 of the script")
                                           .arg(Database),
                                       S("[T] [info]\tend execute sql.")}));
}

TEST_F(CmdLine, SqlFileStatementsReachTheServerAsWritten)
{
    Exec(S("CREATE TABLE s (id INT, v VARCHAR(40)) DEFAULT CHARSET utf8mb4"));
    const auto hex = [](const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex().toUpper()); };
    const struct {
        const char* what;
        QByteArray script;
        QStringList rows;
    } cases[] = {
        {"a line feed inside a literal", "INSERT INTO s VALUES (1, 'line1\nline2');\n",
         {S("1|") + hex("line1\nline2")}},
        {"CR LF inside a literal", "INSERT INTO s VALUES (1, 'line1\r\nline2');\r\n",
         {S("1|") + hex("line1\r\nline2")}},
        {"versioned comments run on the server",
         "/*!40101 SET @x = 42 */;\n/*M!100100 SET @y = 'm' */;\nINSERT INTO s VALUES (1, @x), (2, @y);\n",
         {S("1|") + hex("42"), S("2|") + hex("m")}},
        {"a line that starts with CREATE inside a statement",
         "SHOW\nCREATE TABLE s;\nINSERT INTO s VALUES (1, 'after');\n", {S("1|") + hex("after")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Exec(S("DELETE FROM s"));
        WriteFile(S("script.sql"), c.script);
        const auto run = Run(LogonArgs() << S("sql=") + Path(S("script.sql")) << LogArg());
        EXPECT_EQ(run.exitCode, 0) << ReadFile(LogFile()).toStdString();
        EXPECT_EQ(Rows(S("SELECT id, HEX(v) FROM s ORDER BY id")), c.rows);
    }
}

TEST_F(CmdLine, AScriptReadAsWindows1252SaysSoBeforeItRuns)
{
    Exec(S("CREATE TABLE s (id INT, v VARCHAR(20)) DEFAULT CHARSET utf8mb4"));
    // UTF-8 "café" and, on line 3, one byte that is not UTF-8.
    WriteFile(S("script.sql"), "INSERT INTO s VALUES (1, 'caf\xc3\xa9');\n\n-- \xff\n");
    const auto run = Run(LogonArgs() << S("sql=") + Path(S("script.sql")) << LogArg());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Rows(S("SELECT HEX(v) FROM s")), QStringList({S("636166C383C2A9")}))
        << "each byte is a Windows-1252 character";
    const QStringList lines = LogLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[1], S("[T] [warn]\tThe script is not valid UTF-8 (line 3); it was read as Windows-1252."));
}

TEST_F(CmdLine, ADamagedSettingsStoreIsAnErrorLineOfTheRun)
{
    const QString store = Home.path() + S("/config/Corvanta/registry");
    QDir().mkpath(QFileInfo(store).path());
    {
        QFile f(store);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"format\": \"Corvanta registry\", \"version\": 1, \"root\": {\"ke");
    }
    WriteFile(S("script.sql"), "SELECT 1;\n");
    const auto run = Run(LogonArgs() << S("sql=") + Path(S("script.sql")) << LogArg());
    EXPECT_EQ(run.exitCode, 0);
    const QStringList aside = QDir(QFileInfo(store).path()).entryList({S("registry.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    const QStringList lines = LogLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.at(0), S("[T] [error]\tThe settings file %1 was damaged. It was kept as %2 and the settings "
                             "start empty.")
                               .arg(store, QFileInfo(store).path() + QLatin1Char('/') + aside.at(0)));
    EXPECT_EQ(lines.filter(S("settings file")).size(), 1);
}

TEST_F(CmdLine, ANewLogIsTheOwnersAloneAndAnOldOneKeepsItsMode)
{
    WriteFile(S("script.sql"), "SELECT 1;\n");
    const auto modeOf = [](const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
    };
    const int ownerOnly = S_IRUSR | S_IWUSR;
    const int shared = ownerOnly | S_IRGRP | S_IROTH;
    QFile::remove(LogFile());
    EXPECT_EQ(Run(LogonArgs() << S("sql=") + Path(S("script.sql")) << LogArg()).exitCode, 0);
    EXPECT_EQ(modeOf(LogFile()), ownerOnly);

    ASSERT_EQ(::chmod(QFile::encodeName(LogFile()).constData(), shared), 0);
    EXPECT_EQ(Run(LogonArgs() << S("sql=") + Path(S("script.sql")) << LogArg()).exitCode, 0);
    EXPECT_EQ(modeOf(LogFile()), shared);
}
