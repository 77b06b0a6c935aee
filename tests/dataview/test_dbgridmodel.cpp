#include "dataview/UDBGridModel.h"
#include "platform/dac/DacTestSupport.h"
#include "platform/dac/UDataSource.h"

#include <QSignalSpy>

using namespace dactest;

class DBGridModel : public DacTest {
protected:
    void SetUp() override
    {
        DacTest::SetUp();
        Connection->ExecSQL(QStringLiteral("create table t (id int primary key, v varchar(20), b blob, y varbinary(8))"));
        Connection->ExecSQL(QStringLiteral("insert into t select seq, concat('row ', seq), if(seq = 2, null, "
                                           "repeat('x', seq * 100)), 'ab' from seq_1_to_40"));
        Query = NewQuery(QStringLiteral("select id, v, b, y, concat(v, '!') as e from t order by id"));
        Query->SetFetchRows(15);
        Query->SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
        Source.SetDataSet(Query.get());
        Model.SetDataSource(&Source);
    }

    std::unique_ptr<TUniQuery> Query;
    TDataSource Source;
    TDBGridModel Model;
};

TEST_F(DBGridModel, RowsArriveAsTheViewAsksAndWhenDrained)
{
    QSignalSpy resets(&Model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&Model, &QAbstractItemModel::rowsInserted);
    Query->Open();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(Model.rowCount(), 15);
    EXPECT_EQ(Model.columnCount(), 5);
    EXPECT_EQ(Model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("v"));
    ASSERT_TRUE(Model.canFetchMore(QModelIndex()));
    Model.fetchMore(QModelIndex());
    EXPECT_EQ(Model.rowCount(), 30);
    ASSERT_EQ(inserts.count(), 1);
    EXPECT_EQ(inserts[0][1].toInt(), 15);
    EXPECT_EQ(inserts[0][2].toInt(), 29);
    // Another statement reads the rest; the model is told of the new rows.
    Scalar(QStringLiteral("select 1"));
    EXPECT_EQ(Model.rowCount(), 40);
    EXPECT_EQ(inserts.count(), 2);
    EXPECT_FALSE(Model.canFetchMore(QModelIndex()));
    EXPECT_EQ(Model.data(Model.index(39, 1)).toString(), QStringLiteral("row 40"));
    // A reopen is a reset.
    Query->Refresh();
    EXPECT_EQ(resets.count(), 3);
    EXPECT_EQ(Model.rowCount(), 15);
    Query->Close();
    EXPECT_EQ(Model.rowCount(), 0);
}

TEST_F(DBGridModel, CellsGiveTextOrSizeAndEditability)
{
    Query->Open();
    struct Case {
        int Row, Column;
        QVariant Display;
        qint64 Size;
        TFieldType Type;
        bool Editable;
    } cases[] = {
        {0, 0, QStringLiteral("1"), 1, ftInteger, true},
        {0, 1, QStringLiteral("row 1"), 5, ftWideString, true},
        {0, 2, QVariant(), 100, ftBlob, false},        // a large object: size, never the value
        {1, 2, QVariant(), 0, ftBlob, false},          // NULL
        {14, 2, QVariant(), 1500, ftBlob, false},      // kept in the spill file
        {0, 3, QStringLiteral("ab"), 2, ftVarBytes, false},
        {0, 4, QStringLiteral("row 1!"), 6, ftWideString, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Row << "," << c.Column);
        const QModelIndex index = Model.index(c.Row, c.Column);
        EXPECT_EQ(Model.data(index), c.Display);
        EXPECT_EQ(Model.data(index, TDBGridModel::ValueSizeRole).toLongLong(), c.Size);
        EXPECT_EQ(Model.data(index, TDBGridModel::FieldTypeRole).toInt(), int(c.Type));
        EXPECT_EQ(bool(Model.flags(index) & Qt::ItemIsEditable), c.Editable);
    }
}

TEST_F(DBGridModel, CurrentRowEditsInsertsAndDeletes)
{
    Query->Open();
    QSignalSpy current(&Model, &TDBGridModel::currentRowChanged);
    Query->MoveBy(2);
    ASSERT_FALSE(current.isEmpty());
    EXPECT_EQ(current.last()[0].toInt(), 2);
    Model.SetCurrentRow(5);
    EXPECT_EQ(Query->RecNo(), 6);
    // setData edits through the data set; leaving the row posts it.
    QSignalSpy changed(&Model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(Model.setData(Model.index(7, 1), QStringLiteral("typed")));
    EXPECT_EQ(Query->RecNo(), 8);
    EXPECT_EQ(Query->State(), dsEdit);
    EXPECT_FALSE(changed.isEmpty());
    Model.SetCurrentRow(0);
    EXPECT_EQ(Scalar(QStringLiteral("select v from t where id = 8")), QStringLiteral("typed"));
    EXPECT_FALSE(Model.setData(Model.index(0, 4), QStringLiteral("x")));   // an expression
    QSignalSpy inserted(&Model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&Model, &QAbstractItemModel::rowsRemoved);
    Query->Insert();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(Model.rowCount(), 41);   // the post above read every row first
    Query->Cancel();
    EXPECT_EQ(removed.count(), 1);
    Query->Delete();
    EXPECT_EQ(removed.count(), 2);
    EXPECT_EQ(Model.rowCount(), 39);
    EXPECT_EQ(Model.data(Model.index(0, 0)).toString(), QStringLiteral("2"));
}
