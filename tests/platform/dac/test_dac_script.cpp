#include "DacTestSupport.h"

#include "platform/dac/UUniError.h"
#include "platform/dac/UUniMetaData.h"
#include "platform/dac/UUniScript.h"

using namespace dactest;

using UniScript = DacTest;

TEST_F(UniScript, RunsStatementsInOrderAndHandsOnTheLastRows)
{
    auto dataSet = NewQuery();
    dataSet->SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
    dataSet->SetFetchRows(15);
    TUniScript script;
    script.SetConnection(Connection.get());
    script.SetDataSet(dataSet.get());
    script.SetSQL(QStringLiteral(
        "create table t (a int, note varchar(10) default ':x');\n"
        "create index i on t (a);\n"
        "insert into t (a) select seq from seq_1_to_40;\n"
        "select a, note from t order by a;\n"
        "insert into t (a) values (100);\n"));
    script.Execute();
    // A later statement closed the rows of the select early.
    EXPECT_FALSE(dataSet->Active());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from t")), QStringLiteral("41"));

    script.SetSQL(QStringLiteral("insert into t (a) values (101);\nselect a, note from t order by a;\n"));
    script.Execute();
    ASSERT_TRUE(dataSet->Active());
    EXPECT_EQ(dataSet->SQL(), QStringLiteral("select a, note from t order by a"));
    EXPECT_EQ(dataSet->Fields(1)->AsString(), QStringLiteral(":x"));
    int rows = 0;
    for (; !dataSet->Eof(); dataSet->Next())
        ++rows;
    EXPECT_EQ(rows, 42);
    // Nothing ran twice.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from t")), QStringLiteral("42"));

    script.SetSQL(QStringLiteral("insert into t (a) values (102)"));
    script.Execute();
    EXPECT_FALSE(dataSet->Active());   // no statement returned rows
}

TEST_F(UniScript, ErrorActions)
{
    Connection->ExecSQL(QStringLiteral("create table t (a int primary key)"));
    const QString sql = QStringLiteral("insert into t values (1);\ninsert into t values (1);\ninsert into t values (2);");
    struct Case {
        TErrorAction Action;
        bool Raises;
        const char* Rows;
    } cases[] = {{eaContinue, false, "2"}, {eaAbort, false, "1"}, {eaFail, true, "1"}, {eaException, true, "1"}};
    for (const Case& c : cases) {
        Connection->ExecSQL(QStringLiteral("delete from t"));
        TUniScript script;
        script.SetConnection(Connection.get());
        script.SetSQL(sql);
        QStringList seen;
        script.SetOnError([&](TUniScript*, const Exception& error, const QString& statement, TErrorAction& action) {
            seen << error.Message() << statement;
            action = c.Action;
        });
        if (c.Raises) {
            EXPECT_THROW(script.Execute(), EUniError);
        } else {
            EXPECT_NO_THROW(script.Execute());
        }
        EXPECT_EQ(Scalar(QStringLiteral("select count(*) from t")), QLatin1String(c.Rows)) << int(c.Action);
        EXPECT_EQ(seen, QStringList({QStringLiteral("Duplicate entry '1' for key 'PRIMARY'"),
                                     QStringLiteral("insert into t values (1)")}));
    }
    // A handler's own exception leaves the script; the first change remains.
    Connection->ExecSQL(QStringLiteral("delete from t"));
    TUniScript script;
    script.SetConnection(Connection.get());
    script.SetSQL(sql);
    script.SetOnError([](TUniScript*, const Exception& error, const QString&, TErrorAction& action) {
        action = eaAbort;
        throw Exception(error.Message());
    });
    EXPECT_THROW(script.Execute(), Exception);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from t")), QStringLiteral("1"));
}

using UniMetaData = DacTest;

TEST_F(UniMetaData, CatalogueReadsInTableAndIndexOrder)
{
    const QString odd = QStringLiteral("we'ird`name");
    Connection->ExecSQL(QStringLiteral(
        "create table `we'ird``name` (`z` int not null, `y` decimal(10,2) default 1.50, `x` varchar(30), "
        "primary key (`y`, `z`), unique key `u` (`x`, `z`), key `k` (`z`))"));
    Connection->ExecSQL(QStringLiteral("create table `plain` (a int)"));
    Connection->ExecSQL(QStringLiteral("create view `v` as select a from `plain`"));

    auto read = [&](const QString& kind, const QStringList& restrictions, const QStringList& columns) {
        TUniMetaData meta;
        meta.SetConnection(Connection.get());
        meta.SetMetaDataKind(kind);
        meta.Restrictions().SetText(restrictions);
        meta.Open();
        QStringList rows;
        for (; !meta.Eof(); meta.Next()) {
            QStringList values;
            for (const QString& column : columns)
                values << meta.FieldByName(column)->AsString();
            rows << values.join(QLatin1Char('|'));
        }
        return rows;
    };
    const QString schema = QStringLiteral("TABLE_SCHEMA=") + Database;
    const QString table = QStringLiteral("TABLE_NAME=") + odd;
    EXPECT_EQ(read(QStringLiteral("Tables"), {schema, QStringLiteral("TABLE_TYPE=BASE TABLE")}, {"TABLE_NAME"}),
              QStringList({QStringLiteral("plain"), odd}));
    EXPECT_EQ(read(QStringLiteral("Tables"), {QStringLiteral("TABLE_CATALOG=") + Database, QStringLiteral("TABLE_TYPE=VIEW")},
                   {"TABLE_NAME", "TABLE_TYPE"}),
              QStringList({QStringLiteral("v|VIEW")}));
    EXPECT_EQ(read(QStringLiteral("Columns"), {schema, table},
                   {"COLUMN_NAME", "POSITION", "DATA_TYPE", "DATA_LENGTH", "DATA_PRECISION", "DATA_SCALE", "NULLABLE"}),
              QStringList({QStringLiteral("z|1|int||10|0|0"),
                           QStringLiteral("y|2|decimal||10|2|0"), QStringLiteral("x|3|varchar|30|||1")}));
    EXPECT_EQ(read(QStringLiteral("Indexes"), {schema, table}, {"INDEX_NAME", "UNIQUE"}),
              QStringList({QStringLiteral("PRIMARY|1"), QStringLiteral("k|0"), QStringLiteral("u|1")}));
    EXPECT_EQ(read(QStringLiteral("IndexColumns"), {schema, table}, {"INDEX_NAME", "COLUMN_NAME", "COLUMN_POSITION"}),
              QStringList({QStringLiteral("PRIMARY|y|1"), QStringLiteral("PRIMARY|z|2"), QStringLiteral("k|z|1"),
                           QStringLiteral("u|x|1"), QStringLiteral("u|z|2")}));
    // Without a schema the current database is read.
    EXPECT_EQ(read(QStringLiteral("Tables"), {QStringLiteral("TABLE_TYPE=VIEW")}, {"TABLE_NAME"}),
              QStringList({QStringLiteral("v")}));
    EXPECT_THROW(read(QStringLiteral("Procedures"), {}, {}), EUniError);
}
