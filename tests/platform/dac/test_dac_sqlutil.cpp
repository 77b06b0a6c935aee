#include "platform/dac/UUniSqlUtil.h"

#include <gtest/gtest.h>

namespace {

struct ParamCase {
    const char* Sql;
    const char* Prepared;
    QStringList Names;
};

struct SplitCase {
    const char* Name;
    const char* Script;
    QStringList Statements;
    TScriptSplit Split = TScriptSplit::AtDelimiter;
};

}  // namespace

TEST(UniSqlUtil, ParametersAreFoundOutsideQuotesAndComments)
{
    const ParamCase cases[] = {
        {"select * from t where a = :a and b = :B_2", "select * from t where a = ? and b = ?", {"a", "B_2"}},
        {"insert into `t` (`my col`,`x`) values (:my col,:x)", "insert into `t` (`my col`,`x`) values (?,?)",
         {"my col", "x"}},
        {"update `t` set `a:b` = :a:b where `k` = :k", "update `t` set `a:b` = ? where `k` = ?", {"a:b", "k"}},
        // A quoted name that is only a prefix of the word does not count.
        {"select `t`.x from `t` where y = :tx", "select `t`.x from `t` where y = ?", {"tx"}},
        {"select ':no', \":no\", `:no` from t -- :no\n where a = :yes # :no\n/* :no */",
         "select ':no', \":no\", `:no` from t -- :no\n where a = ? # :no\n/* :no */", {"yes"}},
        {"select 'it''s :no', 'back\\' :no' , :a, :a", "select 'it''s :no', 'back\\' :no' , ?, ?", {"a", "a"}},
        {"set @v := 1; select a::int, '10:20', : x", "set @v := 1; select a::int, '10:20', : x", {}},
        {"select :überGröße", "select ?", {"überGröße"}},
    };
    for (const ParamCase& c : cases) {
        const TParsedSql parsed = ParseSqlParams(QString::fromUtf8(c.Sql));
        EXPECT_EQ(parsed.Sql, QString::fromUtf8(c.Prepared)) << c.Sql;
        EXPECT_EQ(parsed.Names, c.Names) << c.Sql;
    }
}

TEST(UniSqlUtil, ScriptSplitter)
{
    const SplitCase cases[] = {
        {"semicolons", "select 1; select 2;\nselect 3", {"select 1", "select 2", "select 3"}},
        {"semicolons in quotes", "select ';', \";\", `a;b` from t; select 'it''s;' ",
         {"select ';', \";\", `a;b` from t", "select 'it''s;'"}},
        {"backslash escape", "select 'a\\';b'; select 2", {"select 'a\\';b'", "select 2"}},
        {"comments", "-- one; two\nselect 1; # three; four\n/* five; six */ select 2;\n-- only a comment;",
         {"-- one; two\nselect 1", "# three; four\n/* five; six */ select 2"}},
        {"double dash needs a blank", "select 1--1; select 2", {"select 1--1", "select 2"}},
        {"delimiter",
         "DELIMITER $$\ncreate procedure p()\nbegin\n  select 1;\n  create table x (a int);\nend$$\n"
         "delimiter ;\nselect 2;",
         {"create procedure p()\nbegin\n  select 1;\n  create table x (a int);\nend", "select 2"}},
        {"create without semicolons",
         "CREATE TABLE `t` (\n  `a` int,\n  `b` text\n) ENGINE=InnoDB\nCREATE INDEX `i` ON `t` (`a`)\n"
         "create unique index `j` on `t` (`b`(10))",
         {"CREATE TABLE `t` (\n  `a` int,\n  `b` text\n) ENGINE=InnoDB", "CREATE INDEX `i` ON `t` (`a`)",
          "create unique index `j` on `t` (`b`(10))"},
         TScriptSplit::AtDelimiterAndCreateLines},
        {"create inside parentheses stays",
         "create table t (\ncreate_date date,\n  a int)\n", {"create table t (\ncreate_date date,\n  a int)"},
         TScriptSplit::AtDelimiterAndCreateLines},
        {"create after an unfinished line stays", "select a,\ncreate_x from t", {"select a,\ncreate_x from t"},
         TScriptSplit::AtDelimiterAndCreateLines},
        {"created is not create", "insert into t values (1)\ncreated_at = 2", {"insert into t values (1)\ncreated_at = 2"},
         TScriptSplit::AtDelimiterAndCreateLines},
        {"a user's script splits at its delimiter only", "SHOW\nCREATE TABLE t;\nselect 1\ncreate table u (a int)",
         {"SHOW\nCREATE TABLE t", "select 1\ncreate table u (a int)"}},
        {"a column named delimiter", "create table t (\ndelimiter varchar(5),\n a int);\nselect 1",
         {"create table t (\ndelimiter varchar(5),\n a int)", "select 1"}},
        {"versioned comments are statements, others are not",
         "/*!40101 SET @x = 42 */;\r\n/*M!100100 SET @y = 1 */;\n/* plain; */;\n-- dash\n;select /*!1 2 */ 3",
         {"/*!40101 SET @x = 42 */", "/*M!100100 SET @y = 1 */", "select /*!1 2 */ 3"}},
        {"line ends stay as written", "insert into t values ('a\r\nb');\r\ninsert into t values ('c\nd')",
         {"insert into t values ('a\r\nb')", "insert into t values ('c\nd')"}},
        {"lines that end in a lone CR", "select 0;\rDELIMITER $$\rselect 1; select 2$$\rselect 3$$\r",
         {"select 0", "select 1; select 2", "select 3"}},
        {"empty", " ;; \n ; ", {}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(SplitSqlScript(QString::fromUtf8(c.Script), c.Split), c.Statements) << c.Name;
}

TEST(UniSqlUtil, AStatementKnowsTheLineItStartsOn)
{
    // LF, CR LF and a lone CR each end a line; blank lines and comments
    // before a statement count, a line end inside a literal too.
    const QString script = QStringLiteral("select 1;\n\n  select\n2;\r\n-- note\r\nselect 'a\nb';\rselect 4;"
                                          "\nDELIMITER $$\nselect 5$$");
    QList<int> lines;
    for (const TSqlStatement& statement : SplitSqlStatements(script))
        lines << statement.Line;
    EXPECT_EQ(lines, QList<int>({1, 3, 5, 8, 10}));
}
