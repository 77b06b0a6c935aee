// Which columns of a table or a statement are large objects.
#include "LobExportTestDb.h"
#include "base/UException.h"
#include "transfer/UQueryFieldTypesInfo.h"
#include "transfer/UTableFieldTypesInfo.h"

namespace {

using exporttest::S;

class FieldTypesInfo : public exporttest::LobDbTest {
protected:
    void SetUp() override
    {
        LobDbTest::SetUp();
        Exec(S("CREATE TABLE docs (id INT PRIMARY KEY, name VARCHAR(20), raw VARBINARY(20), body LONGBLOB, "
               "note TEXT, small TINYBLOB, doc JSON, created DATETIME)"));
        Exec(S("INSERT INTO docs (id) VALUES (1), (2)"));
    }
};

}  // namespace

TEST_F(FieldTypesInfo, ATableSplitsIntoLargeObjectsAndOthers)
{
    TTableFieldTypesInfo info;
    info.SetFactory(Factory.get());
    info.LoadTable(Database, S("docs"));
    EXPECT_EQ(info.AllFields(), (QStringList{S("id"), S("name"), S("raw"), S("body"), S("note"), S("small"),
                                             S("doc"), S("created")}));
    EXPECT_EQ(info.LobFields(), (QStringList{S("body"), S("note"), S("small"), S("doc")}));
    EXPECT_EQ(info.OtherFields(), (QStringList{S("id"), S("name"), S("raw"), S("created")}));

}

TEST_F(FieldTypesInfo, AMissingTableRaisesTheServersError)
{
    TTableFieldTypesInfo info;
    info.SetFactory(Factory.get());
    QString message;
    try {
        info.LoadTable(Database, S("missing"));
    } catch (const Exception& e) {
        message = e.Message();
    }
    EXPECT_TRUE(message.contains(S("doesn't exist"))) << message.toStdString();
    EXPECT_TRUE(info.AllFields().isEmpty());
}

// The statement is described, not run: an assignment in it never happens and
// no rows hold the connection.
TEST_F(FieldTypesInfo, AStatementIsDescribedWithoutRunning)
{
    TQueryFieldTypesInfo info;
    info.SetConnection(Connection);
    info.LoadFromSql(S("select d.body, d.id, @probe := 1 as p, e.body from docs d join docs e on e.id = d.id"));
    EXPECT_EQ(info.AllFields(), (QStringList{S("body"), S("id"), S("p"), S("body")}));
    EXPECT_EQ(info.LobFields(), (QStringList{S("body"), S("body")}));
    EXPECT_EQ(Scalar(S("select coalesce(@probe, 'unset')")), S("unset"));

    info.LoadFromSql(S("select name from docs where name = ':x'"));   // a colon is no parameter
    EXPECT_EQ(info.AllFields(), QStringList{S("name")});
}
