// The progress display of a transfer run: the refresh step, the texts of the
// bar, labels and memo, with a clock of the test's own.
#include "support/VqWidgetTestSupport.h"
#include "transfer/UConvertStatus.h"
#include "transfer/forms/UConverterEventPump.h"
#include "transfer/forms/UProgressConvertOutputer.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

// Counts the events it is given.
class EventCounter : public QObject {
public:
    int Handled = 0;
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++Handled;
        return true;
    }
};

TEST(ConverterEventPump, HandlesPendingEventsAtMostOncePerInterval)
{
    vqtest::WidgetApp();
    const struct {
        int intervalMs;
        QList<bool> pumped;
        int handled;
    } cases[] = {{0, {true, true, true}, 3}, {3600 * 1000, {true, false, false}, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.intervalMs);
        EventCounter counter;
        TConverterEventPump pump(c.intervalMs);
        QList<bool> pumped;
        for (int item = 0; item < 3; ++item) {
            QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
            pumped << pump.Pump();
        }
        EXPECT_EQ(pumped, c.pumped);
        EXPECT_EQ(counter.Handled, c.handled);
        // Nothing is lost: what waited is handled by the next pass.
        QCoreApplication::processEvents();
        EXPECT_EQ(counter.Handled, 3);
    }
}

TEST(ProgressMonitor, StepRule)
{
    const struct {
        int total;
        int step;
    } cases[] = {{-1, 1},     {0, 1},      {99, 1},      {100, 10},      {999, 10},       {1000, 100},
                 {9999, 100}, {10000, 100}, {123456, 1235}, {2000000, 20000}};
    for (const auto& c : cases)
        EXPECT_EQ(TProgressMonitor::StepFor(c.total, 0), c.step) << c.total;
    EXPECT_EQ(TProgressMonitor::StepFor(123456, 1000), 1000);
    EXPECT_EQ(TProgressMonitor::StepFor(2000000, 1000), 1000);
    EXPECT_EQ(TProgressMonitor::StepFor(10000, 1000), 100);
}

TEST(ProgressMonitor, PercentRoundsHalfAwayFromZero)
{
    EXPECT_EQ(TProgressMonitor::PercentText(5, 8), S("63 %"));   // 62.5
    EXPECT_EQ(TProgressMonitor::PercentText(1, 8), S("13 %"));   // 12.5
    EXPECT_EQ(TProgressMonitor::PercentText(150, 250), S("60 %"));
    EXPECT_EQ(TProgressMonitor::PercentText(0, 7), S("0 %"));
}

// The dialog's controls, unshown, with the outputer over them and a clock
// the test moves.
class ProgressDisplay : public vqtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        Outputer.Init(&Bar, &Message, &Notify, &Percent, &Memo);
        Outputer.Monitor().SetClock([this] { return Now; });
        Outputer.SetStatus(&Status);
        Outputer.Attach();
    }

    void Start(int total)
    {
        Status.Total = total;
        Status.Start();
    }

    void ProgressTo(int succeeded, double now)
    {
        Now = now;
        Status.Succeeded = succeeded;
        Status.DoProgress();
    }

    // The widgets below need the application before the fixture's SetUp.
    QApplication& App = vqtest::WidgetApp();
    double Now = 1000;
    TConvertStatus Status;
    QProgressBar Bar;
    QLabel Message, Notify, Percent;
    QPlainTextEdit Memo;
    TProgressConvertOutputer Outputer;
};

TEST_F(ProgressDisplay, CountedRunShowsPositionTotalTimesAndPercent)
{
    Start(250);
    EXPECT_EQ(Outputer.Monitor().Step(), 10);
    EXPECT_EQ(Message.text(), S("0 records / 250 records    Elapsed: 00:00:00    Remaining: 00:00:00"));
    ProgressTo(150, 7000);
    EXPECT_EQ(Message.text(), S("150 records / 250 records    Elapsed: 00:00:06    Remaining: 00:00:04"));
    EXPECT_EQ(Message.toolTip(), Message.text());
    EXPECT_EQ(Percent.text(), S("60 %"));
    EXPECT_EQ(Bar.maximum(), 250);
    EXPECT_EQ(Bar.value(), 150);

    // Off the step nothing on screen changes.
    ProgressTo(155, 9000);
    EXPECT_EQ(Message.text(), S("150 records / 250 records    Elapsed: 00:00:06    Remaining: 00:00:04"));
    EXPECT_EQ(Percent.text(), S("60 %"));
    EXPECT_EQ(Bar.value(), 150);

    Status.Succeeded = 250;
    Status.Finish();
    EXPECT_EQ(Bar.value(), 250);
    EXPECT_EQ(Percent.text(), S("100 %"));
    EXPECT_TRUE(QRegularExpression(S("^250 records,    Elapsed: \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\.    $"))
                    .match(Message.text())
                    .hasMatch())
        << Message.text().toStdString();
    EXPECT_EQ(Memo.toPlainText(), Message.text());
    EXPECT_EQ(Notify.text(), QString());
}

TEST_F(ProgressDisplay, StepsAreDrawnTogetherAtTheNextPassOfEvents)
{
    // A step drawn in passes of its own, the bar twice, costs the dialog's run
    // a tenth of its time on thousands of small files.
    vqtest::EventTypeCounter counter(QEvent::Paint);
    for (QWidget* widget : {static_cast<QWidget*>(&Bar), static_cast<QWidget*>(&Message),
                            static_cast<QWidget*>(&Percent)}) {
        widget->show();
        widget->installEventFilter(&counter);
    }
    Start(250);
    QCoreApplication::processEvents();
    counter.Count = 0;
    for (int step = 1; step <= 3; ++step)
        ProgressTo(step * 10, 1000 + step * 1000);
    EXPECT_EQ(counter.Count, 0);
    EXPECT_EQ(Bar.value(), 30);
    EXPECT_EQ(Percent.text(), S("12 %"));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.Count, 3) << "each widget once, with its last state";
}

TEST_F(ProgressDisplay, UncountedTotalFollowsThePosition)
{
    Start(-1);
    EXPECT_EQ(Outputer.Monitor().Step(), 1);
    ProgressTo(7, 3000);
    EXPECT_EQ(Message.text(), S("7 records / > 7 records    Elapsed: 00:00:02    Remaining: --:--:--"));
    EXPECT_EQ(Bar.maximum(), 8);
    EXPECT_EQ(Bar.value(), 7);
    EXPECT_EQ(Percent.text(), QString()) << "no percentage without a count";
    Status.Succeeded = 9;
    Status.Finish();
    EXPECT_EQ(Bar.maximum(), 9);
    EXPECT_EQ(Bar.value(), 9);
}

TEST_F(ProgressDisplay, TotalOfZeroShowsNoPercentAndAnEmptyBar)
{
    Start(0);
    EXPECT_EQ(Message.text(), S("0 records / > 0 records    Elapsed: 00:00:00    Remaining: 00:00:00"));
    EXPECT_EQ(Percent.text(), QString());
    EXPECT_GT(Bar.maximum(), Bar.minimum()) << "a range of 0 to 0 would draw as busy";
    EXPECT_EQ(Bar.value(), 0);
    Status.Finish();
    EXPECT_EQ(Bar.value(), 0);
}

TEST_F(ProgressDisplay, ErrorsGoToTheMemoTheSummaryAndTheBlueNotice)
{
    Start(20);
    Status.Errors = 1;
    Status.LastError = S("/in/a.dat\r\nData too long");
    Status.DoError();
    Status.Errors = 2;
    Status.LastError = S("/in/b.dat\r\nData too long");
    Status.DoError();
    Status.Message = S("Maxinum error count (1) exceeded. ");
    Status.DoMessage();
    Status.Succeeded = 3;
    Status.Finish();

    const QStringList lines = Memo.toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5) << Memo.toPlainText().toStdString();
    EXPECT_EQ(lines[0], S("/in/a.dat"));
    EXPECT_EQ(lines[1], S("Data too long"));
    EXPECT_TRUE(lines[4].startsWith(S("3 records,    Elapsed: ")));
    EXPECT_TRUE(lines[4].endsWith(S(".    2 rows can not convert."))) << lines[4].toStdString();
    EXPECT_EQ(Notify.text(), S("Error, please see log.    Maxinum error count (1) exceeded. "));
    EXPECT_EQ(Notify.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(Percent.text(), S("15 %"));

    // Clear empties the memo and the display for the next run.
    Outputer.Clear();
    EXPECT_EQ(Memo.toPlainText(), QString());
    EXPECT_EQ(Message.text(), QString());
    EXPECT_EQ(Notify.text(), QString());
    EXPECT_EQ(Percent.text(), QString());
    EXPECT_EQ(Bar.value(), 0);
}

TEST_F(ProgressDisplay, StatusMessageAloneIsTheNotice)
{
    EXPECT_EQ(TProgressConvertOutputer::NoticeText(QString(), S("stopped")), S("stopped"));
    EXPECT_EQ(TProgressConvertOutputer::NoticeText(S("x"), QString()), S("Error, please see log.    "));
    EXPECT_EQ(TProgressConvertOutputer::NoticeText(QString(), QString()), QString());
}

}  // namespace
