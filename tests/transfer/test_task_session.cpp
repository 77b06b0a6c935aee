#include "base/UException.h"
#include "db/UDBDictionary.h"
#include "db/UDBObjectFactory.h"
#include "db/UMysqlDBClassInit.h"
#include "platform/dac/UUniConnection.h"
#include "transfer/ULobExportSession.h"
#include "transfer/ULobImportSession.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadBytes(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QFileDevice::Permissions PermissionsOf(const QString& fileName)
{
    // Only the Unix bits: Qt adds the "user" flags of the running process.
    return QFile::permissions(fileName)
           & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
              | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
              | QFileDevice::ExeOther);
}

// Every field set to a value that differs from its default.
void FillImport(TLobImportSession& task)
{
    task.Schema = QStringLiteral("shop");
    task.Table = QStringLiteral("Bilder");
    task.LobField = QStringLiteral("data");
    task.LoadFolder = QStringLiteral("/home/ann/Fotos größer");
    task.IncludeSubFolder = true;
    task.NameField = QStringLiteral("name");
    task.HasFolderField = true;
    task.FolderField = QStringLiteral("folder");
    task.IncludeNameExt = true;
    task.ImportType = TImportType::Update;
    task.ExtType = TImportExtType::OnlyExt;
    task.Ext = QStringLiteral(".jpg");
}

void FillExport(TLobExportSession& task)
{
    task.FromType = TExportFromType::Query;
    task.Schema = QStringLiteral("shop");
    task.Table = QStringLiteral("docs");
    task.Where = QStringLiteral("where id > 3 and name = 'x'");
    task.Query = QStringLiteral("select body, title from docs;");
    task.LobField = QStringLiteral("body");
    task.NameType = TExportNameType::Serial;
    task.NameField = QStringLiteral("title");
    task.ExtType = TExportExtType::Fixed;
    task.ExtField = QStringLiteral("kind");
    task.Ext = QStringLiteral("pdf");
    task.UnloadFolder = QStringLiteral("/tmp/out");
    task.SubFolderCreateType = TSubFolderCreateType::ByField;
    task.SubCount = 500;
    task.SubField = QStringLiteral("year");
}

class TaskSession : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        TLobImportSession().RecentList().Clear();
        TLobExportSession().RecentList().Clear();
    }
    QString Path(const QString& name) const { return Dir.filePath(name); }
    // Saves task as name and reads that file into a new task of its kind.
    template <class T>
    std::unique_ptr<T> SaveAndReload(T& task, const QString& name) const
    {
        task.SaveToFile(Path(name));
        auto loaded = std::make_unique<T>();
        loaded->LoadFromFile(Path(name));
        return loaded;
    }

    QTemporaryDir Dir;
};

}  // namespace

TEST_F(TaskSession, KindsAndTheirFiles)
{
    TLobImportSession import;
    EXPECT_EQ(import.Kind(), QStringLiteral("Import"));
    EXPECT_EQ(import.DefaultExt(), QStringLiteral("ilt"));
    EXPECT_EQ(import.Filter(), QStringLiteral("Import Lob Task (*.ilt)|*.ilt"));
    EXPECT_EQ(import.RecentList().Key(), QStringLiteral("\\Software\\Corvanta\\Vantorquill\\ImportLobTasks"));
    EXPECT_EQ(import.RecentList().MaxItems(), 10);
    TLobExportSession exportTask;
    EXPECT_EQ(exportTask.Kind(), QStringLiteral("Export"));
    EXPECT_EQ(exportTask.DefaultExt(), QStringLiteral("elt"));
    EXPECT_EQ(exportTask.Filter(), QStringLiteral("Export Lob Task (*.elt)|*.elt"));
    EXPECT_EQ(exportTask.RecentList().Key(), QStringLiteral("\\Software\\Corvanta\\Vantorquill\\ExportLobTasks"));
}

TEST_F(TaskSession, ImportFileRoundTripsEveryKeyInOrder)
{
    TLobImportSession task;
    FillImport(task);
    const QString file = Path(QStringLiteral("a.ilt"));
    task.SaveToFile(file);
    EXPECT_EQ(task.FileName(), file);
    EXPECT_EQ(QString::fromUtf8(ReadBytes(file)),
              QStringLiteral("[Import]\r\nSchema=shop\r\nTable=Bilder\r\nLobField=data\r\n"
                             "LoadFolder=/home/ann/Fotos größer\r\nIncludeSubFolder=1\r\nNameField=name\r\n"
                             "HasFolderField=1\r\nFolderField=folder\r\nIncludeNameExt=1\r\nImportType=1\r\n"
                             "ExtType=1\r\nExt=.jpg\r\n"));
    TLobImportSession loaded;
    loaded.LoadFromFile(file);
    EXPECT_TRUE(loaded.IsSame(task));
    EXPECT_EQ(loaded.FileName(), file);
    EXPECT_FALSE(task.IsModified());
}

TEST_F(TaskSession, ExportFileRoundTripsEveryKeyInOrder)
{
    TLobExportSession task;
    FillExport(task);
    const QString file = Path(QStringLiteral("a.elt"));
    task.SaveToFile(file);
    EXPECT_EQ(QString::fromUtf8(ReadBytes(file)),
              QStringLiteral("[Export]\r\nFromType=1\r\nSchema=shop\r\nTable=docs\r\n"
                             "Where=where id > 3 and name = 'x'\r\nQuery=select body, title from docs;\r\n"
                             "LobField=body\r\nNameType=1\r\nNameField=title\r\nExtType=1\r\nExtField=kind\r\n"
                             "Ext=pdf\r\nUnloadFolder=/tmp/out\r\nSubFolderCreateType=2\r\nSubCount=500\r\n"
                             "SubField=year\r\n"));
    TLobExportSession loaded;
    loaded.LoadFromFile(file);
    EXPECT_TRUE(loaded.IsSame(task));
    EXPECT_FALSE(task.IsModified());
}

TEST_F(TaskSession, MissingFileKeysAndMalformedNumbersReadAsDefaults)
{
    TLobExportSession filled;
    FillExport(filled);
    filled.LoadFromFile(Path(QStringLiteral("missing.elt")));
    EXPECT_TRUE(filled.IsSame(TLobExportSession()));

    const QString file = Path(QStringLiteral("odd.ilt"));
    WriteBytes(file, "[Import]\nImportType=two\nExtType=\nIncludeSubFolder=yes\nHasFolderField=-1\nTable=t\n");
    TLobImportSession task;
    task.LoadFromFile(file);
    EXPECT_EQ(task.ImportType, TImportType::Insert);
    EXPECT_EQ(task.ExtType, TImportExtType::All);
    EXPECT_FALSE(task.IncludeSubFolder);
    EXPECT_TRUE(task.HasFolderField);   // any integer but 0
    EXPECT_EQ(task.Table, QStringLiteral("t"));
}

TEST_F(TaskSession, TextsReadBackAsTheyStand)
{
    // Blanks at the ends and enclosing quotes would be lost to the ini reader.
    TLobExportSession task;
    task.Where = QStringLiteral("'a' = 'a'");
    task.Query = QStringLiteral("  select 1 ");
    task.Ext = QStringLiteral("\"\"");
    task.NameField = QStringLiteral("Überschrift");
    const auto loaded = SaveAndReload(task, QStringLiteral("quotes.elt"));
    EXPECT_EQ(loaded->Where, task.Where);
    EXPECT_EQ(loaded->Query, task.Query);
    EXPECT_EQ(loaded->Ext, task.Ext);
    EXPECT_EQ(loaded->NameField, task.NameField);
    EXPECT_FALSE(task.IsModified());
}

TEST_F(TaskSession, SaveKeepsBackupForeignSectionsAndComments)
{
    const QString file = Path(QStringLiteral("run.elt"));
    const QByteArray original = "; written by hand\r\n[SourceDB]\r\nServer=db1\r\nPassword=secret\r\n\r\n"
                                "[Export]\r\nTable=old\r\nCreateSubFolder=1\r\n\r\n[TargetDB]\r\nServer=db2\r\n";
    WriteBytes(file, original);
    WriteBytes(file + QStringLiteral(".bak"), "older backup");

    TLobExportSession task;
    FillExport(task);
    task.SaveToFile(file);
    EXPECT_EQ(ReadBytes(file + QStringLiteral(".bak")), original);

    const QString saved = QString::fromUtf8(ReadBytes(file));
    EXPECT_TRUE(saved.startsWith(QStringLiteral("; written by hand\r\n[SourceDB]\r\nServer=db1\r\nPassword=secret\r\n")));
    EXPECT_TRUE(saved.endsWith(QStringLiteral("\r\n[TargetDB]\r\nServer=db2\r\n")));
    EXPECT_TRUE(saved.contains(QStringLiteral("[Export]\r\nTable=docs\r\n")));
    EXPECT_FALSE(saved.contains(QStringLiteral("Table=old")));
    TLobExportSession loaded;
    loaded.LoadFromFile(file);
    EXPECT_TRUE(loaded.IsSame(task));   // the new type outranks the old key left in place

    task.Table = QStringLiteral("second");
    task.SaveToFile(file);
    EXPECT_EQ(ReadBytes(file + QStringLiteral(".bak")), saved.toUtf8());
}

TEST_F(TaskSession, TaskFilesAndBackupsAreOwnerOnly)
{
    // The save dialog test-creates the file first, with the usual mode.
    const QString file = Path(QStringLiteral("private.ilt"));
    WriteBytes(file, "\r\n");
    ASSERT_TRUE(QFile::setPermissions(file, OwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    TLobImportSession task;
    FillImport(task);
    task.SaveToFile(file);
    EXPECT_EQ(PermissionsOf(file), OwnerOnly);
    EXPECT_EQ(PermissionsOf(file + QStringLiteral(".bak")), OwnerOnly);

    const QString fresh = Path(QStringLiteral("fresh.elt"));
    TLobExportSession().SaveToFile(fresh);
    EXPECT_EQ(PermissionsOf(fresh), OwnerOnly);
    EXPECT_FALSE(QFile::exists(fresh + QStringLiteral(".bak")));   // nothing to keep
}

TEST_F(TaskSession, SaveToAnUnwritablePlaceRaises)
{
    TLobImportSession task;
    EXPECT_THROW(task.SaveToFile(Path(QStringLiteral("no/such/folder/x.ilt"))), Exception);
}

TEST_F(TaskSession, LegacySubFolderKey)
{
    struct Case {
        const char* keys;
        int expected;
    };
    const Case cases[] = {
        {"CreateSubFolder=1\n", 1},
        {"CreateSubFolder=7\n", 1},
        {"CreateSubFolder=0\n", 0},
        {"", 0},
        {"CreateSubFolder=1\nSubFolderCreateType=0\n", 0},
        {"CreateSubFolder=1\nSubFolderCreateType=2\n", 2},
        {"SubFolderCreateType=3\n", 0},
        {"SubFolderCreateType=-1\n", 0},
        {"CreateSubFolder=1\nSubFolderCreateType=many\n", 0},
    };
    const QString file = Path(QStringLiteral("legacy.elt"));
    for (const Case& c : cases) {
        WriteBytes(file, QByteArray("[Export]\nSubCount=20\n") + c.keys);
        TLobExportSession task;
        task.LoadFromFile(file);
        EXPECT_EQ(int(task.SubFolderCreateType), c.expected) << c.keys;
        EXPECT_EQ(task.SubCount, 20);
    }
    TLobExportSession task;
    task.SubFolderCreateType = TSubFolderCreateType::ByCount;
    const QString fresh = Path(QStringLiteral("new.elt"));
    task.SaveToFile(fresh);
    EXPECT_FALSE(ReadBytes(fresh).contains("CreateSubFolder"));
}

TEST_F(TaskSession, LineBreaksBecomeOneBlankEach)
{
    TLobExportSession task;
    task.Where = QStringLiteral("id > 1\r\nand a = 2\nand b = 3\rand c = 4");
    task.Query = QStringLiteral("select *\nfrom t\n");
    const auto loaded = SaveAndReload(task, QStringLiteral("lines.elt"));
    EXPECT_EQ(loaded->Where, QStringLiteral("id > 1 and a = 2 and b = 3 and c = 4"));
    EXPECT_EQ(loaded->Query, QStringLiteral("select * from t "));
    EXPECT_EQ(loaded->Schema, QString());   // the rest of the file is intact
    // The copy read back differs from the task in memory.
    EXPECT_TRUE(task.IsModified());
    loaded->SaveToFile(task.FileName());
    EXPECT_FALSE(loaded->IsModified());
}

TEST_F(TaskSession, IsModified)
{
    TLobImportSession task;
    EXPECT_TRUE(task.IsModified());   // never saved
    FillImport(task);
    const QString file = Path(QStringLiteral("m.ilt"));
    task.SaveToFile(file);
    EXPECT_FALSE(task.IsModified());
    task.Table = QStringLiteral("bilder");   // letter case counts
    EXPECT_TRUE(task.IsModified());
    task.Table = QStringLiteral("Bilder");
    QFile::remove(file);
    EXPECT_TRUE(task.IsModified());   // the file is gone: it reads as an empty task
}

TEST_F(TaskSession, IsSameComparesEveryFieldOfTheKindOnly)
{
    TLobExportSession a;
    TLobExportSession b;
    FillExport(a);
    FillExport(b);
    EXPECT_TRUE(a.IsSame(b));
    b.SaveToFile(Path(QStringLiteral("b.elt")));   // the file name takes no part
    EXPECT_TRUE(a.IsSame(b));
    b.SubCount = 501;
    EXPECT_FALSE(a.IsSame(b));
    EXPECT_FALSE(a.IsSame(TLobImportSession()));
    EXPECT_FALSE(TLobImportSession().IsSame(TLobExportSession()));
    EXPECT_TRUE(TLobImportSession().IsSame(*TLobImportSession().CreateSame()));
}

TEST_F(TaskSession, IsBlank)
{
    TLobImportSession import;
    EXPECT_TRUE(import.IsBlank());
    import.LoadFolder = QStringLiteral("select a directory");
    EXPECT_TRUE(import.IsBlank());
    import.LoadFolder = QStringLiteral("Select a directory");
    EXPECT_FALSE(import.IsBlank());
    import.LoadFolder = QStringLiteral("/data");
    EXPECT_FALSE(import.IsBlank());

    TLobExportSession exportTask;
    exportTask.UnloadFolder = QStringLiteral("select a directory");
    exportTask.Table = QStringLiteral("t");   // only the folder counts
    EXPECT_TRUE(exportTask.IsBlank());
    exportTask.SaveToFile(Path(QStringLiteral("blank.elt")));
    EXPECT_FALSE(exportTask.IsBlank());   // it has a file now
}

TEST_F(TaskSession, DescriptionAndCaption)
{
    TLobImportSession import;
    import.LoadFolder = QStringLiteral("/in");
    import.Table = QStringLiteral("files");
    EXPECT_EQ(import.GetDescription(), QStringLiteral("From : /in\r\nTo : files"));
    EXPECT_EQ(import.GetCaption(), import.GetDescription());

    TLobExportSession exportTask;
    exportTask.Table = QStringLiteral("docs");
    exportTask.Query = QStringLiteral("select 1");
    exportTask.UnloadFolder = QStringLiteral("/out");
    EXPECT_EQ(exportTask.GetDescription(), QStringLiteral("From : docs\r\nTo : /out"));
    exportTask.FromType = TExportFromType::Query;
    EXPECT_EQ(exportTask.GetDescription(), QStringLiteral("From : select 1\r\nTo : /out"));
    const QString file = Path(QStringLiteral("c.elt"));
    exportTask.SaveToFile(file);
    EXPECT_EQ(exportTask.GetCaption(), file);
}

TEST_F(TaskSession, RecentListsKeepTenNewestFirstPerKind)
{
    TLobExportSession task;
    QStringList files;
    for (int i = 0; i < 12; ++i) {
        files << Path(QStringLiteral("t%1.elt").arg(i));
        task.SaveToFile(files.back());
    }
    TLobImportSession import;
    import.LoadFromFile(Path(QStringLiteral("i.ilt")));   // a load counts too, even of a missing file

    QStringList expected;
    for (int i = 11; i >= 2; --i)
        expected << files.at(i);
    EXPECT_EQ(TLobExportSession().RecentList().Items(), expected);
    EXPECT_EQ(import.RecentList().Items(), QStringList({Path(QStringLiteral("i.ilt"))}));

    TLobExportSession again;
    again.LoadFromFile(files.at(5));
    expected.removeAll(files.at(5));
    expected.prepend(files.at(5));
    EXPECT_EQ(again.RecentList().Items(), expected);
}

namespace {

// A dictionary on an unconnected MySQL connection: quoting needs no server.
class ExportStatement : public testing::Test {
protected:
    static void SetUpTestSuite() { InitMysqlDBClasses(); }
    static void TearDownTestSuite() { DoneMysqlDBClasses(); }
    void SetUp() override
    {
        Connection = TDBObjectFactory::CreateConnection(QStringLiteral("Mysql"));
        Dictionary = TDBObjectFactory::CreateDictionary(Connection.get());
        Task.Schema = QStringLiteral("shop");
        Task.Table = QStringLiteral("docs");
        Task.LobField = QStringLiteral("body");
        Task.NameField = QStringLiteral("title");
        Task.ExtField = QStringLiteral("kind");
        Task.SubField = QStringLiteral("year");
    }
    QString Sql() const { return Task.BuildSql(*Dictionary); }

    std::unique_ptr<TUniConnection> Connection;
    std::unique_ptr<TDBDictionary> Dictionary;
    TLobExportSession Task;
};

const QString AllColumns = QStringLiteral("select `body`,`title`,`kind` from `shop`.`docs`");

}  // namespace

TEST_F(ExportStatement, WhereRule)
{
    struct Case {
        QString where;
        QString tail;
    };
    const Case cases[] = {
        {"", ""},
        {"  \t \r\n", ""},
        {"where id > 3", " where id > 3"},
        {"WHERE id > 3", " WHERE id > 3"},
        {"  Limit 10", "   Limit 10"},   // one blank, then the text as stored
        {"lImIt 5", " lImIt 5"},
        {"where(id=1)", " where(id=1)"},
        {"id > 3", " where id > 3"},
        {"whereabouts = 1", " where whereabouts = 1"},   // a column, not the word
        {"limited=1", " where limited=1"},
        {"id > 3;", " where id > 3"},
        {"id > 3;;", " where id > 3;"},   // only one semicolon goes
    };
    for (const Case& c : cases) {
        Task.Where = c.where;
        EXPECT_EQ(Sql(), AllColumns + c.tail) << c.where.toStdString();
    }
}

TEST_F(ExportStatement, ColumnsFollowTheNamingSettings)
{
    Task.NameType = TExportNameType::Serial;
    Task.ExtType = TExportExtType::Fixed;
    EXPECT_EQ(Sql(), QStringLiteral("select `body` from `shop`.`docs`"));
    Task.SubFolderCreateType = TSubFolderCreateType::ByCount;
    EXPECT_EQ(Sql(), QStringLiteral("select `body` from `shop`.`docs`"));
    Task.SubFolderCreateType = TSubFolderCreateType::ByField;
    Task.Schema = QStringLiteral("  ");
    Task.Table = QStringLiteral("a`b");
    EXPECT_EQ(Sql(), QStringLiteral("select `body`,`year` from `a``b`"));
}

TEST_F(ExportStatement, QueryMode)
{
    Task.FromType = TExportFromType::Query;
    Task.Where = QStringLiteral("id = 1");   // not used for a query
    Task.Query = QStringLiteral("select b from t;");
    EXPECT_EQ(Sql(), QStringLiteral("select b from t"));
    Task.Query = QStringLiteral("select b from t;;");
    EXPECT_EQ(Sql(), QStringLiteral("select b from t;"));
    Task.Query = QStringLiteral("select b from t");
    EXPECT_EQ(Sql(), QStringLiteral("select b from t"));
    // An empty query builds the statement from the table settings.
    Task.Query.clear();
    EXPECT_EQ(Sql(), AllColumns + QStringLiteral(" where id = 1"));
    // Table mode ignores a query left over from Query mode.
    Task.FromType = TExportFromType::Table;
    Task.Query = QStringLiteral("select b from t");
    EXPECT_EQ(Sql(), AllColumns + QStringLiteral(" where id = 1"));
}

TEST_F(ExportStatement, WithoutTheProgramFactoryRaises)
{
    ASSERT_EQ(SourceDBFactory, nullptr);
    EXPECT_THROW(Task.BuildSql(), Exception);
}
