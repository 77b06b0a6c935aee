#include "DacTestSupport.h"

#include "platform/dac/UUniError.h"

using namespace dactest;

namespace {

struct TypeCase {
    const char* Column;
    TFieldType Narrow;
    TFieldType Wide;
};

const TypeCase TypeCases[] = {
    {"tinyint", ftShortint, ftShortint},
    {"tinyint unsigned", ftSmallint, ftSmallint},
    {"smallint", ftSmallint, ftSmallint},
    {"smallint unsigned", ftInteger, ftInteger},
    {"mediumint", ftInteger, ftInteger},
    {"int", ftInteger, ftInteger},
    {"int unsigned", ftLargeint, ftLargeint},
    {"bigint", ftLargeint, ftLargeint},
    {"year", ftSmallint, ftSmallint},
    {"decimal(10,2)", ftBCD, ftBCD},
    {"numeric(5,0)", ftBCD, ftBCD},
    {"float", ftFloat, ftFloat},
    {"double", ftFloat, ftFloat},
    {"date", ftDate, ftDate},
    {"time", ftTime, ftTime},
    {"datetime", ftDateTime, ftDateTime},
    {"timestamp null", ftDateTime, ftDateTime},
    {"char(5)", ftFixedChar, ftWideString},
    {"varchar(20)", ftString, ftWideString},
    {"enum('a','b')", ftString, ftWideString},
    {"set('a','b')", ftString, ftWideString},
    {"binary(4)", ftBytes, ftBytes},
    {"varbinary(10)", ftVarBytes, ftVarBytes},
    {"bit(8)", ftVarBytes, ftVarBytes},
    {"tinytext", ftMemo, ftWideMemo},
    {"text", ftMemo, ftWideMemo},
    {"mediumtext", ftMemo, ftWideMemo},
    {"longtext", ftMemo, ftWideMemo},
    {"json", ftMemo, ftWideMemo},
    {"tinyblob", ftBlob, ftBlob},
    {"blob", ftBlob, ftBlob},
    {"mediumblob", ftBlob, ftBlob},
    {"longblob", ftBlob, ftBlob},
    {"geometry", ftBlob, ftBlob},
};

}  // namespace

using TypeTableTest = DacCharsetTest;

TEST_P(TypeTableTest, EveryColumnTypeMapsToItsFieldType)
{
    QStringList columns;
    for (size_t i = 0; i < std::size(TypeCases); ++i)
        columns.append(QStringLiteral("c%1 %2").arg(i).arg(QLatin1String(TypeCases[i].Column)));
    Connection->ExecSQL(QStringLiteral("create table t (%1)").arg(columns.join(QStringLiteral(", "))));
    // Both protocols: text (no parameters) and prepared (a parameter).
    for (const QString& sql : {QStringLiteral("select * from t"), QStringLiteral("select * from t where 1 = :one")}) {
        auto query = NewQuery(sql);
        if (query->Params().Count())
            query->ParamByName(QStringLiteral("one"))->SetAsInteger(1);
        query->Open();
        ASSERT_EQ(query->FieldCount(), int(std::size(TypeCases)));
        for (size_t i = 0; i < std::size(TypeCases); ++i) {
            const TFieldType expected = GetParam() ? TypeCases[i].Wide : TypeCases[i].Narrow;
            EXPECT_EQ(FieldTypeName(query->Fields(int(i))->DataType()), FieldTypeName(expected))
                << TypeCases[i].Column << " in " << sql.toStdString();
        }
        // Also without running: prepare-only metadata.
        const std::vector<TUniColumn> defs = NewQuery(sql)->GetFieldDefs();
        ASSERT_EQ(defs.size(), std::size(TypeCases));
        for (size_t i = 0; i < defs.size(); ++i)
            EXPECT_EQ(defs[i].DataType, GetParam() ? TypeCases[i].Wide : TypeCases[i].Narrow) << TypeCases[i].Column;
    }
}

INSTANTIATE_TEST_SUITE_P(UseUnicode, TypeTableTest, ::testing::Bool());

using UniQuery = DacTest;

TEST_F(UniQuery, ValuesAsServerTextInBothProtocols)
{
    Connection->ExecSQL(QStringLiteral(
        "create table t (i int, d decimal(10,2), f double, dt date, tm time, ts datetime(3), "
        "s varchar(10), b varbinary(4), n int)"));
    Connection->ExecSQL(QStringLiteral(
        "insert into t values (-42, 12.5, 1.5, '2024-01-02', '03:04:05', '2024-01-02 03:04:05.678', "
        "'abc', x'00ff10', null)"));
    for (const QString& sql : {QStringLiteral("select * from t"), QStringLiteral("select * from t where i = :i")}) {
        auto query = NewQuery(sql);
        if (query->Params().Count())
            query->ParamByName(QStringLiteral("i"))->SetAsInteger(-42);
        query->Open();
        ASSERT_FALSE(query->Eof()) << sql.toStdString();
        EXPECT_EQ(query->FieldByName(QStringLiteral("i"))->AsInteger(), -42);
        EXPECT_EQ(query->FieldByName(QStringLiteral("d"))->AsString(), QStringLiteral("12.50"));
        EXPECT_EQ(query->FieldByName(QStringLiteral("f"))->AsFloat(), 1.5);
        EXPECT_EQ(query->FieldByName(QStringLiteral("dt"))->AsString(), QStringLiteral("2024-01-02"));
        EXPECT_EQ(query->FieldByName(QStringLiteral("tm"))->AsString(), QStringLiteral("03:04:05"));
        EXPECT_EQ(query->FieldByName(QStringLiteral("ts"))->AsString(), QStringLiteral("2024-01-02 03:04:05.678"));
        EXPECT_EQ(query->FieldByName(QStringLiteral("ts"))->AsDateTime(),
                  QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 678)));
        EXPECT_EQ(query->FieldByName(QStringLiteral("S"))->AsString(), QStringLiteral("abc"));
        EXPECT_EQ(query->FieldByName(QStringLiteral("b"))->AsBytes(), QByteArray("\x00\xff\x10", 3));
        EXPECT_TRUE(query->FieldByName(QStringLiteral("n"))->IsNull());
        EXPECT_FALSE(query->FieldByName(QStringLiteral("s"))->IsNull());
        EXPECT_EQ(query->FindField(QStringLiteral("missing")), nullptr);
        EXPECT_THROW(query->FieldByName(QStringLiteral("missing")), EUniError);
    }
}

TEST_F(UniQuery, NamedParametersWithBlanksAndColonsInColumnNames)
{
    Connection->ExecSQL(QStringLiteral(
        "create table `my table` (`my col` varchar(20) primary key, `a:b` int, `lob` blob, `when` datetime)"));
    // The statement the importer builds: quoted columns, bare names after ":".
    auto insert = NewQuery(QStringLiteral(
        "insert into `my table` (`my col`,`lob`,`a:b`,`when`) values (:my col,:lob,:a:b,:when)"));
    ASSERT_EQ(insert->Params().Count(), 4);
    EXPECT_EQ(insert->Params().Items(0)->Name(), QStringLiteral("my col"));
    EXPECT_EQ(insert->Params().Items(2)->Name(), QStringLiteral("a:b"));
    for (int i = 1; i <= 3; ++i) {
        insert->ParamByName(QStringLiteral("my col"))->SetAsString(QStringLiteral("key %1").arg(i));
        insert->ParamByName(QStringLiteral("LOB"))->SetAsBytes(QByteArray(i, char(i)));
        insert->ParamByName(QStringLiteral("a:b"))->SetAsInteger(i * 10);
        insert->ParamByName(QStringLiteral("when"))->SetAsDateTime(QDateTime(QDate(2021, 5, i), QTime(6, 7, 8)));
        insert->Execute();
        EXPECT_EQ(insert->RowsAffected(), 1);
    }
    EXPECT_TRUE(insert->Prepared());   // one preparation for every row

    auto update = NewQuery(QStringLiteral(
        "update `my table` set `lob` = :lob,`a:b` = :a:b where `my col` = :my col"));
    update->ParamByName(QStringLiteral("lob"))->Clear();
    update->ParamByName(QStringLiteral("a:b"))->SetAsInteger(99);
    update->ParamByName(QStringLiteral("my col"))->SetAsString(QStringLiteral("key 2"));
    update->Execute();
    EXPECT_EQ(update->RowsAffected(), 1);

    auto select = NewQuery(QStringLiteral(
        "select `a:b`, `lob` is null, `when` from `my table` where `my col` = :my col"));
    select->ParamByName(QStringLiteral("my col"))->SetAsString(QStringLiteral("key 2"));
    select->Open();
    ASSERT_FALSE(select->Eof());
    EXPECT_EQ(select->Fields(0)->AsInteger(), 99);
    EXPECT_EQ(select->Fields(1)->AsInteger(), 1);
    EXPECT_EQ(select->Fields(2)->AsString(), QStringLiteral("2021-05-02 06:07:08"));
    EXPECT_THROW(select->ParamByName(QStringLiteral("nope")), EUniError);
}

TEST_F(UniQuery, StreamingReadOfTenThousandRows)
{
    Connection->ExecSQL(QStringLiteral("create table t (id int primary key, v varchar(20))"));
    Connection->ExecSQL(QStringLiteral("insert into t select seq, concat('row ', seq) from seq_1_to_10000"));
    auto query = NewQuery(QStringLiteral("select id, v from t order by id"));
    query->SetUniDirectional(true);
    query->SetFetchRows(1);
    query->SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
    query->Open();
    EXPECT_EQ(query->RecordCount(), -1);   // not counted
    TField* id = query->FieldByName(QStringLiteral("id"));
    TField* v = query->FieldByName(QStringLiteral("v"));
    qint64 rows = 0;
    qint64 sum = 0;
    bool inOrder = true;
    while (!query->Eof()) {
        ++rows;
        inOrder = inOrder && id->AsLargeInt() == rows && v->AsString() == QStringLiteral("row %1").arg(rows)
            && query->RecNo() == rows;
        sum += id->AsLargeInt();
        query->Next();
    }
    EXPECT_EQ(rows, 10000);
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(sum, 10000LL * 10001 / 2);
    EXPECT_THROW(query->Prior(), EUniError);
    // The line is free again at the end.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from t")), QStringLiteral("10000"));
}

TEST_F(UniQuery, CountRunsBeforeTheStatementAndAFailedCountIsNone)
{
    Connection->ExecSQL(QStringLiteral("create table t (id int)"));
    Connection->ExecSQL(QStringLiteral("insert into t select seq from seq_1_to_1234"));
    struct Case {
        QString Sql;
        qint64 Count;
        qint64 Rows;
    } cases[] = {
        {QStringLiteral("select * from t;"), 1234, 1234},
        {QStringLiteral("select * from t where id > :min -- a comment at the end"), 1000, 1000},
        {QStringLiteral("select * from t where id < 0"), 0, 0},
        // Duplicate names are fine in a result but not in a derived table:
        // the count fails, the statement runs.
        {QStringLiteral("select id, id from t"), -1, 1234},
    };
    for (const Case& c : cases) {
        auto query = NewQuery(c.Sql);
        if (TParam* min = query->FindParam(QStringLiteral("min")))
            min->SetAsInteger(234);
        query->Options().QueryRecCount = true;
        query->SetUniDirectional(true);
        query->Open();
        EXPECT_EQ(query->RecordCount(), c.Count) << c.Sql.toStdString();
        qint64 rows = 0;
        for (; !query->Eof(); query->Next())
            ++rows;
        EXPECT_EQ(rows, c.Rows) << c.Sql.toStdString();
    }
}

TEST_F(UniQuery, OtherStatementWhileAResultIsPartlyRead)
{
    Connection->ExecSQL(QStringLiteral("create table t (id int primary key)"));
    Connection->ExecSQL(QStringLiteral("insert into t select seq from seq_1_to_100"));
    auto partial = NewQuery(QStringLiteral("select id from t order by id"));
    partial->SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
    partial->SetFetchRows(15);
    partial->Open();
    EXPECT_EQ(partial->RecordCount(), 15);   // read so far
    partial->Next();
    partial->Next();
    EXPECT_EQ(partial->Fields(0)->AsInteger(), 3);
    // Another statement reads the rest into the first query's rows.
    EXPECT_EQ(Scalar(QStringLiteral("select max(id) from t")), QStringLiteral("100"));
    EXPECT_EQ(partial->RecordCount(), 100);
    EXPECT_EQ(partial->Fields(0)->AsInteger(), 3);
    int rows = 2;
    for (; !partial->Eof(); partial->Next())
        ++rows;
    EXPECT_EQ(rows, 100);
    partial->First();
    EXPECT_EQ(partial->Fields(0)->AsInteger(), 1);
    partial->Last();
    EXPECT_EQ(partial->Fields(0)->AsInteger(), 100);
    partial->Prior();
    EXPECT_EQ(partial->Fields(0)->AsInteger(), 99);

    // A unidirectional result holds the line: others get a clear error.
    auto streaming = NewQuery(QStringLiteral("select id from t order by id"));
    streaming->SetUniDirectional(true);
    streaming->Open();
    try {
        Scalar(QStringLiteral("select 1"));
        FAIL() << "a statement ran while a unidirectional result was open";
    } catch (const EUniError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("unidirectional"))) << e.what();
    }
    EXPECT_EQ(streaming->Fields(0)->AsInteger(), 1);
    streaming->Next();
    EXPECT_EQ(streaming->Fields(0)->AsInteger(), 2);
    streaming->Close();
    EXPECT_EQ(Scalar(QStringLiteral("select 1")), QStringLiteral("1"));
}

TEST_F(UniQuery, EarlyCloseStopsTheStatementWithKillQuery)
{
    auto status = NewConnection();
    status->Connect();
    const QString killsSql = QStringLiteral("select variable_value from information_schema.global_status "
                                            "where variable_name = 'COM_KILL'");
    const qint64 killsBefore = dactest::Scalar(*status, killsSql).toLongLong();
    // A billion rows: reading them away would take minutes.
    for (bool uniDirectional : {true, false}) {
        auto query = NewQuery(QStringLiteral("select seq, repeat('x', 100) from seq_1_to_1000000000"));
        query->SetUniDirectional(uniDirectional);
        query->SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
        query->Open();
        for (int i = 0; i < 5; ++i)
            query->Next();
        EXPECT_EQ(query->Fields(0)->AsInteger(), 6);
        query->Close();
        EXPECT_EQ(Scalar(QStringLiteral("select 'usable'")), QStringLiteral("usable"));
    }
    EXPECT_GE(dactest::Scalar(*status, killsSql).toLongLong() - killsBefore, 2);
    // A short result is read away without a kill.
    auto small = NewQuery(QStringLiteral("select seq from seq_1_to_10"));
    small->SetUniDirectional(true);
    small->Open();
    small->Close();
    EXPECT_EQ(Scalar(QStringLiteral("select 2")), QStringLiteral("2"));
}

TEST_F(UniQuery, PrepareOnlyMetadataRunsNothing)
{
    Connection->ExecSQL(QStringLiteral("create table src (a int, b text)"));
    Connection->ExecSQL(QStringLiteral("create table dst (a int, b text)"));
    Connection->ExecSQL(QStringLiteral("insert into src values (1, 'x'), (2, 'y')"));
    auto insert = NewQuery(QStringLiteral("insert into dst select * from src"));
    EXPECT_TRUE(insert->GetFieldDefs().empty());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from dst")), QStringLiteral("0"));

    auto select = NewQuery(QStringLiteral("select b, a + 1 as next from src where a = :a"));
    const std::vector<TUniColumn> defs = select->GetFieldDefs();
    ASSERT_EQ(defs.size(), 2u);
    EXPECT_EQ(defs[0].Name, QStringLiteral("b"));
    EXPECT_EQ(defs[0].DataType, ftWideMemo);
    EXPECT_EQ(defs[1].Name, QStringLiteral("next"));
    EXPECT_FALSE(select->Active());

    EXPECT_THROW(NewQuery(QStringLiteral("select * from no_such_table"))->GetFieldDefs(), EUniError);
}

TEST_F(UniQuery, ServerErrorsCarryMessageCodeAndState)
{
    auto query = NewQuery(QStringLiteral("select * from no_such_table"));
    try {
        query->Open();
        FAIL();
    } catch (const EUniError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Table '%1.no_such_table' doesn't exist").arg(Database));
        EXPECT_EQ(e.ErrorCode(), 1146);
        EXPECT_EQ(e.SqlState(), QStringLiteral("42S02"));
    }
    EXPECT_FALSE(query->Active());
    // The prepared path reports the same way.
    auto prepared = NewQuery(QStringLiteral("select * from no_such_table where a = :a"));
    prepared->ParamByName(QStringLiteral("a"))->SetAsInteger(1);
    EXPECT_THROW(prepared->Open(), EUniError);
    EXPECT_EQ(Scalar(QStringLiteral("select 1")), QStringLiteral("1"));
}
