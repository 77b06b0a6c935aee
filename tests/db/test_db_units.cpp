// Routines and classes of database access that need no server.
#include "DBTestUtil.h"
#include "base/UException.h"
#include "db/UDBUtil.h"
#include "db/UMysqlDBHelper.h"
#include "db/UNameValueList.h"
#include "platform/dac/UUniConnection.h"

#include <gtest/gtest.h>

using dbtest::S;

TEST(NameValueList, LookupIgnoresCaseAndTakesTheFirstEntry)
{
    TNameValueList list;
    list.Add(S("Id"), S("int"));
    list.Add(S("ID"), S("bigint"));
    list.Add(S("a=b"), S("x=y"));
    EXPECT_EQ(list.Value(S("id")), S("int"));
    EXPECT_EQ(list.Value(S("a=b")), S("x=y")) << "a name may hold \"=\"";
    EXPECT_EQ(list.Value(S("missing")), QString());

    list.SetValue(S("iD"), S("text"));
    EXPECT_EQ(list.Strings(), (QStringList{S("Id=text"), S("ID=bigint"), S("a=b=x=y")}));
    list.SetValue(S("new"), S("v"));
    EXPECT_EQ(list.Names(list.Count() - 1), S("new")) << "a new name is appended";

    list.SetValue(S("ID"), QString());
    EXPECT_EQ(list.Value(S("id")), S("bigint")) << "the empty text removes only the first entry";
    list.SetValue(S("absent"), QString());
    EXPECT_EQ(list.Count(), 3);
}

TEST(NameValueList, FlagsAreMinusOneAndZero)
{
    TNameValueList list;
    list.SetFlag(S("a"), true);
    list.SetFlag(S("b"), false);
    EXPECT_EQ(list.Strings(), (QStringList{S("a=-1"), S("b=0")}));

    const struct {
        const char* text;
        bool flag;
    } cases[] = {{"-1", true}, {"1", true}, {"42", true}, {"True", true}, {"TRUE", true}, {"0", false},
                 {"", false},  {"yes", false}, {"False", false}, {"1x", false}};
    for (const auto& c : cases)
        EXPECT_EQ(TNameValueList::IsTrueFlag(S(c.text)), c.flag) << c.text;
    EXPECT_FALSE(list.Flag(S("missing")));
}

TEST(NameValueList, ReadsLinesAtTheFirstEquals)
{
    const TNameValueList list = TNameValueList::FromStrings({S("a=1"), S("b=x=y"), S("c")});
    EXPECT_EQ(list.Value(S("b")), S("x=y"));
    EXPECT_TRUE(list.Contains(S("C")));
    EXPECT_EQ(list.Strings(), (QStringList{S("a=1"), S("b=x=y"), S("c=")}));
}

TEST(DBUtil, TypeWordsProviderNamesAndClassNames)
{
    const struct {
        const char* name;
        const char* kind;
    } kinds[] = {
        {"Mysql", "Mysql"},          {"MySQL", "Mysql"},         {"mysql and sqlite", "Mysql"},
        {"Microsoft SQL SERVER", "MsSql"}, {"PostgreSQL", "Postgres"}, {"SQLite", "Sqlite"},
        {"dbf files", "DBF"},         {"Oracle", "Oracle"},      {"", ""},
    };
    for (const auto& c : kinds)
        EXPECT_EQ(DBKindOfProvider(S(c.name)), S(c.kind)) << c.name;

    const struct {
        const char* word;
        const char* display;
    } displays[] = {{"MsSql", "SQL Server"}, {"Mysql", "MySQL"}, {"Postgres", "PostgreSQL"},
                    {"Sqlite", "SQLite"},     {"DBF", "DBF"},     {"Oracle", "Oracle"}};
    for (const auto& c : displays)
        EXPECT_EQ(DBDisplayName(S(c.word)), S(c.display)) << c.word;

    EXPECT_EQ(DBClassName(S("Mysql"), S("DBDictionary")), S("UMysqlDBDictionary.TMysqlDBDictionary"));
    EXPECT_EQ(DBClassName(S("MySQL"), S("DBHelper")), S("UMysqlDBHelper.TMysqlDBHelper"));
    EXPECT_EQ(DBClassName(S("Oracle"), S("LogonForm")), S("UOracleLogonForm.TOracleLogonForm"));

    const struct {
        const char* word;
        const char* component;
    } providers[] = {{"Mysql", "MySQLUniProvider"},   {"MySQL", "MySQLUniProvider"},
                     {"MsSql", "SQLServerUniProvider"}, {"Postgres", "PostgreSQLUniProvider"},
                     {"Sqlite", "SQLiteUniProvider"},  {"DBF", "DBFUniProvider"}};
    for (const auto& c : providers)
        EXPECT_EQ(DBProviderComponentName(S(c.word)), S(c.component)) << c.word;
    EXPECT_EQ(DBProviderClassName(S("Mysql")), S("MySQLUniProvider.TMySQLUniProvider"));
}

TEST(DBUtil, ConnectionDisplayTextLeavesOutEmptyParts)
{
    const struct {
        const char* user;
        const char* server;
        int port;
        const char* database;
        const char* text;
    } cases[] = {
        {"root", "db.example", 3307, "", "root@db.example:3307"},
        {"", "db.example", 0, "shop", "db.example:shop"},
        {"", "", 0, "", ""},
        {"u", "", 0, "", "u@"},
        {"u", "h", 3306, "d", "u@h:3306:d"},
    };
    for (const auto& c : cases) {
        TUniConnection connection;
        connection.SetUsername(S(c.user));
        connection.SetServer(S(c.server));
        connection.SetPort(c.port);
        connection.SetDatabase(S(c.database));
        EXPECT_EQ(ConnectionDisplayText(connection), S(c.text)) << c.text;
    }
}

TEST(DBUtil, NumericFieldTypes)
{
    for (TFieldType type : {ftSmallint, ftInteger, ftWord, ftFloat, ftCurrency, ftBCD, ftAutoInc, ftLargeint, ftShortint})
        EXPECT_TRUE(IsNumericFieldType(type)) << FieldTypeName(type).toStdString();
    for (TFieldType type : {ftFMTBcd, ftLongWord, ftByte, ftExtended, ftString, ftBoolean, ftBlob, ftDateTime, ftSingle})
        EXPECT_FALSE(IsNumericFieldType(type)) << FieldTypeName(type).toStdString();
}

TEST(MysqlDialect, QuotingLeavesNoWayOutOfTheQuotes)
{
    const TMysqlDBHelper helper;
    const struct {
        const char* name;
        const char* quoted;
    } cases[] = {
        {"abc", "`abc`"},
        {"", "``"},
        {"a b", "`a b`"},
        {"a`b", "`a``b`"},              // an inner backtick is doubled
        {"`abc`", "`abc`"},             // already quoted: unchanged
        {"`a``b`", "`a``b`"},
        {"``", "``"},
        {"`a`b`", "```a``b```"},        // not well-formed: quoted as a name
        {"`abc", "```abc`"},
        {"abc`", "`abc```"},
        {"`", "````"},
        {"x` ; drop table t; -- ", "`x`` ; drop table t; -- `"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(helper.QuoteIdentifier(S(c.name)), S(c.quoted)) << c.name;
}

TEST(MysqlDialect, QualifiedNameTrimsBeforeQuoting)
{
    const TMysqlDBHelper helper;
    EXPECT_EQ(helper.QualifiedName(S(" shop\t"), S("\r\norders ")), S("`shop`.`orders`"));
    EXPECT_EQ(helper.QualifiedName(S("  "), S("orders")), S("`orders`"));
    EXPECT_EQ(helper.QualifiedName(QString(), S("a`b")), S("`a``b`"));
}

TEST(MysqlDialect, CatalogueNamesAreQuotedExactlyAsTheyStand)
{
    const TMysqlDBHelper helper;
    const struct {
        const char* name;
        const char* quoted;
    } cases[] = {
        {" victim", "` victim`"},      // a leading blank is part of the name
        {"victim", "`victim`"},
        {"`q`", "```q```"},            // backticks in the name, not quotes around it
        {"a``b", "`a````b`"},
        {"a@b", "`a@b`"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(helper.QuoteCatalogueName(S(c.name)), S(c.quoted)) << c.name;
    EXPECT_EQ(helper.CatalogueQualifiedName(S("shop"), S(" victim")), S("`shop`.` victim`"));
    EXPECT_EQ(helper.CatalogueQualifiedName(QString(), S("`q`")), S("```q```"));
    EXPECT_EQ(helper.CatalogueQualifiedName(S(" "), S("t")), S("`t`"));
}

TEST(MysqlDialect, MadeNamesAreQuotedOnlyWhenTheyNeedIt)
{
    const TMysqlDBHelper helper;
    const struct {
        const char* name;
        const char* written;
    } cases[] = {
        {"pk_Orders", "pk_Orders"},
        {"ix_$a_1", "ix_$a_1"},
        {"pk_a@b", "`pk_a@b`"},
        {"1ix", "`1ix`"},              // a leading digit
        {"ix-a", "`ix-a`"},
        {"ix`a", "`ix``a`"},
        {"`ix`", "```ix```"},          // backticks of the name, read from the catalogue
        {"ix_\u00e9", "`ix_\u00e9`"},     // a letter outside ASCII
    };
    for (const auto& c : cases)
        EXPECT_EQ(helper.QuoteNameWhenNeeded(S(c.name)), S(c.written)) << c.name;
}

namespace {

// A dialect that needs a date function and does not name it.
class TNeedsDateHelper : public TDBHelper {
public:
    QString GetUpsertSql(const QString&, const QString&, const QString&, const QStringList&,
                         const QStringList&) const override
    {
        return QString();
    }
    bool NeedsStringToDate() const override { return NeedsDate; }
    bool NeedsDate = true;
};

}  // namespace

TEST(Dialect, GenericAnswers)
{
    TNeedsDateHelper generic;
    EXPECT_EQ(generic.QuoteIdentifier(S("a`b c")), S("a`b c"));
    EXPECT_EQ(generic.QualifiedName(S(" s "), S(" t ")), S("s.t"));
    EXPECT_EQ(generic.CatalogueQualifiedName(S("s"), S(" t")), S("s. t"));
    EXPECT_EQ(generic.QuoteNameWhenNeeded(S("a@b")), S("a@b"));
    EXPECT_EQ(generic.EscapeLiteral(S("it's a \\ 'x'")), S("it''s a \\ ''x''"));
    EXPECT_EQ(generic.GetParamName(S("p"), S("ignored")), S(":p"));
    EXPECT_EQ(generic.GetParamPlaceholder(S("p"), S("ignored")), S(":p"));
    EXPECT_EQ(generic.AddLimit(S("select 1"), 5), S("select 1"));
    EXPECT_EQ(generic.GetNowSql(), QString());
    EXPECT_EQ(generic.GetBlobTypeName(), S("BLOB"));
    EXPECT_EQ(generic.GetLongTextTypeName(), S("CLOB"));
    EXPECT_TRUE(generic.IsSingleSelect(S("select (select 1)")));
    TNameValueList types;
    types.Add(S("a"), S("varchar(30000)"));
    generic.AdjustColumnTypes(types);
    EXPECT_EQ(types.Value(S("a")), S("varchar(30000)"));

    try {
        generic.GetStringToDateFunction();
        FAIL() << "a dialect that needs the function must supply it";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), S("Class: TNeedsDateHelper Should implement GetStringToDateFunction"));
    }
    generic.NeedsDate = false;
    EXPECT_EQ(generic.GetStringToDateFunction(), QString());
}

TEST(MysqlDialect, FixedAnswersAndEscaping)
{
    const TMysqlDBHelper helper;
    EXPECT_EQ(helper.EscapeLiteral(S("\\'")), S("\\\\\\'"));
    EXPECT_EQ(helper.EscapeLiteral(S("it's")), S("it\\'s"));
    EXPECT_EQ(helper.GetStringToDateFunction(), S("str_to_date"));
    EXPECT_EQ(helper.GetNowSql(), S("select now()"));
    EXPECT_EQ(helper.AddLimit(S("select * from t "), 10), S("select * from t  limit 10"));
    EXPECT_EQ(helper.GetBlobTypeName(), S("BLOB"));
    EXPECT_EQ(helper.GetClobTypeName(), S("TEXT"));
    EXPECT_EQ(helper.GetLongTextTypeName(), S("TEXT"));
    EXPECT_EQ(helper.GetParamPlaceholder(S("id"), QString()), S(":id"));
}

TEST(MysqlDialect, UpsertStatement)
{
    const TMysqlDBHelper helper;
    EXPECT_EQ(helper.GetUpsertSql(S("db"), S("t"), S("id"), {S("id"), S("a"), S("b")}, {S("1"), S("2"), S("3")}),
              S("INSERT INTO `db`.`t` (`id`,`a`,`b`)\r\nVALUES (1,2,3)\r\nON DUPLICATE KEY UPDATE `a`=2,`b`=3"));
    EXPECT_EQ(helper.GetUpsertSql(S(""), S("t"), S("id"), {S("a"), S("b"), S("id")}, {S(":a"), S(":b"), S(":id")}),
              S("INSERT INTO `t` (`a`,`b`,`id`)\r\nVALUES (:a,:b,:id)\r\nON DUPLICATE KEY UPDATE `a`=:a,`b`=:b"));
    EXPECT_EQ(helper.GetUpsertSql(S("db"), S("t"), S("id"), {S("id")}, {S("7")}),
              S("INSERT INTO `db`.`t` (`id`)\r\nVALUES (7)\r\nON DUPLICATE KEY UPDATE "));
    EXPECT_EQ(helper.GetUpsertSql(S("db"), S("t"), S("id"), {S("ID"), S("x")}, {S("1"), S("2")}),
              S("INSERT INTO `db`.`t` (`ID`,`x`)\r\nVALUES (1,2)\r\nON DUPLICATE KEY UPDATE `ID`=1,`x`=2"))
        << "the key comparison is case-sensitive";
}

TEST(MysqlDialect, SingleSelectCountsEveryOccurrence)
{
    const TMysqlDBHelper helper;
    EXPECT_TRUE(helper.IsSingleSelect(S("SELECT * FROM t")));
    EXPECT_TRUE(helper.IsSingleSelect(S("show tables")));
    EXPECT_FALSE(helper.IsSingleSelect(S("select * from t where id in (select id from u)")));
    EXPECT_FALSE(helper.IsSingleSelect(S("select selected from t")));
}

TEST(MysqlDialect, RowSizeRuleWidensOnlyAboveTheLimit)
{
    const TMysqlDBHelper helper;
    TNameValueList wide = TNameValueList::FromStrings(
        {S("a=varchar(10001)"), S("b=nvarchar(10001)"), S("c=varchar(1)"), S("d=int")});
    helper.AdjustColumnTypes(wide);
    EXPECT_EQ(wide.Strings(), (QStringList{S("a=text"), S("b=text"), S("c=varchar(1)"), S("d=int")}));

    TNameValueList exact = TNameValueList::FromStrings({S("a=varchar(10000)"), S("b=varchar(10000)")});
    helper.AdjustColumnTypes(exact);
    EXPECT_EQ(exact.Strings(), (QStringList{S("a=varchar(10000)"), S("b=varchar(10000)")}));

    TNameValueList upper = TNameValueList::FromStrings(
        {S("a=VARCHAR(300)"), S("b=VARCHAR(250)"), S("c=varchar(19500)")});
    helper.AdjustColumnTypes(upper);
    EXPECT_EQ(upper.Strings(), (QStringList{S("a=text"), S("b=VARCHAR(250)"), S("c=text")}));
}

TEST(MysqlDialect, RowSizeRuleRaisesForAVarcharWithoutWidth)
{
    const TMysqlDBHelper helper;
    for (const char* type : {"varchar", "varchar(max)"}) {
        TNameValueList list = TNameValueList::FromStrings({S("a=varchar(30000)"), S("b=") + S(type)});
        EXPECT_THROW(helper.AdjustColumnTypes(list), EConvertError) << type;
        EXPECT_EQ(list.Value(S("a")), S("varchar(30000)")) << "nothing changes when the sum cannot be taken";
    }
}
