// Imports into the test MariaDB through the program's database object
// factory; every imported value is checked against its file with SHA2().
#include "LobExportTestDb.h"
#include "transfer/ULobImportSession.h"
#include "transfer/ULobImporter.h"
#include "transfer/ULobObjectFactory.h"
#include "platform/dac/UUniError.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using exporttest::S;

class LobImporter : public exporttest::LobDbTest {
protected:
    void SetUp() override
    {
        LobDbTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(In.isValid());
        Task.Schema = Database;
        Task.Table = S("t");
        Task.LobField = S("body");
        Task.NameField = S("name");
        Task.LoadFolder = In.path();
    }

    QString InPath(const QString& relative) const { return In.path() + QLatin1Char('/') + relative; }

    void Write(const QString& relative, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(InPath(relative)).path());
        QFile file(InPath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(content), content.size());
    }
    void Write(const char* relative) { Write(S(relative), QByteArray(relative).repeated(3)); }

    // Runs the task with a fresh importer and notes every error text.
    void Run()
    {
        TLobObjectFactory factory;
        Importer = factory.CreateImporter();
        Importer->SetImportSession(&Task);
        Errors.clear();
        Importer->Status().OnError = [this](TConvertStatus& status) { Errors << status.LastError; };
        EXPECT_TRUE(Importer->Convert());
    }

    // key -> SHA-256 of the value, as the server computes it.
    QMap<QString, QString> Stored(const QString& keyExpression = S("name"))
    {
        QMap<QString, QString> rows;
        TUniQuery query;
        query.SetConnection(Connection);
        query.SetSQL(S("select %1, SHA2(body, 256) from t").arg(keyExpression));
        query.Open();
        for (; !query.Eof(); query.Next())
            rows.insert(query.Fields(0)->AsString(), query.Fields(1)->AsString());
        return rows;
    }

    QString Sha(const QString& relative)
    {
        QFile file(InPath(relative));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&file);
        return QString::fromLatin1(hash.result().toHex());
    }

    QString KeyError(const QString& key) const
    {
        return S("\"%1\" can not insert to field \"%2\"").arg(key, Task.NameField);
    }

    QTemporaryDir In;
    TLobImportSession Task;
    std::unique_ptr<TLobImporter> Importer;
    QStringList Errors;
};

QByteArray EveryByte(int size)
{
    QByteArray bytes(size, 0);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 256) & 0xff);
    return bytes;
}

}  // namespace

TEST_F(LobImporter, TreeOfFilesWithTextKeysAndTheirFolders)
{
    Exec(S("CREATE TABLE t (id INT AUTO_INCREMENT PRIMARY KEY, name VARCHAR(100), body LONGBLOB, dir TEXT)"));
    Write(S("report.final.pdf"), EveryByte(3000));
    Write(S("big.bin"), EveryByte(2 * 1024 * 1024 + 12345));   // more than two chunks
    Write(S("empty.txt"), QByteArray());
    Write(".profile");
    Write("2021-03-04 10:20:30.txt");   // ":" is an ordinary character here
    Write("a/b/deep.txt");
    Write(".hiddendir/no.txt");
    Write("a/.DS_Store");
    ASSERT_EQ(symlink("../report.final.pdf", InPath(S("a/link.pdf")).toUtf8().constData()), 0);
    Task.LoadFolder = In.path() + S("/");   // the separator is not doubled
    Task.IncludeSubFolder = true;
    Task.FolderField = S("dir");
    Run();

    EXPECT_EQ(Importer->Query().SQL(),
              S("insert into `%1`.`t` (`name`,`body`,`dir`) values (:p1,:p2,:p3)").arg(Database));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(S("\n")).toStdString();
    EXPECT_EQ(Importer->Status().Total, 7);
    EXPECT_EQ(Importer->Status().Succeeded, 7);
    const QMap<QString, QString> expected{{S(""), Sha(S(".profile"))},
                                          {S("2021-03-04 10:20:30"), Sha(S("2021-03-04 10:20:30.txt"))},
                                          {S("big"), Sha(S("big.bin"))},
                                          {S("empty"), Sha(S("empty.txt"))},
                                          {S("report"), Sha(S("report.final.pdf"))},
                                          {S("link"), Sha(S("report.final.pdf"))},
                                          {S("deep"), Sha(S("a/b/deep.txt"))}};
    EXPECT_EQ(Stored(), expected);
    // In listing order, each with the folder up to its last "/".
    EXPECT_EQ(Scalar(S("select group_concat(concat(name, '@', dir) order by id separator '|') from t")),
              S("@%1/|2021-03-04 10:20:30@%1/|big@%1/|empty@%1/|report@%1/|link@%1/a/|deep@%1/a/b/")
                  .arg(In.path()));
}

TEST_F(LobImporter, ExtensionFilterAndKeysWithTheExtension)
{
    Exec(S("CREATE TABLE t (name VARCHAR(100) PRIMARY KEY, body BLOB)"));
    for (const char* name : {"photo.jpg", "photo2.JPG", "a.jpeg", "report.final.jpg", "note.txt"})
        Write(name);
    Task.Ext = S(".jpg");
    Task.IncludeNameExt = true;
    Run();
    EXPECT_EQ(Stored().keys(), (QStringList{S("photo.jpg"), S("report.final.jpg")}));
    EXPECT_EQ(Stored().value(S("photo.jpg")), Sha(S("photo.jpg")));

    Exec(S("DELETE FROM t"));
    Task.Ext = S("jpg");
    Task.IncludeNameExt = false;
    Run();
    EXPECT_EQ(Stored().keys(), (QStringList{S("photo"), S("report")}));

    Exec(S("DELETE FROM t"));
    Task.Ext.clear();
    Run();
    EXPECT_EQ(Stored().size(), 5);
}

TEST_F(LobImporter, NumberKeys)
{
    Exec(S("CREATE TABLE t (name BIGINT PRIMARY KEY, body BLOB)"));
    for (const char* name : {"2021_05.txt", "12.5.txt", "-7.bin", "9223372036854775807", "abc.txt",
                             "9223372036854775808.txt", "_.txt"})
        Write(name);
    for (const bool withExt : {false, true}) {
        Exec(S("DELETE FROM t"));
        Task.IncludeNameExt = withExt;   // makes no difference for numbers
        Run();
        EXPECT_EQ(Stored(), (QMap<QString, QString>{{S("202105"), Sha(S("2021_05.txt"))},
                                                   {S("12"), Sha(S("12.5.txt"))},
                                                   {S("-7"), Sha(S("-7.bin"))},
                                                   {S("9223372036854775807"), Sha(S("9223372036854775807"))}}));
        EXPECT_EQ(Importer->Status().Succeeded, 4);
        EXPECT_EQ(Importer->Status().Errors, 3);
        EXPECT_EQ(Errors, (QStringList{InPath(S("9223372036854775808.txt")) + S("\r\n") + KeyError(S("9223372036854775808")),
                                       InPath(S("_.txt")) + S("\r\n") + KeyError(S("")),
                                       InPath(S("abc.txt")) + S("\r\n") + KeyError(S("abc"))}));
    }
}

TEST_F(LobImporter, DateKeysDetectedFromTheFirstKeyThatHasAFormat)
{
    Exec(S("CREATE TABLE t (name DATETIME PRIMARY KEY, body BLOB)"));
    // In listing order: no format yet; the format found, though no such day
    // (the format stays); keys in it; a key of another format.
    for (const char* name : {"!nodate.txt", "2021-02-29 01:02:03.txt", "2021-03-04 10:20:30.txt",
                             "2021-03-05 08:00:00.bin", "2021-03-06.txt", "2021-03-07 08:00:00.x.y", "zz.txt"})
        Write(name);
    Run();
    EXPECT_FALSE(Importer->DateFormat().isEmpty());
    EXPECT_EQ(Stored(), (QMap<QString, QString>{{S("2021-03-04 10:20:30"), Sha(S("2021-03-04 10:20:30.txt"))},
                                               {S("2021-03-05 08:00:00"), Sha(S("2021-03-05 08:00:00.bin"))},
                                               {S("2021-03-07 08:00:00"), Sha(S("2021-03-07 08:00:00.x.y"))}}));
    ASSERT_EQ(Errors.size(), 4);
    EXPECT_EQ(Errors[0], InPath(S("!nodate.txt")) + S("\r\n") + KeyError(S("!nodate")));
    // The run's format, but no such day: the date's own error.
    EXPECT_TRUE(Errors[1].startsWith(InPath(S("2021-02-29 01:02:03.txt")) + S("\r\n")));
    EXPECT_FALSE(Errors[1].contains(S("can not insert"))) << Errors[1].toStdString();
    EXPECT_EQ(Errors[2], InPath(S("2021-03-06.txt")) + S("\r\n") + KeyError(S("2021-03-06")));
    EXPECT_EQ(Errors[3], InPath(S("zz.txt")) + S("\r\n") + KeyError(S("zz")));

    // A DATE column takes the date alone.
    Exec(S("DROP TABLE t"));
    Exec(S("CREATE TABLE t (name DATE PRIMARY KEY, body BLOB)"));
    QDir(In.path()).removeRecursively();
    QDir().mkpath(In.path());
    Write("2022-12-31.txt");
    Write("2023-01-01.txt");
    Run();
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(S("\n")).toStdString();
    EXPECT_EQ(Stored().keys(), (QStringList{S("2022-12-31"), S("2023-01-01")}));
}

TEST_F(LobImporter, UpdateByKeyWithTheFolderColumnLeftOutWhenItIsTheKey)
{
    Exec(S("CREATE TABLE t (name VARCHAR(20) PRIMARY KEY, body LONGBLOB)"));
    Exec(S("INSERT INTO t VALUES ('one', 'old'), ('two', 'old'), ('other', 'kept')"));
    Write(S("one.bin"), EveryByte(5000));
    Write("two.txt");
    Write("missing.txt");   // no such row: nothing changes, yet it succeeded
    Task.ImportType = TImportType::Update;
    Task.FolderField = S("name");
    Run();
    EXPECT_EQ(Importer->Query().SQL(), S("update `%1`.`t` set `body` = :p2 where `name` = :p1").arg(Database));
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(Importer->Status().Succeeded, 3);
    EXPECT_EQ(Stored(), (QMap<QString, QString>{{S("one"), Sha(S("one.bin"))},
                                               {S("two"), Sha(S("two.txt"))},
                                               {S("other"), Scalar(S("select SHA2('kept', 256)"))}}));

    // The folder column in an update.
    Exec(S("ALTER TABLE t ADD dir VARCHAR(200)"));
    Task.FolderField = S("dir");
    Run();
    EXPECT_EQ(Importer->Query().SQL(),
              S("update `%1`.`t` set `body` = :p2,`dir` = :p3 where `name` = :p1").arg(Database));
    EXPECT_EQ(Scalar(S("select count(*) from t where dir = '%1/'").arg(In.path())), S("2"));
}

TEST_F(LobImporter, TooBigFileGetsTheHintAndTheRunGoesOn)
{
    Exec(S("CREATE TABLE t (name VARCHAR(8) PRIMARY KEY, body BLOB)"));
    Write("a.txt");
    Write(S("b.bin"), EveryByte(70000));   // a BLOB holds 65535 bytes
    Write("c.txt");
    Write("farTooLongKey.txt");
    Run();
    EXPECT_EQ(Stored().keys(), (QStringList{S("a"), S("c")}));
    ASSERT_EQ(Errors.size(), 2);
    EXPECT_TRUE(Errors[0].startsWith(InPath(S("b.bin")) + S("\r\n") + TLobImporter::OversizeHint + S("\r\n\r\n")))
        << Errors[0].toStdString();
    EXPECT_TRUE(Errors[0].contains(S("Data too long")));
    // A too long key is no too big file.
    EXPECT_FALSE(Errors[1].contains(TLobImporter::OversizeHint)) << Errors[1].toStdString();
    EXPECT_TRUE(Errors[1].startsWith(InPath(S("farTooLongKey.txt")) + S("\r\n")));
}

TEST_F(LobImporter, MissingTableEndsTheRunBeforeAnyFile)
{
    Write("a.txt");
    bool started = false;
    TLobImporter importer;
    importer.SetImportSession(&Task);
    importer.Status().OnStart = [&](TConvertStatus&) { started = true; };
    EXPECT_THROW(importer.Convert(), EUniError);
    EXPECT_FALSE(started);

    Exec(S("CREATE TABLE t (name VARCHAR(8), other BLOB)"));
    EXPECT_THROW(importer.Convert(), EUniError);   // no column body
    EXPECT_FALSE(started);
    EXPECT_EQ(Scalar(S("select count(*) from t")), S("0"));
}

TEST_F(LobImporter, EmptyOrMissingFolderImportsNothing)
{
    Exec(S("CREATE TABLE t (name VARCHAR(8), body BLOB)"));
    Write("a.txt");
    for (const QString& folder : {QString(), InPath(S("none"))}) {
        Task.LoadFolder = folder;
        Run();
        EXPECT_EQ(Importer->Status().Total, 0);
        EXPECT_TRUE(Errors.isEmpty());
    }
    EXPECT_EQ(Scalar(S("select count(*) from t")), S("0"));
}

TEST_F(LobImporter, StopAfterThreeFiles)
{
    Exec(S("CREATE TABLE t (name VARCHAR(8), body BLOB)"));
    for (int i = 0; i < 10; ++i)
        Write(S("f%1.txt").arg(i), QByteArray::number(i));
    TLobImporter importer;
    importer.SetImportSession(&Task);
    importer.Status().OnProgress = [&](TConvertStatus& status) {
        if (status.Succeeded == 3)
            importer.Stop();
    };
    EXPECT_TRUE(importer.Convert());
    EXPECT_EQ(importer.Status().Total, 10);
    EXPECT_EQ(importer.Status().Succeeded, 3);
    EXPECT_EQ(Stored().keys(), (QStringList{S("f0"), S("f1"), S("f2")}));
}
