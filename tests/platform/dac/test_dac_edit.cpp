#include "DacTestSupport.h"

#include "platform/dac/UDataSource.h"
#include "platform/dac/UFieldDataLink.h"
#include "platform/dac/UUniError.h"
#include "platform/dac/UUniScript.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

using namespace dactest;

namespace {

// A query as the data window opens it: FetchRows 15, rows read on demand.
std::unique_ptr<TUniQuery> PagedQuery(TUniConnection& connection, const QString& sql)
{
    auto query = std::make_unique<TUniQuery>();
    query->SetConnection(&connection);
    query->SetFetchRows(15);
    query->SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
    query->SetSQL(sql);
    return query;
}

// Counts the rows a data set announces as read after its open.
struct TFetchProbe : TDataLink {
    qint64 First = -1;
    qint64 Count = 0;
    void RowsFetched(qint64 first, qint64 count) override
    {
        if (First < 0)
            First = first;
        Count += count;
    }
};

}  // namespace

class DataSetEdit : public DacTest {
protected:
    void MakeRows(int count)
    {
        Connection->ExecSQL(QStringLiteral("create table t (id int primary key, v varchar(20), b blob)"));
        Connection->ExecSQL(QStringLiteral("insert into t select seq, concat('row ', seq), repeat(char(65 + seq % 26), 2000) "
                                           "from seq_1_to_%1").arg(count));
    }
};

TEST_F(DataSetEdit, MovesKeepRowsAsTheyAreRead)
{
    MakeRows(40);
    auto query = PagedQuery(*Connection, QStringLiteral("select id, v from t order by id"));
    query->Open();
    EXPECT_TRUE(query->Bof());
    EXPECT_FALSE(query->Eof());
    EXPECT_EQ(query->RecNo(), 1);
    EXPECT_EQ(query->KeptRowCount(), 15);
    struct Step {
        const char* Move;
        qint64 RecNo;
        bool Bof;
        bool Eof;
        qint64 Kept;
    } steps[] = {
        {"prior", 1, true, false, 15},   {"next", 2, false, false, 15},  {"by13", 15, false, false, 15},
        {"next", 16, false, false, 30},  {"first", 1, true, false, 30},  {"by39", 40, false, false, 40},
        {"next", 40, false, true, 40},   {"next", 40, false, true, 40},  {"prior", 39, false, false, 40},
        {"last", 40, false, true, 40},
    };
    for (const Step& step : steps) {
        const QString move = QString::fromLatin1(step.Move);
        if (move == QLatin1String("next"))
            query->Next();
        else if (move == QLatin1String("prior"))
            query->Prior();
        else if (move == QLatin1String("first"))
            query->First();
        else if (move == QLatin1String("last"))
            query->Last();
        else
            query->MoveBy(move.mid(2).toInt());
        SCOPED_TRACE(step.Move);
        EXPECT_EQ(query->RecNo(), step.RecNo);
        EXPECT_EQ(query->Bof(), step.Bof);
        EXPECT_EQ(query->Eof(), step.Eof);
        EXPECT_EQ(query->KeptRowCount(), step.Kept);
        EXPECT_EQ(query->FieldByName(QStringLiteral("id"))->AsLargeInt(), step.RecNo);
    }
}

TEST_F(DataSetEdit, EditPostAndCancel)
{
    MakeRows(3);
    auto query = PagedQuery(*Connection, QStringLiteral("select id, v from t order by id"));
    query->Open();
    ASSERT_TRUE(query->CanModify());
    query->Edit();
    query->FieldByName(QStringLiteral("v"))->SetAsString(QStringLiteral("changed"));
    query->Cancel();
    EXPECT_EQ(query->FieldByName(QStringLiteral("v"))->AsString(), QStringLiteral("row 1"));
    query->Edit();
    query->FieldByName(QStringLiteral("v"))->SetAsString(QStringLiteral("changed"));
    query->Next();   // leaving the row posts it
    EXPECT_EQ(Scalar(QStringLiteral("select v from t where id = 1")), QStringLiteral("changed"));
}

TEST_F(DataSetEdit, AnotherStatementDrainsThePartlyReadResult)
{
    MakeRows(100);
    auto query = PagedQuery(*Connection, QStringLiteral("select id, v, b from t order by id"));
    TDataSource source;
    source.SetDataSet(query.get());
    TFetchProbe link;
    link.SetDataSource(&source);
    query->Open();
    query->MoveBy(3);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from t")), QStringLiteral("100"));
    EXPECT_EQ(query->KeptRowCount(), 100);
    EXPECT_EQ(link.First, 15);
    EXPECT_EQ(link.Count, 85);
    EXPECT_EQ(query->RecNo(), 4);
    EXPECT_EQ(query->FieldByName(QStringLiteral("id"))->AsLargeInt(), 4);
    // Every kept row byte for byte, the large values read back from the spill file.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (query->First(); !query->Eof(); query->Next())
        hash.addData(query->FieldByName(QStringLiteral("b"))->AsBytes());
    EXPECT_EQ(QString::fromLatin1(hash.result().toHex()),
              Scalar(QStringLiteral("select sha2(group_concat(b order by id separator ''), 256) from t")));
}

TEST_F(DataSetEdit, CloseWithRowsLeftDoesNotDrain)
{
    MakeRows(2000);
    auto query = PagedQuery(*Connection, QStringLiteral("select id, v, b from t order by id"));
    TDataSource source;
    source.SetDataSet(query.get());
    TFetchProbe link;
    link.SetDataSource(&source);
    query->Open();
    query->Close();
    EXPECT_EQ(link.Count, 0);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from t")), QStringLiteral("2000"));
    query->Open();
    query->Refresh();   // re-running closes early too
    EXPECT_EQ(link.Count, 0);
    EXPECT_EQ(query->KeptRowCount(), 15);
}

TEST_F(DataSetEdit, CanModifyOnlyWithOneTablesWholeKey)
{
    Connection->ExecSQL(QStringLiteral("create table p (id int primary key, v varchar(10))"));
    Connection->ExecSQL(QStringLiteral("create table c (a int, b int, v varchar(10), primary key (a, b))"));
    Connection->ExecSQL(QStringLiteral("create table u (x int not null, v varchar(10), unique key (x))"));
    Connection->ExecSQL(QStringLiteral("create table n (x int null, v varchar(10), unique key (x))"));
    Connection->ExecSQL(QStringLiteral("create table k (v varchar(10))"));
    Connection->ExecSQL(QStringLiteral("create table w (id int primary key, l varchar(10) character set latin1, "
                                       "m varchar(10) character set utf8mb4)"));
    Connection->ExecSQL(QStringLiteral("create table wk (k varchar(10) character set utf8mb4 primary key, v int)"));
    Connection->ExecSQL(QStringLiteral("create table `q'b``t` (id int primary key, v varchar(10))"));
    Connection->ExecSQL(QStringLiteral("create view pv as select id, v from p"));
    struct Case {
        const char* Sql;
        bool Unicode;
        bool CanModify;
        const char* ReadOnlyFields;   // comma-separated
    } cases[] = {
        {"select id, v from p", true, true, ""},
        {"select v from p", true, false, ""},
        {"select a, v from c", true, false, ""},
        {"select b, a, v from c", true, true, ""},
        {"select x, v from u", true, true, ""},
        {"select x, v from n", true, false, ""},
        {"select v from k", true, false, ""},
        {"select p.id, p.v, k.v as kv from p join k", true, true, "kv"},
        {"select id, concat(v, 'x') as e, v from p", true, true, "e"},
        {"select z.id as i, z.v as w from p z", true, true, ""},
        {"select id, v from pv", true, false, ""},
        {"select id, l, m from w", false, true, "m"},
        {"select id, l, m from w", true, true, ""},
        {"select k, v from wk", false, false, ""},   // a key that arrived with "?" names no row
        {"select k, v from wk", true, true, ""},
        {"select id, v from `q'b``t`", true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Sql);
        auto connection = NewConnection(c.Unicode);
        connection->Connect();
        connection->SetDatabase(Database);
        auto query = PagedQuery(*connection, QString::fromLatin1(c.Sql));
        query->Open();
        EXPECT_EQ(query->CanModify(), c.CanModify);
        if (!c.CanModify)
            continue;
        const QStringList readOnly = QString::fromLatin1(c.ReadOnlyFields).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (int i = 0; i < query->FieldCount(); ++i)
            EXPECT_EQ(query->Fields(i)->ReadOnly(), readOnly.contains(query->Fields(i)->FieldName()))
                << query->Fields(i)->FieldName().toStdString();
    }
}

TEST_F(DataSetEdit, CatalogueIsReadAgainAfterAStatementOtherThanSelect)
{
    Connection->ExecSQL(QStringLiteral("create table t (id int, v varchar(10))"));
    auto query = PagedQuery(*Connection, QStringLiteral("select id, v from t"));
    query->Open();
    EXPECT_FALSE(query->CanModify());
    Connection->ExecSQL(QStringLiteral("alter table t add primary key (id)"));
    query->Refresh();
    EXPECT_TRUE(query->CanModify());
}

class DataSetRoundTrip : public DataSetEdit {
protected:
    void SetUp() override
    {
        DataSetEdit::SetUp();
        Connection->ExecSQL(QStringLiteral("create table r (id int auto_increment primary key, k varchar(10) not null, "
                                           "b longblob, t text, unique key (k))"));
    }
    QString ServerSha(int id) { return Scalar(QStringLiteral("select sha2(b, 256) from r where id = %1").arg(id)); }
    static QString Sha(const QByteArray& bytes)
    {
        return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }
};

TEST_F(DataSetRoundTrip, ValuesKeepEveryByte)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    struct Case {
        const char* Name;
        QByteArray Value;
        bool Null;
    } cases[] = {{"null", {}, true}, {"empty", QByteArray(""), false}, {"all bytes", all, false},
                 {"all bytes x 100", all.repeated(100), false}};
    Connection->ExecSQL(QStringLiteral("insert into r (k) values ('a')"));
    auto query = PagedQuery(*Connection, QStringLiteral("select id, k, b from r"));
    query->Open();
    TField* b = query->FieldByName(QStringLiteral("b"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        query->Edit();
        if (c.Null)
            b->Clear();
        else
            b->SetAsBytes(c.Value);
        query->Post();
        if (c.Null) {
            EXPECT_EQ(Scalar(QStringLiteral("select b is null from r")), QStringLiteral("1"));
            EXPECT_TRUE(b->IsNull());
        } else {
            EXPECT_EQ(ServerSha(1), Sha(c.Value));
            EXPECT_EQ(b->AsBytes(), c.Value);
            EXPECT_EQ(b->DataSize(), c.Value.size());
        }
    }
}

TEST_F(DataSetRoundTrip, LargeFileStreamsThroughTheSpillFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.bin"));
    const QByteArray digest = vqtest::WritePatternFile(path, 64);
    ASSERT_FALSE(digest.isEmpty());
    Connection->ExecSQL(QStringLiteral("insert into r (k) values ('a')"));
    auto query = PagedQuery(*Connection, QStringLiteral("select id, k, b from r"));
    query->Open();
    query->Edit();
    query->FieldByName(QStringLiteral("b"))->LoadFromFile(path);
    EXPECT_EQ(query->FieldByName(QStringLiteral("b"))->DataSize(), 64 << 20);
    query->Post();
    const QString sha = QString::fromLatin1(digest.toHex());
    EXPECT_EQ(ServerSha(1), sha);
    // Read back and saved as a file, through a reader in pieces.
    query->Refresh();
    const QString saved = dir.filePath(QStringLiteral("saved.bin"));
    query->FieldByName(QStringLiteral("b"))->SaveToFile(saved);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QCryptographicHash back(QCryptographicHash::Sha256);
    back.addData(&file);
    EXPECT_EQ(QString::fromLatin1(back.result().toHex()), sha);
    auto reader = query->FieldByName(QStringLiteral("b"))->CreateReader();
    EXPECT_EQ(reader->size(), 64 << 20);
    ASSERT_TRUE(reader->seek(3 << 20));
    const QByteArray piece = reader->read(4);
    ASSERT_EQ(piece.size(), 4);
    EXPECT_EQ(piece[1], char((3 * 31 + 1 * 7) & 0xFF));
}

TEST_F(DataSetRoundTrip, KeysInsertsAndDeletes)
{
    Connection->ExecSQL(QStringLiteral("insert into r (k, t) values ('a', 'x'), ('b', 'y')"));
    auto query = PagedQuery(*Connection, QStringLiteral("select id, k, t from r order by id"));
    query->Open();
    // A changed key: the row is found by the key as it was read.
    query->Edit();
    query->FieldByName(QStringLiteral("id"))->SetAsString(QStringLiteral("10"));
    query->Post();
    query->Edit();
    query->FieldByName(QStringLiteral("t"))->SetAsString(QStringLiteral("after"));
    query->Post();
    EXPECT_EQ(Scalar(QStringLiteral("select t from r where id = 10")), QStringLiteral("after"));
    // An insert before the current row; the auto-increment key is filled in,
    // so the new row can be edited again.
    query->Next();
    query->Insert();
    EXPECT_EQ(query->RecNo(), 2);
    query->FieldByName(QStringLiteral("k"))->SetAsString(QStringLiteral("new"));
    query->Post();
    const QString id = query->FieldByName(QStringLiteral("id"))->AsString();
    EXPECT_EQ(id, Scalar(QStringLiteral("select id from r where k = 'new'")));
    query->Edit();
    query->FieldByName(QStringLiteral("t"))->SetAsString(QStringLiteral("again"));
    query->Post();
    EXPECT_EQ(Scalar(QStringLiteral("select t from r where k = 'new'")), QStringLiteral("again"));
    // A cancelled insert leaves nothing behind.
    query->Insert();
    query->Cancel();
    EXPECT_EQ(query->KeptRowCount(), 3);
    EXPECT_EQ(query->FieldByName(QStringLiteral("k"))->AsString(), QStringLiteral("new"));
    query->Delete();
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from r")), QStringLiteral("2"));
    EXPECT_EQ(query->KeptRowCount(), 2);
    EXPECT_EQ(query->FieldByName(QStringLiteral("k"))->AsString(), QStringLiteral("b"));
    // Unchanged values still count as the row found.
    query->Edit();
    query->FieldByName(QStringLiteral("k"))->SetAsString(QStringLiteral("b"));
    EXPECT_NO_THROW(query->Post());
}

TEST_F(DataSetRoundTrip, UpdateErrorsKeepTheRowAndItsValues)
{
    Connection->ExecSQL(QStringLiteral("insert into r (k) values ('a'), ('b')"));
    auto query = PagedQuery(*Connection, QStringLiteral("select id, k from r order by id"));
    query->Open();
    QList<TUpdateKind> kinds;
    TUpdateAction answer = uaFail;
    query->SetOnUpdateError([&](TUniDataSet*, const Exception&, TUpdateKind kind, TUpdateAction& action) {
        kinds << kind;
        action = answer;
    });
    // A duplicate key, answered fail and then abort.
    for (TUpdateAction action : {uaFail, uaAbort}) {
        answer = action;
        query->Edit();
        query->FieldByName(QStringLiteral("k"))->SetAsString(QStringLiteral("b"));
        if (action == uaFail)
            EXPECT_THROW(query->Post(), EUniError);
        else
            EXPECT_THROW(query->Post(), EAbort);
        EXPECT_EQ(query->State(), dsEdit);
        EXPECT_EQ(query->FieldByName(QStringLiteral("k"))->AsString(), QStringLiteral("b"));
        query->Cancel();
    }
    // A row deleted by another session before Post.
    auto other = NewConnection();
    other->Connect();
    other->SetDatabase(Database);
    other->ExecSQL(QStringLiteral("delete from r where k = 'a'"));
    answer = uaFail;
    query->Edit();
    query->FieldByName(QStringLiteral("k"))->SetAsString(QStringLiteral("c"));
    try {
        query->Post();
        ADD_FAILURE() << "Post of a deleted row passed";
    } catch (const EUniError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("The row was not found: it was changed or deleted since it was read."));
    }
    EXPECT_EQ(query->State(), dsEdit);
    query->Cancel();
    EXPECT_THROW(query->Delete(), EUniError);
    EXPECT_EQ((kinds), (QList<TUpdateKind>{ukModify, ukModify, ukModify, ukDelete}));
}

TEST_F(DataSetEdit, ValueOverTheColumnWidthIsRefusedWhenSet)
{
    Connection->ExecSQL(QStringLiteral("create table f (id int primary key, b binary(4), c varchar(3))"));
    Connection->ExecSQL(QStringLiteral("insert into f values (1, 'abcd', 'abc')"));
    auto query = PagedQuery(*Connection, QStringLiteral("select id, b, c from f"));
    query->Open();
    query->Edit();
    EXPECT_THROW(query->FieldByName(QStringLiteral("b"))->SetAsBytes("12345"), EUniError);
    EXPECT_NO_THROW(query->FieldByName(QStringLiteral("b"))->SetAsBytes("1234"));
    // Characters, not bytes, for character columns.
    EXPECT_NO_THROW(query->FieldByName(QStringLiteral("c"))->SetAsString(QStringLiteral("äöü")));
    EXPECT_THROW(query->FieldByName(QStringLiteral("c"))->SetAsString(QStringLiteral("äöüx")), EUniError);
    query->Post();
    EXPECT_EQ(Scalar(QStringLiteral("select concat(hex(b), c) from f")), QStringLiteral("31323334äöü"));
}

TEST_F(DataSetEdit, DataLinksFollowTheDataSet)
{
    MakeRows(3);
    auto query = PagedQuery(*Connection, QStringLiteral("select id, v from t order by id"));
    TDataSource source;
    source.SetDataSet(query.get());
    struct TProbe {
        TFieldDataLink Link;
        int Changes = 0;
        int Updates = 0;
        QString Pending;
    };
    TProbe first, second;
    for (TProbe* probe : {&first, &second}) {
        probe->Link.SetFieldName(QStringLiteral("v"));
        probe->Link.SetDataSource(&source);
        probe->Link.SetOnDataChange([probe] { ++probe->Changes; });
        probe->Link.SetOnUpdateData([probe] {
            ++probe->Updates;
            probe->Link.Field()->SetAsString(probe->Pending);
        });
    }
    EXPECT_EQ(first.Link.Field(), nullptr);
    query->Open();
    ASSERT_NE(first.Link.Field(), nullptr);
    EXPECT_EQ(first.Link.Field()->AsString(), QStringLiteral("row 1"));
    const int before = first.Changes;
    query->Next();
    EXPECT_GT(first.Changes, before);
    // Edit through one link; Post runs only the modified link's hook.
    EXPECT_TRUE(first.Link.Edit());
    EXPECT_TRUE(second.Link.Editing());
    first.Pending = QStringLiteral("typed");
    first.Link.SetModified();
    query->Post();
    EXPECT_EQ(first.Updates, 1);
    EXPECT_EQ(second.Updates, 0);
    EXPECT_FALSE(first.Link.Modified());
    EXPECT_EQ(Scalar(QStringLiteral("select v from t where id = 2")), QStringLiteral("typed"));
    // Cancel forgets the pending edit and shows the value again.
    first.Link.Edit();
    first.Link.SetModified();
    const int beforeCancel = second.Changes;
    query->Cancel();
    EXPECT_FALSE(first.Link.Editing());
    EXPECT_GT(second.Changes, beforeCancel);
    EXPECT_EQ(first.Updates, 1);
    // A read-only link does not edit.
    second.Link.SetReadOnly(true);
    EXPECT_FALSE(second.Link.Edit());
    EXPECT_EQ(query->State(), dsBrowse);
    query->Close();
    EXPECT_EQ(first.Link.Field(), nullptr);
    query->Open();
    EXPECT_EQ(first.Link.Field(), query->FieldByName(QStringLiteral("v")));
}

namespace {

// Every value of the tables as "table/id/column" = value ("<null>" for NULL).
QMap<QString, QString> Snapshot(TUniConnection& connection, const QStringList& tables)
{
    QMap<QString, QString> values;
    for (const QString& table : tables) {
        TUniQuery query;
        query.SetConnection(&connection);
        query.SetReadOnly(true);
        query.SetSQL(QStringLiteral("select * from ") + table);
        query.Open();
        for (; !query.Eof(); query.Next()) {
            const QString id = query.FieldByName(QStringLiteral("id"))->AsString();
            for (int i = 0; i < query.FieldCount(); ++i) {
                const TField* field = query.Fields(i);
                values[table + QLatin1Char('/') + id + QLatin1Char('/') + field->FieldName()] =
                    field->IsNull() ? QStringLiteral("<null>") : field->AsString();
            }
        }
    }
    return values;
}

}  // namespace

TEST_F(DataSetEdit, JoinsWriteOnlyThroughTheAliasOfTheKey)
{
    Connection->ExecSQL(QStringLiteral("create table t (id int primary key, parent int, name varchar(10), body text)"));
    Connection->ExecSQL(QStringLiteral("create table o (id int primary key, note varchar(10))"));
    struct Edit {
        const char* Field;
        const char* Table;
        const char* Column;
        const char* KeyField;   // the result column that holds the written row's id
    };
    struct Case {
        const char* Sql;
        const char* Editable;   // comma-separated
        std::vector<Edit> Edits;
    } cases[] = {
        {"select a.id, a.name, b.name as bname, b.body as bbody from t a join t b on b.id = a.parent order by a.id",
         "id,name",
         {{"name", "t", "name", "id"}}},
        {"select a.name as aname, b.id, b.name, b.body from t a join t b on b.id = a.parent order by a.id",
         "id,name,body",
         {{"name", "t", "name", "id"}, {"body", "t", "body", "id"}}},
        {"select a.id, a.name, b.id as bid, b.name as bname from t a join t b on b.id = a.parent order by a.id",
         "id,name",
         {{"name", "t", "name", "id"}}},
        {"select b.name as bname, a.body, a.id from t a join t b on b.id = a.parent order by a.id",
         "body,id",
         {{"body", "t", "body", "id"}}},
        {"select t.id, t.name, o.note from t join o on o.id = t.id order by t.id",
         "id,name",
         {{"name", "t", "name", "id"}}},
        {"select o.note, t.name, t.id from o join t on t.id = o.id order by o.id",
         "name,id",
         {{"name", "t", "name", "id"}}},
        {"select o.id as oid, o.note, t.name from o join t on t.id = o.id order by o.id",
         "oid,note",
         {{"note", "o", "note", "oid"}}},
    };
    const QStringList tables = {QStringLiteral("t"), QStringLiteral("o")};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Sql);
        Connection->ExecSQL(QStringLiteral("delete from t"));
        Connection->ExecSQL(QStringLiteral("delete from o"));
        Connection->ExecSQL(QStringLiteral("insert into t values (1, 2, 'one', 'body 1'), (2, 3, 'two', 'body 2'),"
                                           " (3, 1, 'three', 'body 3')"));
        Connection->ExecSQL(QStringLiteral("insert into o values (1, 'note 1'), (2, 'note 2'), (3, 'note 3')"));
        auto query = PagedQuery(*Connection, QString::fromLatin1(c.Sql));
        query->Open();
        ASSERT_TRUE(query->CanModify());
        const QStringList editable = QString::fromLatin1(c.Editable).split(QLatin1Char(','));
        for (int i = 0; i < query->FieldCount(); ++i) {
            const TField* field = query->Fields(i);
            EXPECT_EQ(field->CanModify(), editable.contains(field->FieldName())) << field->FieldName().toStdString();
            EXPECT_EQ(field->ReadOnly(), !editable.contains(field->FieldName())) << field->FieldName().toStdString();
        }
        for (int i = 0; i < query->FieldCount(); ++i) {
            TField* field = query->Fields(i);
            if (!field->ReadOnly())
                continue;
            query->Edit();
            EXPECT_THROW(field->SetAsString(QStringLiteral("never")), EUniError) << field->FieldName().toStdString();
            query->Cancel();
        }
        for (const Edit& e : c.Edits) {
            SCOPED_TRACE(e.Field);
            query->Next();   // the second row: its key differs from its partner's
            QMap<QString, QString> expected = Snapshot(*Connection, tables);
            const QString id = query->FieldByName(QLatin1String(e.KeyField))->AsString();
            const QString value = QStringLiteral("E ") + QLatin1String(e.Field);
            expected[QLatin1String(e.Table) + QLatin1Char('/') + id + QLatin1Char('/') + QLatin1String(e.Column)] = value;
            query->Edit();
            query->FieldByName(QLatin1String(e.Field))->SetAsString(value);
            query->Post();
            EXPECT_EQ(Snapshot(*Connection, tables), expected);
            query->First();
        }
    }
}

TEST_F(DataSetEdit, AKeptPlanIsMadeAgainWhenAnotherClientChangedTheColumns)
{
    struct Case {
        const char* Sql;
        const char* Alter;      // statements split at ";"
        const char* Field;      // edited after the change
        const char* Column;     // where the edit must land
    } cases[] = {
        {"select * from r", "alter table r modify b varchar(10) after id", "b", "b"},
        {"select * from r", "alter table r change b c varchar(10)", "c", "c"},
        {"select * from r",
         "alter table r change a b2 varchar(10); alter table r change b a varchar(10); "
         "alter table r change b2 b varchar(10)",
         "a", "a"},
        {"select a, b, id from r", "alter table r modify b varchar(10) after id", "b", "b"},
    };
    auto other = NewConnection();
    other->Connect();
    other->SetDatabase(Database);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Alter);
        Connection->ExecSQL(QStringLiteral("drop table if exists r"));
        Connection->ExecSQL(QStringLiteral("create table r (id int primary key, a varchar(10), b varchar(10))"));
        Connection->ExecSQL(QStringLiteral("insert into r values (1, 'a1', 'b1'), (2, 'a2', 'b2')"));
        auto query = PagedQuery(*Connection, QString::fromLatin1(c.Sql));
        query->Open();
        ASSERT_TRUE(query->CanModify());
        query->Close();

        for (const QString& alter : QString::fromLatin1(c.Alter).split(QLatin1Char(';')))
            other->ExecSQL(alter);
        const QStringList tables = {QStringLiteral("r")};
        QMap<QString, QString> expected = Snapshot(*other, tables);
        expected[QStringLiteral("r/2/") + QLatin1String(c.Column)] = QStringLiteral("new");

        query->Open();
        ASSERT_TRUE(query->CanModify());
        query->Next();
        query->Edit();
        query->FieldByName(QLatin1String(c.Field))->SetAsString(QStringLiteral("new"));
        query->Post();
        EXPECT_EQ(Snapshot(*other, tables), expected);
    }
}

TEST_F(DataSetEdit, AKeptPlanIsMadeAgainWhenAnotherClientChangedAWidthOrAKey)
{
    auto other = NewConnection();
    other->Connect();
    other->SetDatabase(Database);
    const auto run = [&](const QString& alter, const std::function<void(TUniQuery&)>& edit) {
        Connection->ExecSQL(QStringLiteral("drop table if exists r"));
        Connection->ExecSQL(QStringLiteral("create table r (id int primary key, a varchar(10), b varchar(10))"));
        Connection->ExecSQL(QStringLiteral("insert into r values (1, 'a1', 'b1'), (2, 'a2', 'b2')"));
        auto query = PagedQuery(*Connection, QStringLiteral("select * from r"));
        query->Open();
        ASSERT_TRUE(query->CanModify());
        query->Close();
        for (const QString& statement : alter.split(QLatin1Char(';')))
            other->ExecSQL(statement);
        query->Open();
        ASSERT_TRUE(query->CanModify());
        edit(*query);
    };
    const auto rows = [&] { return Scalar(QStringLiteral("select group_concat(id, a, b order by a) from r")); };

    // A narrower column: the old width would let a value through that the
    // server cuts or refuses.
    run(QStringLiteral("alter table r modify b varchar(3)"), [](TUniQuery& query) {
        query.Next();
        query.Edit();
        EXPECT_THROW(query.FieldByName(QStringLiteral("b"))->SetAsString(QStringLiteral("four")), EUniError);
        query.Cancel();
    });
    EXPECT_EQ(rows(), QStringLiteral("1a1b1,2a2b2"));

    // Another key: id now repeats, so a write by id would reach the first
    // row of id 2, not the one edited.
    run(QStringLiteral("alter table r drop primary key, add primary key (a); insert into r values (2, 'a3', 'b3')"),
        [](TUniQuery& query) {
            query.Next();
            query.Next();
            ASSERT_EQ(query.FieldByName(QStringLiteral("a"))->AsString(), QStringLiteral("a3"));
            query.Edit();
            query.FieldByName(QStringLiteral("b"))->SetAsString(QStringLiteral("new"));
            query.Post();
        });
    EXPECT_EQ(rows(), QStringLiteral("1a1b1,2a2b2,2a3new"));
}
