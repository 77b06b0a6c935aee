#include "base/UDebugHelper.h"
#include "base/UException.h"
#include "base/UExceptionStat.h"
#include "base/UFileLogAppender.h"
#include "base/ULog.h"
#include "base/ULogUtil.h"
#include "base/UMemoryLogAppender.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace {

class Recorder : public TLogAppender {
public:
    void Append(const QString& text) override { lines.append(text); }
    QStringList lines;
};

QStringList ReadLines(const QString& fileName)
{
    QFile f(fileName);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QStringList lines = text.split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.takeLast(), QString()) << "every line ends with CR LF";
    return lines;
}

}  // namespace

TEST(Logging, LevelReachesAppendersAtOrBelowIt)
{
    struct Case {
        int messageLevel;
        QString prefix;
        bool debug, info, warn, error;
    };
    const Case cases[] = {
        {0, QStringLiteral("[debug]\t"), true, false, false, false},
        {1, QStringLiteral("[info]\t"), true, true, false, false},
        {2, QStringLiteral("[warn]\t"), true, true, true, false},
        {3, QStringLiteral("[error]\t"), true, true, true, true},
        {4, QStringLiteral("[fatal]\t"), true, true, true, true},
        {9, QStringLiteral("[debug]\t"), true, true, true, true},   // out of range: debug prefix
    };
    for (const Case& c : cases) {
        TLogger logger;
        Recorder debug, info, warn, error;
        debug.Level = 0;
        info.Level = 1;
        warn.Level = 2;
        error.Level = 3;
        for (Recorder* r : {&debug, &info, &warn, &error})
            logger.AddAppender(r);
        logger.Log(c.messageLevel, QStringLiteral("m"));
        SCOPED_TRACE(c.messageLevel);
        EXPECT_EQ(debug.lines.size(), c.debug ? 1 : 0);
        EXPECT_EQ(info.lines.size(), c.info ? 1 : 0);
        EXPECT_EQ(warn.lines.size(), c.warn ? 1 : 0);
        EXPECT_EQ(error.lines.size(), c.error ? 1 : 0);
        if (!debug.lines.isEmpty()) {
            EXPECT_EQ(debug.lines.first(), c.prefix + QStringLiteral("m"));
        }
    }
}

TEST(Logging, LoggerNamesIgnoreCase)
{
    TLog::Init();
    EXPECT_EQ(TLog::GetLoggerByName(QStringLiteral("GLOBAL")), TLog::GetLogger());
    TLogger* fresh = TLog::GetLoggerByName(QStringLiteral("never-used-before"));
    EXPECT_TRUE(fresh->Appenders().isEmpty());
    fresh->Error(QStringLiteral("dropped"));   // no appender: nothing happens
    EXPECT_EQ(TLog::GetLoggerByName(QStringLiteral("NEVER-used-BEFORE")), fresh);
}

TEST(Logging, MemoryLogIsMeasuredOnlyOnEvery1001stAppend)
{
    TMemoryLogAppender log;
    log.MaxSize = 1024;
    const QString big(200, QLatin1Char('x'));
    for (int i = 0; i < 1000; ++i)
        log.Append(big);
    EXPECT_EQ(log.Lines.size(), 1000) << "the first thousand appends are never cut";
    log.Append(QStringLiteral("last"));
    const QString text = log.GetText();
    EXPECT_EQ(text.size(), 1024);
    EXPECT_TRUE(text.startsWith(QStringLiteral("......")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\t") + QStringLiteral("last\r\n")));
    // The first kept line is a partial one.
    EXPECT_FALSE(QRegularExpression(QStringLiteral("^\\d{4}-")).match(log.Lines.first()).hasMatch());
    // The counter restarts: the next appends are not cut.
    for (int i = 0; i < 10; ++i)
        log.Append(big);
    EXPECT_GT(log.GetText().size(), 1024);
}

TEST(Logging, MemoryLogWithoutCapKeepsEverything)
{
    TMemoryLogAppender log;
    for (int i = 0; i < 2100; ++i)
        log.Append(QStringLiteral("line"));
    EXPECT_EQ(log.Lines.size(), 2100);
}

TEST(Logging, FileLineHasStampBlankPrefixAndMessage)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("exception.log"));
    TLogger logger;
    auto appender = TFileLogAppender::ForFile(file);
    appender->SetErrorLevel();
    logger.AddAppender(appender.get());
    logger.Info(QStringLiteral("not written"));
    logger.Error(QStringLiteral("boom ü"));
    logger.RemoveAppender(appender.get());
    const QStringList lines = ReadLines(file);
    ASSERT_EQ(lines.size(), 1);
    const QRegularExpression shape(
        QStringLiteral("^\\[\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}:\\d{3}\\] \\[error\\]\\tboom ü$"));
    EXPECT_TRUE(shape.match(lines.first()).hasMatch()) << lines.first().toStdString();
}

TEST(Logging, EmptyFileNameWritesNothingAndMissingFolderRaises)
{
    EXPECT_NO_THROW(WriteLogLine(QString(), QStringLiteral("x")));
    QTemporaryDir dir;
    EXPECT_THROW(WriteLogLine(dir.filePath(QStringLiteral("missing/run.log")), QStringLiteral("x")), EInOutError);
    // The lock was released: the next line still writes.
    EXPECT_NO_THROW(WriteLogLine(dir.filePath(QStringLiteral("run.log")), QStringLiteral("x")));
}

TEST(Logging, TwoThreadsWriteWholeLines)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("run.log"));
    const QString a(300, QLatin1Char('a'));
    const QString b(300, QLatin1Char('b'));
    auto writer = [&](const QString& text) {
        for (int i = 0; i < 300; ++i)
            WriteLogLine(file, text);
    };
    std::thread t1(writer, a);
    std::thread t2(writer, b);
    t1.join();
    t2.join();
    const QStringList lines = ReadLines(file);
    ASSERT_EQ(lines.size(), 600);
    for (const QString& line : lines) {
        const QString body = line.mid(line.indexOf(QStringLiteral("] ")) + 2);
        ASSERT_TRUE(body == a || body == b) << line.left(80).toStdString();
    }
}

TEST(Logging, ErrorMemoryLogOnlyExistsBetweenStartAndStop)
{
    TLog::Init();
    EXPECT_FALSE(TExceptionStat::HasErrors());
    TExceptionStat::Clear();   // not running: nothing happens
    TExceptionStat::Start();
    TLog::GetLogger()->Info(QStringLiteral("info only"));
    EXPECT_FALSE(TExceptionStat::HasErrors());
    TLog::GetLogger()->Error(QStringLiteral("failed"));
    EXPECT_TRUE(TExceptionStat::HasErrors());
    TExceptionStat::Clear();
    EXPECT_FALSE(TExceptionStat::HasErrors());
    TLog::GetLogger()->Error(QStringLiteral("failed again"));
    TExceptionStat::Stop();
    EXPECT_FALSE(TExceptionStat::HasErrors());
}

TEST(Logging, DebugLogCollectsGlobalMessages)
{
    TLog::Init();
    TDebugHelper::Init();
    TDebugHelper::ClearLog();
    TLog::GetLogger()->Debug(QStringLiteral("hello"));
    EXPECT_TRUE(TDebugHelper::GetLog().contains(QStringLiteral("\t[debug]\thello\r\n")));
    TDebugHelper::Done();
    EXPECT_TRUE(TDebugHelper::GetLog().isEmpty());
}
