#include "base/UException.h"
#include "base/ULog.h"
#include "transfer/UIterativeConverter.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// Items are booleans: true converts, false fails.
class TFakeConverter : public TIterativeConverter {
public:
    QList<bool> Items;
    int Counted = -2;           // -2: count the items; any other value is the count
    bool CountFails = false;
    QStringList Steps;
    int Handled = 0;

protected:
    void BeforeConvert() override { Steps << QStringLiteral("before"); }
    void AfterConvert() override { Steps << QStringLiteral("after"); }
    void AfterLoop() override { Steps << QStringLiteral("afterloop"); }
    void CountTotal() override
    {
        if (CountFails)
            throw Exception(QStringLiteral("count failed"));
        Status().Total = Counted == -2 ? int(Items.size()) : Counted;
    }
    bool HasNext() override { return FIndex < Items.size(); }
    void Next() override { ++FIndex; }
    int GetPosition() override { return FIndex + 1; }
    void ConvertOneRecord() override
    {
        ++Handled;
        try {
            if (!Items[FIndex])
                throw std::runtime_error("boom " + std::to_string(FIndex + 1));
        } catch (const std::exception& e) {
            ++Status().Errors;
            HandleConvertError(QStringLiteral("item %1").arg(FIndex + 1), e);
        }
    }

private:
    int FIndex = 0;
};

class Recorder : public TLogAppender {
public:
    void Append(const QString& text) override { Lines.append(text); }
    QStringList Lines;
};

// Records the status events and the program log of one run.
class IterativeConverter : public testing::Test {
protected:
    void SetUp() override
    {
        TLog::GetLogger()->AddAppender(&Log);
        Status().OnStart = [this](TConvertStatus& s) { Events << QStringLiteral("start %1").arg(s.Total); };
        Status().OnEnd = [this](TConvertStatus& s) { Events << QStringLiteral("end %1").arg(s.Total); };
        Status().OnError = [this](TConvertStatus&) { ++ErrorEvents; };
        Status().OnMessage = [this](TConvertStatus& s) { Events << s.Message; };
        Status().OnProgress = [this](TConvertStatus& s) { Progress << s.Succeeded; };
    }
    void TearDown() override
    {
        TLog::GetLogger()->RemoveAppender(&Log);
        TIterativeConverter::SetProcessMessagesHook(nullptr);
    }
    TConvertStatus& Status() { return Converter.Status(); }
    QStringList LogLines(const QString& prefix) const { return Log.Lines.filter(prefix); }

    TFakeConverter Converter;
    Recorder Log;
    QStringList Events;
    QList<int> Progress;
    int ErrorEvents = 0;
};

}  // namespace

TEST_F(IterativeConverter, CountsItemsAndErrorsInOrder)
{
    Converter.Items = {true, false, true, true, false, true};
    int yields = 0;
    TIterativeConverter::SetProcessMessagesHook([&] { ++yields; });
    EXPECT_TRUE(Converter.Convert());
    EXPECT_EQ(Converter.Steps, QStringList({"before", "afterloop", "after"}));
    EXPECT_EQ(Events, QStringList({"start 6", "end 6"}));   // the total is known at OnStart
    EXPECT_EQ(Progress, QList<int>({1, 1, 2, 3, 3, 4}));
    EXPECT_EQ(yields, 6);
    EXPECT_EQ(Status().Succeeded, 4);
    EXPECT_EQ(Status().Errors, 2);
    EXPECT_EQ(Status().Total, 6);
    EXPECT_EQ(Status().LastError, QStringLiteral("item 5\r\nboom 5"));
    EXPECT_GE(Status().EndTick, Status().StartTick);
}

TEST_F(IterativeConverter, StopAfterThreeOfTenKeepsTheCount)
{
    Converter.Items = QList<bool>(10, true);
    TIterativeConverter::SetProcessMessagesHook([&] {
        if (Progress.size() == 3)
            Converter.Stop();   // a Stop button handled while messages are processed
    });
    Converter.Convert();
    EXPECT_EQ(Converter.Handled, 3);
    EXPECT_EQ(Status().Total, 10);
    EXPECT_EQ(Status().Succeeded, 3);
    EXPECT_EQ(Events, QStringList({"start 10", "end 10"}));
}

TEST_F(IterativeConverter, SevenFailuresLogFive)
{
    Converter.Items = QList<bool>(7, false);
    Converter.Convert();
    EXPECT_EQ(ErrorEvents, 7);
    EXPECT_EQ(Status().Errors, 7);
    EXPECT_EQ(Status().Succeeded, 0);
    EXPECT_EQ(Status().LastError, QStringLiteral("item 7\r\nboom 7"));
    EXPECT_EQ(LogLines(QStringLiteral("[error]\t")),
              QStringList({"[error]\tboom 1", "[error]\tboom 2", "[error]\tboom 3", "[error]\tboom 4",
                           "[error]\tboom 5"}));
    EXPECT_EQ(Converter.LoggedErrors(), 5);

    // A second run logs its own first five again.
    Log.Lines.clear();
    TFakeConverter again;
    again.Items = QList<bool>(2, false);
    again.Convert();
    EXPECT_EQ(LogLines(QStringLiteral("[error]\t")).size(), 2);
}

TEST_F(IterativeConverter, FixTotalOnlyForACleanUnstoppedRun)
{
    struct Case {
        QList<bool> items;
        int counted;
        int total;
    };
    const Case cases[] = {
        {{}, 5, 0},                        // counted 5, none came
        {{true, true}, 5, 2},              // rows went away
        {{true, false}, 5, 5},             // with errors the count stays
        {{true, true, true}, -1, 3},       // no count: what was done
        {{true, false, true}, -1, -1},
    };
    for (const Case& c : cases) {
        TFakeConverter converter;
        converter.Items = c.items;
        converter.Counted = c.counted;
        QStringList events;
        converter.Status().OnStart = [&](TConvertStatus&) { events << QStringLiteral("start"); };
        converter.Status().OnEnd = [&](TConvertStatus&) { events << QStringLiteral("end"); };
        converter.Convert();
        EXPECT_EQ(converter.Status().Total, c.total) << c.items.size() << " items counted as " << c.counted;
        EXPECT_EQ(events, QStringList({"start", "end"}));
    }
}

TEST_F(IterativeConverter, ErrorInCountTotalEndsTheRunBeforeOnStart)
{
    Converter.Items = {true};
    Converter.CountFails = true;
    try {
        Converter.Convert();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("count failed"));
    }
    EXPECT_TRUE(Events.isEmpty()) << Events.join(u',').toStdString();
    EXPECT_EQ(Converter.Handled, 0);
    EXPECT_EQ(Converter.Steps, QStringList({"before", "after"}));
}

TEST_F(IterativeConverter, NeverMoreItemsThanCounted)
{
    Converter.Items = QList<bool>(5, true);
    Converter.Counted = 3;   // the table gained rows after the count
    Converter.Convert();
    EXPECT_EQ(Converter.Handled, 3);
    EXPECT_EQ(Status().Total, 3);
    EXPECT_EQ(Status().Succeeded, 3);
}

TEST_F(IterativeConverter, MaxErrorsStopsWithAMessage)
{
    Converter.Items = QList<bool>(6, false);
    Converter.MaxErrors = 2;
    Converter.Convert();
    EXPECT_EQ(Converter.Handled, 3);   // stops once the errors are above the limit
    const QString message = QStringLiteral("Maxinum error count (2) exceeded. ");
    EXPECT_EQ(Status().Message, message);
    EXPECT_EQ(Events, QStringList({"start 6", message, "end 6"}));
    EXPECT_EQ(LogLines(QStringLiteral("[info]\t")), QStringList({"[info]\t" + message}));
}
