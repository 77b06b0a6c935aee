// The dictionary against the test MariaDB, on one fixture schema per test.
#include "DBTestUtil.h"
#include "base/ULog.h"
#include "base/UMemoryLogAppender.h"
#include "db/UDBObjectFactory.h"
#include "db/UMysqlDBClassInit.h"
#include "db/UMysqlDBDictionary.h"
#include "platform/dac/DacTestSupport.h"

#include <gtest/gtest.h>

namespace {

using dbtest::S;

const char* const oddTable = "it's `odd`";

class DictionaryTest : public dactest::DacTest {
protected:
    void SetUp() override
    {
        DacTest::SetUp();
        if (HasFatalFailure())
            return;
        InitMysqlDBClasses();
        Dictionary = TDBObjectFactory::CreateDictionary(Connection.get());
        Connection->ExecSQL(S(
            "CREATE TABLE items ("
            " id int NOT NULL AUTO_INCREMENT,"
            " region char(2) NOT NULL,"
            " price decimal(10,2) DEFAULT NULL,"
            " name varchar(50) NOT NULL DEFAULT 'it''s a\\\\b',"
            " state enum('on','off') DEFAULT 'on',"
            " note text,"
            " empty_default varchar(5) DEFAULT '',"
            " null_default varchar(5) DEFAULT NULL,"
            " word_null varchar(5) DEFAULT 'NULL',"
            " created timestamp NOT NULL DEFAULT CURRENT_TIMESTAMP,"
            " stamp datetime(3) DEFAULT CURRENT_TIMESTAMP(3) ON UPDATE CURRENT_TIMESTAMP(3),"
            " counter bigint DEFAULT 0,"
            " code varchar(10) DEFAULT NULL,"
            " a int DEFAULT NULL,"
            " b int DEFAULT NULL,"
            " PRIMARY KEY (id, region),"
            " UNIQUE KEY uq_ba (b, a),"
            " UNIQUE KEY uq_code (code),"
            " KEY ix_name (name))"));
        Connection->ExecSQL(S("CREATE VIEW v_items AS SELECT id, name FROM items"));
        for (int i = 1; i <= 5; ++i)
            Connection->ExecSQL(S("INSERT INTO items (region, name, a, b) VALUES ('eu', 'n%1', %1, 1)").arg(i));
    }

    void TearDown() override
    {
        Dictionary.reset();
        DoneMysqlDBClasses();
        DacTest::TearDown();
    }

    std::unique_ptr<TDBDictionary> Dictionary;
};

}  // namespace

TEST_F(DictionaryTest, DatabasesTablesAndViews)
{
    EXPECT_TRUE(Dictionary->GetDatabases().contains(Database));
    EXPECT_EQ(Dictionary->GetCurrentDatabase(), Database);
    EXPECT_EQ(Dictionary->GetDatabaseName(), Database);
    EXPECT_TRUE(Dictionary->IsServerDatabase());
    EXPECT_EQ(Dictionary->GetProviderName(), S("MySQL"));

    Connection->ExecSQL(S("CREATE TABLE ") + Dictionary->GetQualifiedName(Database, S(oddTable)) + S(" (x int)"));
    EXPECT_EQ(Dictionary->GetTables(Database), (QStringList{S(oddTable), S("items")}));
    EXPECT_EQ(Dictionary->GetViews(Database), QStringList{S("v_items")});
    EXPECT_TRUE(Dictionary->GetTables(Database + S("_none")).isEmpty());
    EXPECT_EQ(Dictionary->GetConnectionCaption(),
              S("%1@%2:%3:%4").arg(Connection->Username(), Connection->Server()).arg(Connection->Port()).arg(Database));
}

TEST_F(DictionaryTest, TableDescriptionOfColumns)
{
    const std::unique_ptr<TTableInfo> info = Dictionary->GetTableInfo(Database, S("items"));
    EXPECT_EQ(info->Schema, Database);
    EXPECT_EQ(info->TableName, S("items"));
    EXPECT_EQ(info->Columns, (QStringList{S("id"), S("region"), S("price"), S("name"), S("state"), S("note"),
                                          S("empty_default"), S("null_default"), S("word_null"), S("created"),
                                          S("stamp"), S("counter"), S("code"), S("a"), S("b")}));
    EXPECT_EQ(info->FieldTypes.Strings(),
              (QStringList{S("id=int"), S("region=char(2)"), S("price=decimal(10,2)"), S("name=varchar(50)"),
                           S("state=enum(3)"), S("note=text"), S("empty_default=varchar(5)"),
                           S("null_default=varchar(5)"), S("word_null=varchar(5)"), S("created=timestamp"),
                           S("stamp=datetime"), S("counter=bigint"), S("code=varchar(10)"), S("a=int"), S("b=int")}));
    for (const QString& column : info->Columns) {
        const bool notNull = column == S("id") || column == S("region") || column == S("name") || column == S("created");
        EXPECT_EQ(info->NotNulls.Value(column), notNull ? S("-1") : S("0")) << column.toStdString();
        EXPECT_EQ(info->AutoIncrements.Value(column), column == S("id") ? S("-1") : S("0")) << column.toStdString();
    }
    // Defaults read the same as from MySQL: unquoted, no entry for none, NULL
    // or the empty text.
    EXPECT_EQ(info->DefaultValues.Strings(),
              (QStringList{S("name=it's a\\b"), S("state=on"), S("word_null=NULL"), S("created=CURRENT_TIMESTAMP"),
                           S("stamp=CURRENT_TIMESTAMP(3)"), S("counter=0")}));
}

TEST_F(DictionaryTest, TableDescriptionOfKeysAndIndexes)
{
    const std::unique_ptr<TTableInfo> info = Dictionary->GetTableInfo(Database, S("items"));
    EXPECT_EQ(info->PrimaryKeys.Strings(), (QStringList{S("id=-1"), S("region=-1")}));
    EXPECT_EQ(info->IndexColumns.Strings(), (QStringList{S("ix_name=name"), S("uq_ba=b,a"), S("uq_code=code")}))
        << "index columns in index order; the primary key is not an index here";
    EXPECT_EQ(info->IndexTypes.Strings(), (QStringList{S("ix_name=NON_UNIQUE"), S("uq_ba=UNIQUE"), S("uq_code=UNIQUE")}));
    EXPECT_EQ(Dictionary->GetUniqueColumns(Database, S("items")), QStringList{S("code")});
}

TEST_F(DictionaryTest, CatalogueReadsOfTheGenericDictionary)
{
    const std::unique_ptr<TTableInfo> info = Dictionary->TDBDictionary::GetTableInfo(Database, S("items"));
    EXPECT_EQ(info->Columns.size(), 15);
    EXPECT_EQ(info->FieldTypes.Value(S("price")), S("decimal(10,2)"));
    EXPECT_EQ(info->FieldTypes.Value(S("region")), S("char(2)"));
    EXPECT_EQ(info->NotNulls.Value(S("name")), S("-1"));
    EXPECT_EQ(info->NotNulls.Value(S("note")), S("0"));
    EXPECT_EQ(info->IndexColumns.Value(S("uq_ba")), S("b,a"));
    EXPECT_EQ(info->IndexColumns.Value(S("PRIMARY")), S("id,region"));
    EXPECT_EQ(info->IndexTypes.Value(S("ix_name")), S("NON_UNIQUE"));
    EXPECT_EQ(info->IndexTypes.Value(S("PRIMARY")), S("UNIQUE"));

    const TNameValueList generic = Dictionary->TDBDictionary::GetDBFieldTypes(Database, S("items"));
    EXPECT_EQ(generic.Value(S("name")), S("varchar(50)"));
    EXPECT_EQ(generic.Value(S("state")), S("enum"));
}

TEST_F(DictionaryTest, ColumnTypesAsTheServerWritesThem)
{
    const TNameValueList types = Dictionary->GetDBFieldTypes(Database, S("items"));
    EXPECT_EQ(types.Count(), 15);
    EXPECT_EQ(types.Names(0), S("id"));
    EXPECT_TRUE(types.Value(S("id")).startsWith(S("int")));
    EXPECT_EQ(types.Value(S("price")), S("decimal(10,2)"));
    EXPECT_EQ(types.Value(S("state")), S("enum('on','off')"));
    EXPECT_EQ(types.Value(S("name")), S("varchar(50)"));
}

TEST_F(DictionaryTest, NamesWithQuotesAndBackticksAreSafe)
{
    const QString table = S(oddTable);
    const QString qualified = Dictionary->GetQualifiedName(Database, table);
    EXPECT_EQ(qualified, S("`%1`.`it's ``odd```").arg(Database));
    Connection->ExecSQL(S("CREATE TABLE ") + qualified + S(" (") + Dictionary->QuoteName(S("a`b")) +
                        S(" int PRIMARY KEY)"));
    Connection->ExecSQL(S("INSERT INTO ") + qualified + S(" VALUES (1), (2)"));

    const std::unique_ptr<TTableInfo> info = Dictionary->GetTableInfo(Database, table);
    EXPECT_EQ(info->Columns, QStringList{S("a`b")});
    EXPECT_EQ(info->PrimaryKeys.Value(S("a`b")), S("-1"));
    EXPECT_EQ(Dictionary->GetDBFieldTypes(Database, table).Names(0), S("a`b"));
    EXPECT_EQ(Dictionary->GetRecordCount(Dictionary->GetSelectAllSql(Database, table)), 2);
    EXPECT_TRUE(Dictionary->GetTableInfo(Database, S("x' or '1'='1"))->Columns.isEmpty())
        << "a name is a value, never SQL";
    EXPECT_EQ(Dictionary->GetDropTableSql(QString(), table), S("drop table `it's ``odd```"));
}

TEST_F(DictionaryTest, RecordCountOfAQuery)
{
    const struct {
        const char* sql;
        qint64 count;
    } cases[] = {
        {"select * from items", 5},
        {"select * from items;", 5},
        {"select * from items ; \n ;\t", 5},
        {"select * from items -- all of them", 5},
        {"select * from items where name <> 'x:y'", 5},
        {"select * from items where a > 3", 2},
        {"select * from v_items", 5},
        {"select * form items", 0},
        {"select * from no_such_table", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Dictionary->GetRecordCount(S(c.sql)), c.count) << c.sql;
}

TEST_F(DictionaryTest, RecordCountLogsItsFailureAtDebugLevel)
{
    TMemoryLogAppender log;
    TLog::GetLogger()->AddAppender(&log);
    EXPECT_EQ(Dictionary->GetRecordCount(S("select * form items")), 0);
    TLog::GetLogger()->RemoveAppender(&log);
    ASSERT_EQ(log.Lines.size(), 1);
    EXPECT_TRUE(log.Lines[0].contains(S("[debug]\t"))) << log.Lines[0].toStdString();
    EXPECT_TRUE(log.Lines[0].contains(S("SQL syntax"))) << log.Lines[0].toStdString();
    EXPECT_EQ(Dictionary->GetRecordCount(S("select 1")), 1) << "the connection is usable afterwards";
}

TEST(MysqlDictionary, ColumnDefaultsInMysqlForm)
{
    const struct {
        const char* value;
        bool isNull;
        bool quoted;
        const char* normal;
    } cases[] = {
        {"'abc'", false, true, "abc"},
        {"'it''s'", false, true, "it's"},
        {"'a\\\\b\\n'", false, true, "a\\b\n"},
        {"''", false, true, ""},
        {"NULL", false, true, ""},
        {"'NULL'", false, true, "NULL"},
        {"current_timestamp()", false, true, "CURRENT_TIMESTAMP"},
        {"current_timestamp(6)", false, true, "CURRENT_TIMESTAMP(6)"},
        {"curdate()", false, true, "curdate()"},
        {"5", false, true, "5"},
        {"", true, true, ""},
        {"'abc'", false, false, "'abc'"},   // MySQL's own text is kept
        {"NULL", false, false, "NULL"},
        {"x", true, false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TMysqlDBDictionary::NormalizeColumnDefault(S(c.value), c.isNull, c.quoted), S(c.normal)) << c.value;

    EXPECT_TRUE(TMysqlDBDictionary::QuotesColumnDefaults(S("10.11.6-MariaDB-0+deb12u1")));
    EXPECT_TRUE(TMysqlDBDictionary::QuotesColumnDefaults(S("5.5.5-10.3.39-MariaDB")));
    EXPECT_FALSE(TMysqlDBDictionary::QuotesColumnDefaults(S("10.1.48-MariaDB")));
    EXPECT_FALSE(TMysqlDBDictionary::QuotesColumnDefaults(S("8.0.36")));
}
