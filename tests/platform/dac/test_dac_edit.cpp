#include "DacTestSupport.h"

#include "platform/dac/UDataSource.h"
#include "platform/dac/UFieldDataLink.h"
#include "platform/dac/UUniError.h"
#include "platform/dac/UUniScript.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

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
