// The table creator: names, scripts and their run on the test MariaDB.
#include "DBTestUtil.h"
#include "settings/UQuenmarelSettings.h"
#include "db/UDBImportSettings.h"
#include "db/UDBObjectFactory.h"
#include "db/UMysqlDBClassInit.h"
#include "db/UMysqlTableCreator.h"
#include "db/UTableInfo.h"
#include "db/UUniSqlExecutor.h"
#include "platform/dac/DacTestSupport.h"

#include <QFile>
#include <QSet>
#include <utility>
#include <gtest/gtest.h>

namespace {

using dbtest::S;

struct ColumnSpec {
    const char* name;
    const char* type;
    bool primaryKey = false;
    bool autoIncrement = false;
    const char* defaultValue = "";
};

TTableInfo MakeInfo(const char* schema, const char* table, std::initializer_list<ColumnSpec> columns)
{
    TTableInfo info;
    info.Schema = S(schema);
    info.TableName = S(table);
    for (const ColumnSpec& c : columns) {
        const QString name = S(c.name);
        info.Columns << name;
        info.FieldTypes.SetValue(name, S(c.type));
        info.PrimaryKeys.SetFlag(name, c.primaryKey);
        info.AutoIncrements.SetFlag(name, c.autoIncrement);
        info.NotNulls.SetFlag(name, false);
        info.DefaultValues.SetValue(name, S(c.defaultValue));
    }
    return info;
}

void AddIndex(TTableInfo& info, const char* name, const char* columns, const char* kind)
{
    info.IndexColumns.SetValue(S(name), S(columns));
    info.IndexTypes.SetValue(S(name), S(kind));
}

// The example of an orders table: key, auto increment, a unique index.
TTableInfo OrdersInfo(const char* schema)
{
    TTableInfo info = MakeInfo(schema, "Orders",
                               {{"id", "int", true, true}, {"name", "varchar(50)"},
                                {"created", "timestamp", false, false, "anything"}});
    AddIndex(info, "ix_name", "name", "UNIQUE");
    return info;
}

QString Generated(TTableCreator& creator, TTableInfo& info)
{
    creator.SetTableInfo(&info);
    creator.Generate(&info);
    return creator.GetScript();
}

}  // namespace

TEST(TableCreator, TheOrdersExampleByteForByte)
{
    TMysqlTableCreator creator;
    TTableInfo info = OrdersInfo("shop");
    EXPECT_EQ(Generated(creator, info),
              S("create table `shop`.`Orders` (\r\n"
                "`id` int not null  AUTO_INCREMENT,\r\n"
                "`name` varchar(50) not null ,\r\n"
                "`created` timestamp DEFAULT CURRENT_TIMESTAMP ,\r\n"
                "CONSTRAINT pk_Orders PRIMARY KEY(`id`)\r\n"
                ") default charset utf8 COLLATE utf8_general_ci\r\n"
                "create unique index ix_name on `shop`.`Orders` (`name`)\r\n"));
    EXPECT_EQ(info.NotNulls.Strings(), (QStringList{S("id=-1"), S("name=-1")}))
        << "only the key and the only column of a unique index stay marked";
}

TEST(TableCreator, TypeListsAndCapabilities)
{
    TMysqlTableCreator creator;
    EXPECT_EQ(creator.Types().size(), 32);
    EXPECT_EQ(creator.Types().at(9), S("decimal(18, 2)"));
    EXPECT_EQ(creator.DefaultType(), S("varchar(255)"));
    EXPECT_EQ(creator.StringTypes(), (QStringList{S("varchar(255)"), S("text")}));
    EXPECT_EQ(creator.LobTypes().size(), 10);
    EXPECT_TRUE(creator.SupportsAutoIncrement() && creator.SupportsDefaultValue() && creator.SupportsNotNull()
                && creator.SupportsIndexes());
    EXPECT_EQ(creator.MaxTableNameLength(), 64);
}

TEST(TableCreator, NameNormalisation)
{
    TMysqlTableCreator creator;
    const QString seventy(70, QLatin1Char('T'));
    const struct {
        const char* text;
        bool field;
        QString expected;
    } cases[] = {
        {"  Order Date \t", true, S("order_date")},
        {"[Name]", true, S("name")},
        {"\"Quoted\"", false, S("quoted")},
        {"Price ($)", true, S("price_")},
        {"a.b", true, S("a_b")},
        {"a.b", false, S("a_b")},
        {"items.item.name", true, S("item_name")},
        {"data-row.row", true, S("data_row")},
        {"a<br>b", true, S("a_b")},
        {"a<br/>b", true, S("a<br_>b")},
        {"x\xEF\xBC\x88y\xEF\xBC\x89", true, S("x_y_")},
        {"a|b/c;d:e+f,g", false, S("a_b_c_d_e_f_g")},
    };
    for (const auto& c : cases) {
        const QString actual = c.field ? creator.NormalizeFieldName(S(c.text)) : creator.NormalizeTableName(S(c.text));
        EXPECT_EQ(actual, c.expected) << c.text;
    }
    EXPECT_EQ(creator.NormalizeTableName(seventy), seventy.left(64).toLower());
}

TEST(TableCreator, NameChecks)
{
    TMysqlTableCreator creator;
    EXPECT_EQ(creator.CheckTableName(QString(70, QLatin1Char('t'))), S("Table Name length can not > 64."));
    EXPECT_EQ(creator.CheckTableName(QString(64, QLatin1Char('t'))), QString());
    EXPECT_EQ(creator.CheckFieldName(QString(65, QLatin1Char('f'))), S("Field Name length can not > 64."));
    EXPECT_EQ(creator.CheckFieldName(S("a# b")), S("Field Name can not contain char \" #    \"."))
        << "the forbidden list before the separators, each entry with a blank";
    EXPECT_EQ(creator.CheckIndexName(S("ix(1)")), S("Index Name can not contain char \" ( )  \"."));
    EXPECT_EQ(creator.CheckTableName(S("my table")), S("Table Name can not contain char \"    \"."));
    EXPECT_EQ(creator.CheckFieldName(S("[quoted]\xEF\xBC\x88")), QString()) << "stripped texts are not reported";
}

TEST(TableCreator, KeysAndIndexes)
{
    TMysqlTableCreator creator;
    {
        TTableInfo info = MakeInfo("", "t", {{"a", "int", true}, {"b", "int", true}, {"c", ""}});
        info.NotNulls.SetFlag(S("c"), true);
        const QString script = Generated(creator, info);
        EXPECT_TRUE(script.contains(S("CONSTRAINT pk_t PRIMARY KEY(`a`,`b`)\r\n"))) << script.toStdString();
        EXPECT_TRUE(script.contains(S("`a` int not null ,\r\n`b` int not null ,\r\n`c` varchar(255),\r\n")))
            << "both key columns NOT NULL; the mark on c is dropped; no type gives the default";
        EXPECT_TRUE(script.startsWith(S("create table `t` (")));
    }
    {
        TTableInfo info = MakeInfo("s", "no key", {{"a", "int"}, {"b", "text"}});
        EXPECT_EQ(Generated(creator, info), S("create table `s`.`no key` (\r\n`a` int,\r\n`b` text\r\n) default "
                                              "charset utf8 COLLATE utf8_general_ci\r\n"));
    }
    {
        TTableInfo info = MakeInfo("s", "my-t x", {{"id", "int", true}, {"a", "int"}, {"b", "int"}});
        AddIndex(info, "ix_key", "a,id", "NON_UNIQUE");
        AddIndex(info, "ix_ab", "a, b", "UNIQUE");
        AddIndex(info, "ix_b", " b ", "UNIQUE");
        Generated(creator, info);
        EXPECT_TRUE(creator.CreateScript().contains(S("CONSTRAINT pk_my_tx PRIMARY KEY(`id`)")));
        EXPECT_EQ(creator.IndexScripts(),
                  (QStringList{S("create unique index ix_ab on `s`.`my-t x` (`a`,`b`)"),
                               S("create unique index ix_b on `s`.`my-t x` (`b`)")}))
            << "an index with a key column is skipped; names are trimmed after the split";
        info.PrimaryKeys.SetFlag(S("id"), false);
        info.PrimaryKeys.SetFlag(S("b"), true);
        AddIndex(info, "ix_key", "a , b", "NON_UNIQUE");
        Generated(creator, info);
        EXPECT_EQ(creator.IndexScripts(), QStringList()) << "\" b\" is the key column b";
    }
}

TEST(TableCreator, DuplicateColumnNamesStayWithinTheLimit)
{
    TMysqlTableCreator creator;
    const QString n64(64, QLatin1Char('x'));
    const QString n63(63, QLatin1Char('y'));
    TTableInfo info = MakeInfo("", "t", {{"a", "int", true}, {"A", "int"}, {"a_2", ""}});
    for (const QString& name : {n64, n64, n63, n63, n63})
        info.Columns << name;
    for (int i = 0; i < 9; ++i)
        info.Columns << n63;
    Generated(creator, info);
    const QStringList& names = creator.ColumnNames();
    EXPECT_EQ(names.mid(0, 7), (QStringList{S("a"), S("A_2"), S("a_2_2"), n64, n64.left(62) + S("_2"), n63,
                                            n63.left(62) + S("_2")}));
    EXPECT_EQ(names.at(7), n63.left(62) + S("_3"));
    EXPECT_EQ(names.last(), n63.left(61) + S("_12"));
    for (const QString& name : names)
        EXPECT_LE(name.size(), 64) << name.toStdString();
    EXPECT_TRUE(creator.CreateScript().contains(S("`A_2` varchar(255),")))
        << "a renamed column has the default type and no flags";
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
}

TEST(TableCreator, DefaultClausesAndThePrimaryKeyInAType)
{
    TMysqlTableCreator creator;
    TTableInfo info = MakeInfo("", "t",
                               {{"id", "int", true},
                                {"ts", "timestamp", false, false, "x"},
                                {"d", "date", false, false, "2020-01-01"},
                                {"dt", "datetime", false, false, "x"},
                                {"flag", "bit", false, false, "1"},
                                {"yes", "boolean", false, false, " true "},
                                {"plain", "varchar(10)", false, false, "abc"},
                                {"quote", "varchar(10)", false, false, "it's"},
                                {"path", "varchar(10)", false, false, "C:\\temp"},
                                {"note", "varchar(50)", false, false, "no PRIMARY key here"}});
    const QString script = Generated(creator, info);
    for (const char* line : {"`ts` timestamp DEFAULT CURRENT_TIMESTAMP ,", "`d` date DEFAULT NOW() ,",
                             "`dt` datetime DEFAULT NOW() ,", "`flag` bit DEFAULT 1 ,", "`yes` boolean DEFAULT true ,",
                             "`plain` varchar(10) DEFAULT 'abc' ,", "`quote` varchar(10) DEFAULT 'it\\'s' ,",
                             "`path` varchar(10) DEFAULT 'C:\\\\temp' ,"})
        EXPECT_TRUE(script.contains(S(line) + S("\r\n"))) << line << "\n" << script.toStdString();
    EXPECT_TRUE(script.contains(S("CONSTRAINT pk_t PRIMARY KEY(`id`)")))
        << "a default value's text does not count as a key declaration";

    TTableInfo typed = MakeInfo("", "t", {{"id", "int primary key", true}, {"a", "int"}});
    EXPECT_EQ(Generated(creator, typed), S("create table `t` (\r\n`id` int primary key not null ,\r\n`a` int\r\n) "
                                           "default charset utf8 COLLATE utf8_general_ci\r\n"));
}

TEST(TableCreator, AlikeIndexNamesGetASuffixFromTheGenerator)
{
    TMysqlTableCreator creator;
    QList<int> draws{7, 7, 42};
    creator.SetRandomGenerator([&] { return draws.takeFirst(); });
    TTableInfo info = MakeInfo("", "t", {{"a", "int"}, {"b", "int"}});
    // Index names differ as typed and meet once blanks and points are dealt with.
    const std::pair<const char*, const char*> indexes[] = {{"ix_a", "a"}, {"ix _a", "b"}, {"ix.a", "a,b"},
                                                           {"ix.b c", "b"}, {"ix", "a"}, {"IX", "b"}};
    for (const auto& [name, columns] : indexes) {
        info.IndexColumns.Add(S(name), S(columns));
        info.IndexTypes.Add(S(name), S("NON_UNIQUE"));
    }
    Generated(creator, info);
    EXPECT_EQ(creator.IndexScripts(), (QStringList{S("create index ix_a on `t` (`a`)"),
                                                   S("create index i_7 on `t` (`b`)"),
                                                   S("create index _42 on `t` (`a`,`b`)"),
                                                   S("create index ix_bc on `t` (`b`)"),
                                                   S("create index ix on `t` (`a`)"),
                                                   S("create index IX on `t` (`b`)")}))
        << "a taken name draws again until it is free; names of 3 or fewer characters stay";
}

TEST(TableCreator, DefaultFieldTypeFromTheSettings)
{
    const QString config = TQuenmarelSettings::ConfigFileName();
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[DBImport]\r\nDefaultFieldType=Text Not Null\r\nDecimalSeparator=,x\r\n");
    file.close();
    TDBImportSettings::Load();
    EXPECT_EQ(TDBImportSettings::DefaultFieldType, S("Text Not Null"));
    EXPECT_EQ(TDBImportSettings::DecimalSeparator, QLatin1Char(','));
    {
        TMysqlTableCreator creator;
        EXPECT_EQ(creator.DefaultType(), S("Text Not Null"));
        EXPECT_EQ(creator.StringTypes().first(), S("varchar(255)")) << "the dialog keeps the built-in default";
        TTableInfo info = MakeInfo("", "t", {{"a", ""}});
        EXPECT_TRUE(Generated(creator, info).contains(S("`a` Text Not Null\r\n")));
    }
    QFile::remove(config);
    TDBImportSettings::Load();
    EXPECT_EQ(TDBImportSettings::DefaultFieldType, QString());
    EXPECT_EQ(TMysqlTableCreator().DefaultType(), S("varchar(255)"));
}

TEST(TableCreator, CreatedByItsQualifiedName)
{
    InitMysqlDBClasses();
    const std::unique_ptr<TTableCreator> creator = TDBObjectFactory::CreateTableCreator(S("Mysql"));
    EXPECT_NE(dynamic_cast<TMysqlTableCreator*>(creator.get()), nullptr);
    DoneMysqlDBClasses();
}

class TableCreatorServerTest : public dactest::DacTest {
protected:
    bool Run(TTableCreator& creator, const QString& script)
    {
        TUniSqlExecutor executor;
        executor.SetConnection(Connection.get());
        creator.SetExecutor(&executor);
        return creator.ExecuteSql(script);
    }
};

TEST_F(TableCreatorServerTest, TheExampleScriptMakesTheTableAndItsUniqueIndex)
{
    TMysqlTableCreator creator;
    TTableInfo info = OrdersInfo(Database.toUtf8().constData());
    ASSERT_TRUE(Run(creator, Generated(creator, info)));
    EXPECT_EQ(Scalar(S("select group_concat(column_name order by ordinal_position) from information_schema.columns "
                       "where table_schema = '%1' and table_name = 'Orders'").arg(Database)),
              S("id,name,created"));
    EXPECT_EQ(Scalar(S("select concat(non_unique, ':', column_name) from information_schema.statistics "
                       "where table_schema = '%1' and table_name = 'Orders' and index_name = 'ix_name'").arg(Database)),
              S("0:name"));
    EXPECT_EQ(Scalar(S("select extra from information_schema.columns where table_schema = '%1' and "
                       "table_name = 'Orders' and column_name = 'id'").arg(Database)),
              S("auto_increment"));
}

TEST_F(TableCreatorServerTest, DefaultsWithQuoteAndBackslashReadBackUnchanged)
{
    TMysqlTableCreator creator;
    TTableInfo info = MakeInfo(Database.toUtf8().constData(), "d",
                               {{"id", "int", true, true},
                                {"quote", "varchar(20)", false, false, "it's"},
                                {"path", "varchar(20)", false, false, "C:\\temp\\n"}});
    ASSERT_TRUE(Run(creator, Generated(creator, info)));
    Connection->ExecSQL(S("insert into d () values ()"));
    EXPECT_EQ(Scalar(S("select quote from d")), S("it's"));
    EXPECT_EQ(Scalar(S("select path from d")), S("C:\\temp\\n"));
}

TEST_F(TableCreatorServerTest, ARejectedStatementRaisesTheServerMessage)
{
    TMysqlTableCreator creator;
    const QString message = dbtest::MessageOf([&] { Run(creator, S("create table x (a nosuchtype)")); });
    EXPECT_TRUE(message.contains(S("nosuchtype"))) << message.toStdString();
}

TEST_F(TableCreatorServerTest, TablesAndIndexesWithNamesThatNeedQuotesAreMade)
{
    const struct {
        const char* table;
        const char* index;
    } cases[] = {
        {"a@b", "ix@name"},
        {"x$y", "9ix"},
        {"tick`s", "ix`q"},
        {"quoted", "`ix`"},   // as read from the catalogue: the backticks are the name's
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        TMysqlTableCreator creator;
        TTableInfo info = MakeInfo(Database.toUtf8().constData(), c.table, {{"id", "int", true}, {"name", "varchar(20)"}});
        AddIndex(info, c.index, "name", "NON_UNIQUE");
        ASSERT_TRUE(Run(creator, Generated(creator, info)));
        const QString where = S("where table_schema = '%1' and table_name = '%2'").arg(Database, S(c.table).replace(S("'"), S("''")));
        EXPECT_EQ(Scalar(S("select group_concat(column_name) from information_schema.statistics ") + where
                         + S(" and index_name = 'PRIMARY'")),
                  S("id"));
        EXPECT_EQ(Scalar(S("select group_concat(index_name) from information_schema.statistics ") + where
                         + S(" and index_name <> 'PRIMARY' and column_name = 'name'")),
                  S(c.index));
    }
}
