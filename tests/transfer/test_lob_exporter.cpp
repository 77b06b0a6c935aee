// The exporter against the test MariaDB: one file per row, the name,
// extension and sub-folder rules, and the runs that fail as a whole.
#include "LobExportTestDb.h"
#include "base/UException.h"
#include "transfer/ULobExportSession.h"
#include "transfer/ULobExporter.h"
#include "transfer/ULobObjectFactory.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using exporttest::S;

QByteArray B(const char* text)
{
    return QByteArray(text);
}

// A SQL literal of the bytes, NULL for a null array.
QString Literal(const QByteArray& value)
{
    return value.isNull() ? S("NULL") : S("X'%1'").arg(QString::fromLatin1(value.toHex()));
}

struct TRunResult {
    int TotalAtStart = -2;
    int Total = 0;
    int Succeeded = 0;
    int Errors = 0;
    bool Started = false;
    QStringList ErrorTexts;   // LastError of each failed row
};

class LobExporter : public exporttest::LobDbTest {
protected:
    void SetUp() override
    {
        LobDbTest::SetUp();
        Task.Schema = Database;
        Task.LobField = S("body");
        Task.UnloadFolder = OutPath();
    }

    TRunResult Export(const std::function<void(TLobExporter&)>& afterRow = {})
    {
        std::unique_ptr<TLobExporter> exporter = TLobObjectFactory().CreateExporter();
        exporter->SetExportSession(&Task);
        TRunResult result;
        TConvertStatus& status = exporter->Status();
        status.OnStart = [&](TConvertStatus& s) {
            result.Started = true;
            result.TotalAtStart = s.Total;
        };
        status.OnError = [&](TConvertStatus& s) { result.ErrorTexts.append(s.LastError); };
        status.OnProgress = [&](TConvertStatus&) {
            if (afterRow)
                afterRow(*exporter);
        };
        EXPECT_TRUE(exporter->Convert());
        result.Total = status.Total;
        result.Succeeded = status.Succeeded;
        result.Errors = status.Errors;
        return result;
    }

    void SerialNames(const QString& ext = S("b"))
    {
        Task.Table = S("t");
        Task.NameType = TExportNameType::Serial;
        Task.ExtType = TExportExtType::Fixed;
        Task.Ext = ext;
    }

    // A file of the out path with these bytes and this mode.
    void WriteOutFile(const QString& relative, const QByteArray& bytes, mode_t mode = 0644)
    {
        QFile file(OutPath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        ASSERT_EQ(chmod(QFile::encodeName(OutPath(relative)).constData(), mode), 0);
    }

    TLobExportSession Task;
};

}  // namespace

TEST_F(LobExporter, NamesAndExtensionsFromColumnsAreCleaned)
{
    Exec(S("CREATE TABLE docs (id INT PRIMARY KEY, name VARCHAR(100), ext VARCHAR(20), body LONGBLOB) "
           "CHARACTER SET utf8mb4"));
    struct Case {
        QByteArray name, ext, body;
        QString file;
    };
    const QList<Case> cases = {
        {B("a/b:c?d"), B(".tar/gz"), B("1"), S("a_b_c_d.tar.gz")},   // one leading dot goes
        {B("q\"uo\"te"), B("..txt"), B("2"), S("quote..txt")},
        {B("line\r\nbreak"), B("t\\xt"), B("3"), S("linebreak.txt")},
        {B("back\\slash"), B(""), B("4"), S("back_slash.")},           // the dot stays
        {QByteArray("n\0ul", 4), QByteArray("e\0", 2), B("5"), S("n_ul.e_")},
        {B("dup"), B("bin"), B("first"), S("dup.bin")},
        {B("dup"), B("bin"), B("second"), S("dup.bin")},               // the later row wins
        {B("nothing"), B("bin"), QByteArray(), S("nothing.bin")},      // NULL: an empty file
        {B("\xc3\xbcn\xc3\xaf"), B("txt"), B("9"), S("\xc3\xbcn\xc3\xaf.txt")},
    };
    QMap<QString, QByteArray> expected;
    for (int i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        Exec(S("INSERT INTO docs VALUES (%1, %2, %3, %4)").arg(i + 1).arg(Literal(c.name), Literal(c.ext), Literal(c.body)));
        expected[c.file] = c.body.isNull() ? QByteArray("") : c.body;
    }
    Task.Table = S("docs");
    Task.NameField = S("name");
    Task.ExtField = S("ext");

    const TRunResult run = Export();

    EXPECT_EQ(FilesBelow(OutPath()), expected);
    EXPECT_EQ(run.TotalAtStart, cases.size());
    EXPECT_EQ(run.Succeeded, cases.size());
    EXPECT_EQ(run.Errors, 0) << run.ErrorTexts.join(S("\n")).toStdString();
}

TEST_F(LobExporter, SerialNamesFollowTheResultAndValuesNameFilesByTheirServerText)
{
    Exec(S("CREATE TABLE t (id INT PRIMARY KEY, created DATETIME, day DATE, num BIGINT, price DECIMAL(8,2), "
           "body LONGBLOB)"));
    Exec(S("INSERT INTO t VALUES (1, '2021-03-04 10:20:30', '2021-03-04', -9007199254740993, 12.50, 'one'), "
           "(2, '1999-12-31 23:59:59', '1999-12-31', 7, 0.05, 'two')"));

    Task.FromType = TExportFromType::Query;
    Task.Query = S("select body from t order by id desc;");   // the semicolon goes
    Task.NameType = TExportNameType::Serial;
    Task.ExtType = TExportExtType::Fixed;
    Task.Ext = S(".bin");
    Export();
    EXPECT_EQ(FilesBelow(OutPath()), (QMap<QString, QByteArray>{{S("1.bin"), "two"}, {S("2.bin"), "one"}}));

    const struct {
        const char* column;
        QStringList files;
    } names[] = {
        {"created", {S("1999-12-31 23_59_59.d"), S("2021-03-04 10_20_30.d")}},
        {"day", {S("1999-12-31.d"), S("2021-03-04.d")}},
        {"num", {S("-9007199254740993.d"), S("7.d")}},
        {"price", {S("0.05.d"), S("12.50.d")}},
    };
    for (const auto& name : names) {
        QDir(OutPath()).removeRecursively();
        QDir().mkpath(OutPath());
        Task.FromType = TExportFromType::Table;
        Task.Table = S("t");
        Task.NameType = TExportNameType::FromField;
        Task.NameField = S(name.column);
        Task.Ext = S("d");
        Export();
        EXPECT_EQ(FilesBelow(OutPath()).keys(), name.files) << name.column;
    }
}

TEST_F(LobExporter, SubFoldersByCountHoldBlocksOfSerials)
{
    MakeRows(25);
    SerialNames();
    Task.UnloadFolder = OutPath(S("not/yet/there/"));   // made with the first sub-folder
    Task.SubFolderCreateType = TSubFolderCreateType::ByCount;
    Task.SubCount = 10;

    const TRunResult run = Export();

    QMap<QString, QByteArray> expected;
    for (int serial = 1; serial <= 25; ++serial) {
        const int first = (serial - 1) / 10 * 10 + 1;
        expected[S("not/yet/there/%1-%2/%3.b").arg(first).arg(first + 9).arg(serial)] = "v" + QByteArray::number(serial);
    }
    EXPECT_EQ(FilesBelow(OutPath()), expected);
    EXPECT_EQ(run.Succeeded, 25);
}

TEST_F(LobExporter, SubFoldersByColumnStayInsideTheExportFolder)
{
    Exec(S("CREATE TABLE t (id INT PRIMARY KEY, sub VARCHAR(20), body LONGBLOB)"));
    Exec(S("INSERT INTO t VALUES (1, '2021/05', 'a'), (2, '2021/05', 'b'), (3, 'x', 'c'), (4, '.', 'd'), "
           "(5, '..', 'e'), (6, CONCAT('a', CHAR(0), 'b'), 'f'), (7, NULL, 'g'), (8, '2021/05', 'h')"));
    SerialNames();
    Task.UnloadFolder = OutPath(S("base"));
    Task.SubFolderCreateType = TSubFolderCreateType::ByField;
    Task.SubField = S("sub");

    const TRunResult run = Export();

    EXPECT_EQ(FilesBelow(OutPath()), (QMap<QString, QByteArray>{{S("base/2021_05/1.b"), "a"},
                                                                {S("base/2021_05/2.b"), "b"},
                                                                {S("base/x/3.b"), "c"},
                                                                {S("base/a_b/6.b"), "f"},
                                                                {S("base/7.b"), "g"},
                                                                {S("base/2021_05/8.b"), "h"}}));
    EXPECT_EQ(run.Succeeded, 6);
    EXPECT_EQ(run.Errors, 2);
    ASSERT_EQ(run.ErrorTexts.size(), 2);
    EXPECT_TRUE(run.ErrorTexts[0].startsWith(S("Serial: 4\r\n"))) << run.ErrorTexts[0].toStdString();
    EXPECT_TRUE(run.ErrorTexts[1].startsWith(S("Serial: 5\r\n"))) << run.ErrorTexts[1].toStdString();
    for (const QString& text : run.ErrorTexts)
        EXPECT_TRUE(text.endsWith(S(". On Save LOB to file."))) << text.toStdString();
}

// Settings that cannot work fail every row with a clear message and write
// nothing anywhere: not into the root, not into the working folder.
TEST_F(LobExporter, SettingsThatCannotWorkFailEveryRowAndWriteNothing)
{
    MakeRows(3);
    const QString work = OutPath(S("work"));
    QDir().mkpath(work);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work);
    const struct {
        const char* title;
        QString folder;
        quint8 subType;
        int subCount;
        QString firstError;
    } cases[] = {
        {"no rows per sub-folder", OutPath(S("out")), 1, 0, S("Division error: the rows per sub-folder (SubCount) are ")},
        {"negative rows per sub-folder", OutPath(S("out")), 1, -3, S("Division error: the rows per sub-folder (SubCount) are ")},
        {"empty folder", S(""), 0, 0, S("Cannot create file \"1.b\". No export folder is set. On Save LOB to file.")},
        {"empty folder with sub-folders", S(""), 1, 10,
         S("Cannot create file \"1.b\". No export folder is set. On Save LOB to file.")},
        {"missing folder", OutPath(S("missing")), 0, 0,
         S("Cannot create file \"%1/1.b\". No such file or directory. On Save LOB to file.").arg(OutPath(S("missing")))},
    };
    for (const auto& c : cases) {
        SerialNames();
        Task.UnloadFolder = c.folder;
        Task.SubFolderCreateType = TSubFolderCreateType(c.subType);
        Task.SubCount = c.subCount;
        const TRunResult run = Export();
        EXPECT_EQ(run.Errors, 3) << c.title;
        EXPECT_EQ(run.Succeeded, 0) << c.title;
        EXPECT_EQ(run.Total, 3) << c.title;
        ASSERT_EQ(run.ErrorTexts.size(), 3) << c.title;
        EXPECT_TRUE(run.ErrorTexts[0].startsWith(S("Serial: 1\r\n") + c.firstError))
            << c.title << ": " << run.ErrorTexts[0].toStdString();
        EXPECT_TRUE(FilesBelow(OutPath()).isEmpty()) << c.title;
        EXPECT_FALSE(QFileInfo::exists(S("/1-10"))) << c.title;
        EXPECT_FALSE(QFileInfo::exists(S("/1.b"))) << c.title;
    }
    QDir::setCurrent(previous);
}

// A join with a repeated column name cannot be counted: the total is unknown
// and still every row is written.
TEST_F(LobExporter, RowsThatCannotBeCountedAreAllExported)
{
    MakeRows(4);
    Task.FromType = TExportFromType::Query;
    Task.Query = S("select a.body, b.body from t a join t b on a.id = b.id");
    Task.NameType = TExportNameType::Serial;
    Task.ExtType = TExportExtType::Fixed;
    Task.Ext = S("b");

    const TRunResult run = Export();

    EXPECT_EQ(run.TotalAtStart, -1);
    EXPECT_EQ(FilesBelow(OutPath()).size(), 4);
    EXPECT_EQ(FilesBelow(OutPath()).value(S("4.b")), "v4");
    EXPECT_EQ(run.Total, 4);
    EXPECT_EQ(run.Succeeded, 4);
}

TEST_F(LobExporter, AStatementThatFailsEndsTheRunBeforeAnyFile)
{
    Exec(S("CREATE TABLE t (id INT PRIMARY KEY, name VARCHAR(10), body LONGBLOB)"));
    Exec(S("INSERT INTO t VALUES (1, 'a', 'x')"));
    const struct {
        const char* table;
        const char* lobField;
        const char* nameField;
        const char* where;
        const char* message;
    } cases[] = {
        {"missing", "body", "name", "", "doesn't exist"},
        {"t", "body", "nope", "", "Unknown column"},
        {"t", "body", "name", "id = = 1", "SQL syntax"},
        {"t", "id", "name", "", "not a large-object"},
    };
    for (const auto& c : cases) {
        Task.Table = S(c.table);
        Task.LobField = S(c.lobField);
        Task.NameField = S(c.nameField);
        Task.Where = S(c.where);
        Task.ExtType = TExportExtType::Fixed;
        Task.Ext = S("b");
        std::unique_ptr<TLobExporter> exporter = TLobObjectFactory().CreateExporter();
        exporter->SetExportSession(&Task);
        bool started = false;
        exporter->Status().OnStart = [&](TConvertStatus&) { started = true; };
        QString message;
        try {
            exporter->Convert();
        } catch (const Exception& e) {
            message = e.Message();
        }
        EXPECT_TRUE(message.contains(S(c.message))) << c.table << "/" << c.lobField << ": " << message.toStdString();
        EXPECT_FALSE(started);
        EXPECT_TRUE(FilesBelow(OutPath()).isEmpty());
        EXPECT_EQ(Scalar(S("select 1")), S("1"));   // the connection is free again
    }
}

TEST_F(LobExporter, AStopAfterThreeRowsKeepsTheCountAndTheConnection)
{
    MakeRows(10);
    SerialNames();

    const TRunResult run = Export([](TLobExporter& exporter) {
        if (exporter.Status().Succeeded == 3)
            exporter.Stop();
    });

    EXPECT_EQ(run.Total, 10);
    EXPECT_EQ(run.Succeeded, 3);
    EXPECT_EQ(FilesBelow(OutPath()).keys(), (QStringList{S("1.b"), S("2.b"), S("3.b")}));
    EXPECT_EQ(Scalar(S("select count(*) from t")), S("10"));
}

TEST_F(LobExporter, ValuesAreWrittenByteForByte)
{
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    MakeValues({all, B("")});
    // A value of several MiB made by the server, checked against its SHA-256.
    Exec(S("INSERT INTO t VALUES (3, REPEAT(CONCAT(UNHEX(SHA2('seed', 256)), MD5('x')), 120000))"));
    SerialNames();

    const TRunResult run = Export();

    const QMap<QString, QByteArray> files = FilesBelow(OutPath());
    EXPECT_EQ(files.value(S("1.b")), all);
    EXPECT_TRUE(files.contains(S("2.b")));
    EXPECT_EQ(files.value(S("2.b")).size(), 0);
    const QByteArray big = files.value(S("3.b"));
    EXPECT_EQ(big.size(), 64 * 120000);
    EXPECT_EQ(QString::fromLatin1(QCryptographicHash::hash(big, QCryptographicHash::Sha256).toHex()),
              Scalar(S("select SHA2(body, 256) from t where id = 3")));
    EXPECT_EQ(run.Succeeded, 3);
}

// A label is a folder name as it stands: blanks at its end are part of it.
TEST_F(LobExporter, SubFolderLabelsKeepTheirBlanks)
{
    Exec(S("CREATE TABLE t (id INT PRIMARY KEY, sub VARCHAR(20), body LONGBLOB)"));
    Exec(S("INSERT INTO t VALUES (1, 'x ', 'a'), (2, 'x', 'b'), (3, CONCAT('y', CHAR(9)), 'c')"));
    SerialNames();
    Task.SubFolderCreateType = TSubFolderCreateType::ByField;
    Task.SubField = S("sub");

    const TRunResult run = Export();

    EXPECT_EQ(run.Errors, 0) << run.ErrorTexts.join(S("\n")).toStdString();
    EXPECT_EQ(FilesBelow(OutPath()), (QMap<QString, QByteArray>{{S("x /1.b"), "a"}, {S("x/2.b"), "b"}, {S("y\t/3.b"), "c"}}));
}

// A file or a link of the row's name is replaced, never written through: the
// file a link points to stays as it was, and a replaced file keeps its mode.
TEST_F(LobExporter, ExistingFilesAndLinksAreReplacedNotWrittenThrough)
{
    Exec(S("CREATE TABLE t (id INT PRIMARY KEY, body LONGBLOB)"));
    Exec(S("INSERT INTO t VALUES (1, 'one'), (2, 'two')"));
    SerialNames();
    QDir().mkpath(OutPath(S("out")));
    Task.UnloadFolder = OutPath(S("out"));
    WriteOutFile(S("outside.txt"), "not to be touched");
    ASSERT_EQ(symlink(QFile::encodeName(OutPath(S("outside.txt"))).constData(),
                      QFile::encodeName(OutPath(S("out/1.b"))).constData()),
              0);
    WriteOutFile(S("out/2.b"), "an earlier, longer copy", 0640);

    const TRunResult run = Export();

    EXPECT_EQ(run.Errors, 0);
    EXPECT_EQ(FilesBelow(OutPath(S("out"))), (QMap<QString, QByteArray>{{S("1.b"), "one"}, {S("2.b"), "two"}}));
    EXPECT_FALSE(QFileInfo(OutPath(S("out/1.b"))).isSymLink());
    EXPECT_EQ(FilesBelow(OutPath()).value(S("outside.txt")), "not to be touched");
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(OutPath(S("out/2.b"))).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// Past its first rows a folder's files are opened ahead and closed behind on
// a thread of their own: every file still ends whole under its name, a file
// replaced then keeps its mode, new files get the umask's, and the run leaves
// no descriptor open.
TEST_F(LobExporter, ALongRunWritesEveryFileWholeAndLeavesNoDescriptorOpen)
{
    constexpr int rows = 60;
    MakeRows(rows);
    SerialNames();
    QDir().mkpath(OutPath(S("out")));
    Task.UnloadFolder = OutPath(S("out"));
    WriteOutFile(S("out/50.b"), "an earlier, longer copy", 0640);
    const auto openDescriptors = [] { return QDir(S("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(); };
    const qsizetype before = openDescriptors();
    const mode_t umaskNow = ::umask(0);
    ::umask(umaskNow);

    const TRunResult run = Export();

    EXPECT_EQ(run.Succeeded, rows);
    EXPECT_EQ(openDescriptors(), before);
    QMap<QString, QByteArray> expected;
    for (int serial = 1; serial <= rows; ++serial)
        expected[S("%1.b").arg(serial)] = "v" + QByteArray::number(serial);
    EXPECT_EQ(FilesBelow(OutPath(S("out"))), expected);
    for (const auto& [name, mode] : {std::pair{"50.b", 0640u}, std::pair{"59.b", 0666u & ~umaskNow}}) {
        struct stat info {};
        ASSERT_EQ(stat(QFile::encodeName(OutPath(S("out/") + QLatin1String(name))).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, mode) << name;
    }
}
