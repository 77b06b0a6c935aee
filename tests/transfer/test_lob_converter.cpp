#include "base/UFileUtil.h"
#include "base/ULog.h"
#include "base/USystemUtil.h"
#include "db/UDBObjectFactory.h"
#include "db/UMysqlDBClassInit.h"
#include "platform/dac/UUniQuery.h"
#include "transfer/ULobConverter.h"
#include "transfer/ULobExportSession.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Rows are the task's own; enough of a converter to reach the base.
class TRowConverter : public TLobConverter {
public:
    int Rows = 0;
    void Begin(TTaskSession* session)
    {
        SetSession(session);
        SaveRecentSession();
    }

protected:
    void BeforeConvert() override { RowIndex = 0; }
    bool HasNext() override { return RowIndex < Rows; }
    void Next() override { ++RowIndex; }
    void ConvertOneRecord() override {}
    void CountTotal() override { Status().Total = Rows; }
};

class Recorder : public TLogAppender {
public:
    void Append(const QString& text) override { Lines.append(text); }
    QStringList Lines;
};

class LobConverter : public testing::Test {
protected:
    void SetUp() override
    {
        TLog::GetLogger()->AddAppender(&Log);
        QFile::remove(RecentFile());
        Task.Table = QStringLiteral("docs");
        Task.UnloadFolder = QStringLiteral("/out");
    }
    void TearDown() override
    {
        TLog::GetLogger()->RemoveAppender(&Log);
        TLobConverter::SetGUIModeQuery(nullptr);
    }
    static QString RecentFile() { return GetProgramDataDir(QStringLiteral("Vantorquill")) + QStringLiteral("recent.elt"); }

    Recorder Log;
    TLobExportSession Task;
    TRowConverter Converter;
};

}  // namespace

TEST_F(LobConverter, WindowModeWritesAndLogsTheLastRunCopy)
{
    TLobConverter::SetGUIModeQuery([] { return true; });
    Converter.Begin(&Task);
    EXPECT_EQ(Converter.Session(), &Task);
    ASSERT_TRUE(QFile::exists(RecentFile()));
    TLobExportSession copy;
    copy.LoadFromFile(RecentFile());
    EXPECT_TRUE(copy.IsSame(Task));
    EXPECT_EQ(Task.FileName(), QString());   // the task itself stays unsaved
    EXPECT_EQ(Log.Lines.value(0), QStringLiteral("[debug]\tSession Desc: From : docs\r\nTo : /out"));
    EXPECT_EQ(Log.Lines.value(1), QStringLiteral("[debug]\t") + ReadTextFile(RecentFile()));
}

TEST_F(LobConverter, NoCopyOutsideWindowModeOrWithoutATask)
{
    Converter.Begin(&Task);   // no mode query: the command line
    TLobConverter::SetGUIModeQuery([] { return false; });
    Converter.Begin(&Task);
    TLobConverter::SetGUIModeQuery([] { return true; });
    Converter.Begin(nullptr);   // a merge has no task
    EXPECT_FALSE(QFile::exists(RecentFile()));
    EXPECT_TRUE(Log.Lines.isEmpty());
}

TEST_F(LobConverter, PositionFollowsTheRowIndex)
{
    Converter.Rows = 4;
    int positions = 0;
    Converter.Status().OnProgress = [&](TConvertStatus& status) { positions = status.Succeeded; };
    EXPECT_TRUE(Converter.Convert());
    EXPECT_EQ(positions, 4);
    EXPECT_EQ(Converter.Status().Total, 4);
    // Without the program's factory the query has no connection to run on.
    EXPECT_EQ(Converter.Query().Connection(), nullptr);
}

TEST(LobConverterOnTheProgramFactory, QueryAndStatementUseTheProgramsConnection)
{
    InitMysqlDBClasses();
    {
        TDBObjectFactory factory(QStringLiteral("Mysql"));
        SourceDBFactory = DestDBFactory = &factory;
        TRowConverter converter;
        EXPECT_EQ(converter.Query().Connection(), factory.GetConnection());
        TLobExportSession task;
        task.LobField = QStringLiteral("b");
        task.NameType = TExportNameType::Serial;
        task.ExtType = TExportExtType::Fixed;
        task.Table = QStringLiteral("t");
        EXPECT_EQ(task.BuildSql(), QStringLiteral("select `b` from `t`"));
        SourceDBFactory = DestDBFactory = nullptr;
    }
    DoneMysqlDBClasses();
}
