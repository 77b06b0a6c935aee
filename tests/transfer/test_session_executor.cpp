// Outputers, the task object factory and the executors: what a run writes,
// which objects a task file gets, and how an executor reports a failed run.
#include "LobExportTestDb.h"
#include "base/UException.h"
#include "base/ULog.h"
#include "base/UMemoryLogAppender.h"
#include "transfer/UConvertStatus.h"
#include "transfer/ULobExportSession.h"
#include "transfer/ULobExportSessionExecutor.h"
#include "transfer/ULobImportSession.h"
#include "transfer/ULobImportSessionExecutor.h"
#include "transfer/ULobObjectFactory.h"
#include "transfer/ULogConvertOutputer.h"
#include "transfer/UQuenmarelSessionObjectFactory.h"

#include <QRegularExpression>

namespace {

using exporttest::S;

// The lines of a log file, time stamps as "[T] ".
QStringList StampedLines(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {S("<missing>")};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QRegularExpression(S("(^|\r\n)\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d:\\d{3}\\] ")),
                 S("\\1[T] "));
    QStringList lines = text.split(S("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

}  // namespace

TEST(LogConvertOutputer, SummaryLine)
{
    EXPECT_EQ(TLogConvertOutputer::SummaryText(8, 2, 3723004),
              S("8 records    Elapsed: 01:02:03.004.  2 rows can not convert."));
    EXPECT_EQ(TLogConvertOutputer::SummaryText(5, 0, 12), S("5 records    Elapsed: 00:00:00.012"));
    EXPECT_EQ(TLogConvertOutputer::SummaryText(0, 1, 0), S("0 records    Elapsed: 00:00:00.000.  1 rows can not convert."));
}

TEST(LogConvertOutputer, WritesErrorsMessagesAndTheSummaryOfTheStatusItIsAttachedTo)
{
    QTemporaryDir dir;
    const QString logFile = dir.filePath(S("run.log"));
    TConvertStatus status;
    bool oldHookCalled = false;
    status.OnProgress = [&](TConvertStatus&) { oldHookCalled = true; };
    TLogConvertOutputer outputer;
    outputer.SetLogFile(logFile);
    outputer.SetStatus(&status);
    outputer.Attach();

    status.Start();
    status.DoProgress();
    status.LastError = S("Serial: 3\r\nCannot create file");
    status.DoError();
    status.Message = S("a message");
    status.DoMessage();
    status.Succeeded = 4;
    status.Errors = 1;
    status.Finish();

    EXPECT_FALSE(oldHookCalled) << "Attach replaces earlier hooks";
    const QStringList lines = StampedLines(logFile);
    ASSERT_EQ(lines.size(), 4) << lines.join(S("|")).toStdString();
    EXPECT_EQ(lines[0], S("[T] Serial: 3"));
    EXPECT_EQ(lines[1], S("Cannot create file")) << "the second line of an error has no stamp of its own";
    EXPECT_EQ(lines[2], S("[T] a message"));
    EXPECT_TRUE(QRegularExpression(S("^\\[T\\] 4 records    Elapsed: \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\.  1 rows can not "
                                     "convert\\.$"))
                    .match(lines[3])
                    .hasMatch())
        << lines[3].toStdString();

    TLogConvertOutputer unattached;
    EXPECT_THROW(unattached.Attach(), Exception);
}

TEST(QuenmarelSessionObjectFactory, TheLastExtensionOfTheNameDecidesWithItsLetterCase)
{
    TLobObjectFactory lobFactory;
    TQuenmarelSessionObjectFactory factory(&lobFactory);
    const struct {
        const char* name;
        bool isTask;
    } cases[] = {
        {"/t/a.ilt", true},        {"/t/a.elt", true},      {"/t/a.ILT", false},
        {"/t/a.b.elt", true},      {"/t/a.elt.bak", false}, {"/t/x.ilt/task", false},
        {"/t/elt", false},         {"a.Elt", false},        {"/t/.ilt", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(factory.IsTaskFile(S(c.name)), c.isTask) << c.name;
        EXPECT_EQ(factory.CreateExecutor(S(c.name)) != nullptr, c.isTask) << c.name;
    }

    QTemporaryDir dir;
    TLobImportSession import;
    import.Table = S("files");
    import.WriteIni(dir.filePath(S("in.ilt")));
    TLobExportSession exportTask;
    exportTask.Table = S("items");
    exportTask.WriteIni(dir.filePath(S("out.elt")));

    const std::unique_ptr<TTaskSession> importSession = factory.CreateSession(dir.filePath(S("in.ilt")));
    auto* loadedImport = dynamic_cast<TLobImportSession*>(importSession.get());
    ASSERT_NE(loadedImport, nullptr);
    EXPECT_EQ(loadedImport->Table, S("files"));
    EXPECT_EQ(loadedImport->FileName(), dir.filePath(S("in.ilt")));
    const std::unique_ptr<TTaskSession> exportSession = factory.CreateSession(dir.filePath(S("out.elt")));
    auto* loadedExport = dynamic_cast<TLobExportSession*>(exportSession.get());
    ASSERT_NE(loadedExport, nullptr);
    EXPECT_EQ(loadedExport->Table, S("items"));

    EXPECT_NE(dynamic_cast<TLobImportSessionExecutor*>(factory.CreateExecutor(S("x.ilt")).get()), nullptr);
    EXPECT_NE(dynamic_cast<TLobExportSessionExecutor*>(factory.CreateExecutor(S("x.elt")).get()), nullptr);
    const std::unique_ptr<TOutputer> outputer = factory.CreateOutputer(S("x.txt"), S("/l/run.log"));
    ASSERT_NE(dynamic_cast<TLogConvertOutputer*>(outputer.get()), nullptr);
    EXPECT_EQ(outputer->LogFile(), S("/l/run.log"));

    TQuenmarelSessionObjectFactory withoutConverters(nullptr);
    EXPECT_THROW(withoutConverters.CreateExecutor(S("x.elt")), Exception);
}

namespace {

class SessionExecutor : public exporttest::LobDbTest {
protected:
    void SetUp() override
    {
        LobDbTest::SetUp();
        Task.Schema = Database;
        Task.Table = S("t");
        Task.LobField = S("body");
        Task.NameType = TExportNameType::Serial;
        Task.ExtType = TExportExtType::Fixed;
        Task.Ext = S("b");
        Task.UnloadFolder = OutPath();
        Outputer.SetLogFile(OutPath(S("run.log")));
        TLog::GetLogger()->AddAppender(&GlobalLog);
    }

    void TearDown() override
    {
        TLog::GetLogger()->RemoveAppender(&GlobalLog);
        LobDbTest::TearDown();
    }

    TLobObjectFactory LobFactory;
    TLobExportSession Task;
    TLogConvertOutputer Outputer;
    TMemoryLogAppender GlobalLog;
};

}  // namespace

TEST_F(SessionExecutor, AConverterThatFailsBeforeItsFirstRowEndsTheRunWithFalse)
{
    Task.Table = S("missing");
    TLobExportSessionExecutor executor(LobFactory);
    executor.SetSession(&Task);
    executor.SetOutputer(&Outputer);
    EXPECT_FALSE(executor.Execute());

    const QString message = S("Table '%1.missing' doesn't exist").arg(Database);
    EXPECT_EQ(StampedLines(OutPath(S("run.log"))), QStringList{S("[T] ") + message});
    ASSERT_EQ(GlobalLog.Lines.size(), 1);
    EXPECT_TRUE(GlobalLog.Lines[0].endsWith(S("[error]\tIn TLobExportSessionExecutor.Execute, ") + message))
        << GlobalLog.Lines[0].toStdString();
}

TEST_F(SessionExecutor, FailedRowsAreCountedAndTheRunStillSucceeds)
{
    MakeValues({"one", "two", "three"});
    QDir().mkpath(OutPath(S("2.b")));   // row 2 cannot be written
    TLobExportSessionExecutor executor(LobFactory);
    executor.SetSession(&Task);
    executor.SetOutputer(&Outputer);
    EXPECT_TRUE(executor.Execute());
    EXPECT_EQ(executor.ItemErrors(), 1);
    EXPECT_EQ(FilesBelow(OutPath()).value(S("3.b")), QByteArray("three"));
}

TEST_F(SessionExecutor, ATaskOrOutputerOfAnotherClassIsRefused)
{
    TLobImportSessionExecutor importer(LobFactory);
    importer.SetSession(&Task);   // an export task
    importer.SetOutputer(&Outputer);
    EXPECT_THROW(importer.Execute(), EConvertError);

    class TPlainOutputer : public TOutputer {
        void Attach() override {}
    } plain;
    TLobExportSessionExecutor exporter(LobFactory);
    exporter.SetSession(&Task);
    exporter.SetOutputer(&plain);
    EXPECT_THROW(exporter.Execute(), EConvertError);
}
