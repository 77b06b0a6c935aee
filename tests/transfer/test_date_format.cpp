#include "base/UException.h"
#include "transfer/UDateFormatParser.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

// One key per detection row, in row order, that no earlier row takes.
const char* const RowSamples[] = {
    "04/Mar/2021:10:20:30 +0100",
    "Mar 4 2021 10:20PM",
    "03/04/2021",
    "2021.03.04",
    "13/03/2021",
    "04.03.2021",
    "04-03-2021",
    "04 Mar 2021",
    "Mar 4, 2021",
    "10:20:30",
    "Mar 4 2021 10:20:30:123PM",
    "03-13-2021",
    "2021/03/04",
    "20210304",
    "20210304102030",
    "04 Mar 2021 10:20:30:123",
    "10:20:30:123",
    "10:20:30 PM",
    "2021-03-04 10:20:30",
    "2021-03-04 10:20",
    "20210304 10:20:30",
    "2021-03-04 10:20:30.5",
    "2021-03-04 10:20:30.45",
    "2021-03-04 10:20:30.123",
    "2021-03-04T10:20:30.123",
    "2021.03.04 10:20:30.123",
    "2021 03 04 10:20:30",
    "03/04/21",
    "21.03.04",
    "13/03/21",
    "13.03.45",
    "13-03-21",
    "04 Mar 21",
    "Mar 4, 21",
    "03-13-21",
    "45/03/13",
    "210304",
    "202103",
    "2021-03",
    "03/04/21 10:20:30 PM",
    "2021-03-04",
    "13/03/2021 10:20:30",
    "03.04.2021 10.20.30",
    "2021/03/04 10:20",
    "13/03/2021 10:20",
    "04-Mar-21",
    "2021/03/04 PM 10:20:30",
    "2021-03-04 PM 10:20:30",
    "2021-03-04-10.20.30.123456",
    "2021-03-04 10:20:30.123456",
    "2021-03-04 10:20:30.1234567",
    "2021-03-04 10:20:30.123456789",
    "2021-03-04 10:20:30.1234567 +01:00",
    "2021-03-04 10:20:30.123456+01:00",
    "Thu, 04 Mar 2021",
    "Thu, 04 Mar 2021 10:20:30 +0100",
    "Thu Mar 04 2021 10:20:30 GMT+0100",
    "Thu Mar 04 10:20:30 +0100 2021",
    "ISODate(\"2021-03-04T10:20:30Z\")",
    "2021-03-04 10:20:30+05:30",
    "2021-03-04 10:20:30Z",
    "2021-03-04T10:20:30Z",
    "2021-03-04T10:20:30.123Z",
    "2021-03-04T10:20:30.123456Z",
    "2021-03-04T10:20:30.123456",
    "2021-03-04T10:20:30",
    "2021-03-04T10:20:30+01:00",
    "2021-03-04T10:20:30.123+01:00",
    "04.03.2021.",
    "04.03.2021. 10:20:30",
    "04.03.2021 10:20:30",
    "2021/03/04 10:20:30",
    "03/04/21 10:20:30",
    "21-03-04 10:20",
    "03/04/2021 10:20:30 PM",
    "13/03/2021 10:20:30 PM",
    "03/04/21 10:20 PM",
    "13/03/2021 10.20",
    "2021_03_04_10:20:30",
    "2021_03_04 10:20:30",
    "2021_03_04 10_20_30",
    "2021:03:04",
    "2021:03:04 10:20:30",
    "2021:03:04 10:20:30+01:00",
    "2021-03-04 10:20:30 UTC",
    "0.5",
    "44259",
    "44259.75",
};

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

}  // namespace

TEST(DateFormatDetector, EveryRowCompilesAndDetectsItsOwnSample)
{
    TDateFormatDetector detector;   // compiles all rows; a bad one would raise here
    const auto& formats = detector.Formats();
    ASSERT_EQ(formats.size(), 88u);
    ASSERT_EQ(std::size(RowSamples), formats.size());
    QSet<QString> names, expressions;
    for (size_t row = 0; row < formats.size(); ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row + 1 << ": " << RowSamples[row]);
        EXPECT_EQ(detector.Detect(QString::fromUtf8(RowSamples[row])), formats[row].Name);
        names.insert(formats[row].Name.toLower());
        expressions.insert(QString::fromUtf8(formats[row].Regex.Pattern()).toLower());
    }
    EXPECT_EQ(names.size(), 88) << "format names are unique";
    EXPECT_EQ(expressions.size(), 88) << "expressions are unique, letter case ignored";
}

TEST(DateFormatDetector, ExpressionsAreWrittenOutInFull)
{
    TDateFormatDetector detector;
    const auto& formats = detector.Formats();
    EXPECT_EQ(formats[2].Regex.Pattern(), R"(^(1[0-2]|0?[0-9])/([1|2][0-9]|3[0-1]|0?[0-9])/(\d{4})$)");
    // {TZ}: sign, hour, optional colon, optional minute.
    EXPECT_EQ(formats[59].Regex.Pattern(),
              R"(^(\d{4})-(1[0-2]|0?[0-9])-([1|2][0-9]|3[0-1]|0?[0-9])\s+(2[0-4]|1[0-9]|0?[0-9]):)"
              R"(([0-5]?[0-9]):(0?[0-9]|[1-5][0-9])[+|-]?(2[0-4]|1[0-9]|0?[0-9]):?([0-5]?[0-9])?$)");
    // Quantifier braces are no marks.
    EXPECT_EQ(formats[54].Regex.Pattern().left(8), R"(^\w{3},)" + QByteArray("\\"));
    EXPECT_EQ(formats[87].Regex.Pattern(), R"(^(\d{1,5})\.(\d*)$)");
    EXPECT_EQ(detector.IndexOf(QStringLiteral("EXCEL date")), 86);
    EXPECT_EQ(detector.IndexOf(TDateFormatDetector::CannotDetect), -1);
}

TEST(DateFormatDetector, CleansBlanksCaseAndQuotesFirst)
{
    struct Case {
        QByteArray text, cleaned;
    };
    const Case cases[] = {
        {"\t 2021-03-04t10:20:30z \r\n", "2021-03-04T10:20:30Z"},
        {"\"2021-03-04\"", "2021-03-04"},
        {"'\"x\"'", "\"X\""},           // double quotes only when they come first
        {"\"'x'\"", "X"},                // then single quotes
        {"\"a\"\"b\"tail", "A\"B"},      // a doubled quote is one; text after the close goes
        {"\"abc", "\"ABC"},              // no closing quote: unchanged
        {"m\xc3\xa4r", "M\xc3\xa4R"},    // only a to z change
    };
    for (const Case& c : cases)
        EXPECT_EQ(TDateFormatDetector::CleanText(c.text), c.cleaned) << c.text.constData();

    TDateFormatDetector detector;
    EXPECT_EQ(detector.Detect(QStringLiteral(" '2021-03-04' ")), QStringLiteral("yyyy-mm-dd"));
    EXPECT_EQ(detector.Detect(QStringLiteral("holiday")), TDateFormatDetector::CannotDetect);
    EXPECT_EQ(detector.Detect(QString()), TDateFormatDetector::CannotDetect);
    // File names are bytes: invalid UTF-8 matches nothing and raises nothing.
    EXPECT_EQ(detector.Detect(QByteArray("04 M\xe4r 2021")), TDateFormatDetector::CannotDetect);
    EXPECT_EQ(detector.Detect(QByteArray("2021-03-04\xff")), TDateFormatDetector::CannotDetect);
    EXPECT_EQ(detector.Detect(QByteArray("04 M\xc3\xa4r 2021")), QStringLiteral("dd mon yyyy"));
    // \d is ASCII only: Arabic-Indic digits are no digits.
    EXPECT_EQ(detector.Detect(QByteArray("\xd9\xa2\xd9\xa0\xd9\xa2\xd9\xa1")), TDateFormatDetector::CannotDetect);
}

TEST(DateFormatParser, ReadsKeysInTheirDetectedFormat)
{
    struct Case {
        const char* key;
        const char* format;
        QDateTime value;
    };
    const Case cases[] = {
        {"04/03/2021", "mm/dd/yyyy", At(2021, 4, 3)},
        {"13/03/2021", "dd/mm/yyyy", At(2021, 3, 13)},
        {"2021-03-04", "yyyy-mm-dd", At(2021, 3, 4)},
        {"12:30:05", "hh24:mi:ss", At(1900, 1, 1, 12, 30, 5)},
        {"20210304", "yyyymmdd", At(2021, 3, 4)},                       // century and Y2, M2, D2
        {"19991231", "yyyymmdd", At(1999, 12, 31)},                     // the century counts
        {"199912", "yyyymm", At(1999, 12, 1)},
        {"12/31/99", "mm/dd/yy", At(2099, 12, 31)},                     // two digits alone are 20yy
        {"20210304102030", "yyyymmddhh24miss", At(2021, 3, 4, 10, 20, 30)},
        {"21-03-04 10:20", "dd-mm-yy hh24:mi", At(2021, 3, 4, 10, 20)}, // the expression reads y-m-d
        // Month words: English, any letter case, longer than three letters.
        {"Mar 4, 2021", "mon dd, yyyy", At(2021, 3, 4)},
        {"march 4, 2021", "mon dd, yyyy", At(2021, 3, 4)},
        {"04-SEPT-21", "dd-mon-yy", At(2021, 9, 4)},
        {"04/Mar/2021:10:20:30 +0100", "dd/mon/yyyy:hh24:mi:ss TZR", At(2021, 3, 4, 10, 20, 30)},
        {"Thu Mar 04 2021 10:20:30 GMT+0100", "dy mon dd yyyy hh24:mi:ss GMTTZR", At(2021, 3, 4, 10, 20, 30)},
        {"Thu Mar 04 10:20:30 +0100 2021", "dy mon dd hh24:mi:ss TZR yyyy", At(2021, 3, 4, 10, 20, 30)},
        // The zone's hour and minute are not applied.
        {"2021-03-04 10:20:30+05:30", "yyyy-mm-dd hh24:mi:ssTZR", At(2021, 3, 4, 10, 20, 30)},
        // AM and PM as on a clock.
        {"03/04/2021 10:20:30 PM", "mm/dd/yyyy hh:mi:ss AM", At(2021, 3, 4, 22, 20, 30)},
        {"03/04/2021 12:20:30 PM", "mm/dd/yyyy hh:mi:ss AM", At(2021, 3, 4, 12, 20, 30)},
        {"03/04/2021 12:20:30 AM", "mm/dd/yyyy hh:mi:ss AM", At(2021, 3, 4, 0, 20, 30)},
        {"03/04/2021 10:20:30 am", "mm/dd/yyyy hh:mi:ss AM", At(2021, 3, 4, 10, 20, 30)},
        {"03/04/2021 13:20:30 PM", "mm/dd/yyyy hh:mi:ss AM", At(2021, 3, 4, 13, 20, 30)},
        {"Mar 4 2021 10:20pm", "mon dd yyyy hh:miAM", At(2021, 3, 4, 22, 20)},
        {"2021/03/04 PM 10:20:30", "yyyy/mm/dd AM hh:mi:ss", At(2021, 3, 4, 22, 20, 30)},
        // Fractions: the first three digits are milliseconds.
        {"2021-03-04 10:20:30.5", "yyyy-mm-dd hh24:mi:ss.f", At(2021, 3, 4, 10, 20, 30, 500)},
        {"2021-03-04 10:20:30.45", "yyyy-mm-dd hh24:mi:ss.ff", At(2021, 3, 4, 10, 20, 30, 450)},
        {"Mar 4 2021 10:20:30:123AM", "mon dd yyyy hh:mi:ss:fffAM", At(2021, 3, 4, 10, 20, 30, 123)},
        {"2021-03-04 10:20:30.123456", "yyyy-mm-dd hh24:mi:ss.ffffff", At(2021, 3, 4, 10, 20, 30, 123)},
        {"2021-03-04 10:20:30.9876543", "yyyy-mm-dd hh24:mi:ss.fffffff", At(2021, 3, 4, 10, 20, 30, 987)},
        {"2021-03-04 10:20:30.123456789", "yyyy-mm-dd hh24:mi:ss.fffffffff", At(2021, 3, 4, 10, 20, 30, 123)},
        // Spreadsheet serials: days from 1899-12-30 and the part of a day.
        {"44259", "Excel Date", At(2021, 3, 4)},
        {"44259.75", "Excel DateTime", At(2021, 3, 4, 18)},
        {"0.5", "Excel Time", At(1900, 1, 1, 12)},
        {"0.99999999999", "Excel Time", At(1900, 1, 1, 23, 59, 59, 999)},
    };
    TDateFormatParser parser;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const QString format = parser.DetectFormat(QString::fromUtf8(c.key));
        EXPECT_EQ(format, QString::fromUtf8(c.format));
        try {
            const QDateTime value = parser.Parse(QString::fromUtf8(c.key), format);
            EXPECT_EQ(value, c.value) << value.toString(Qt::ISODateWithMs).toStdString();
            EXPECT_EQ(value.timeSpec(), Qt::UTC);
        } catch (const Exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(DateFormatParser, RaisesInsteadOfReadingAWrongDate)
{
    struct Case {
        const char* key;
        const char* format;
        const char* message;
    };
    const Case cases[] = {
        {"2021-03-04", "Cannot Detect", "No regular expression for the date format \"Cannot Detect\""},
        {"holiday", "", "No regular expression for the date format \"\""},
        // Parsing does not clean: blanks, quotes or a lower-case t do not match.
        {" 2021-03-04", "yyyy-mm-dd", "\" 2021-03-04\" does not match the date format \"yyyy-mm-dd\""},
        {"2021-03-04t10:20:30", "yyyy-mm-ddThh24:mi:ss", "does not match"},
        {"2021-03-04", "mm/dd/yyyy", "does not match"},                 // another key of the run
        {"ISODATE(\"2021-03-04T10:20:30Z\")", "ISODate", "No date can be read from"},
        {"04 Xyz 2021", "dd mon yyyy", "\"Xyz\" is no month name"},
        {"02/30/2021", "mm/dd/yyyy", "Invalid date: year 2021, month 2, day 30"},
        {"02/29/2021", "mm/dd/yyyy", "Invalid date: year 2021, month 2, day 29"},
        {"0000-01-01", "yyyy-mm-dd", "Invalid date: year 0, month 1, day 1"},
        {"24:00:00", "hh24:mi:ss", "Invalid time: hour 24, minute 0, second 0, millisecond 0"},
    };
    TDateFormatParser parser;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        try {
            const QDateTime value = parser.Parse(QString::fromUtf8(c.key), QString::fromUtf8(c.format));
            ADD_FAILURE() << "read as " << value.toString(Qt::ISODateWithMs).toStdString();
        } catch (const EConvertError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.message))) << e.what();
        }
    }
    EXPECT_EQ(parser.Parse(QByteArray("02/29/2024"), QStringLiteral("MM/DD/YYYY")), At(2024, 2, 29))
        << "format names ignore letter case; leap days exist";
}

TEST(DateFormatParser, EncoderChecksEveryComponent)
{
    EXPECT_EQ(TDateFormatParser::EncodeDateTime(9999, 12, 31, 23, 59, 59, 999), At(9999, 12, 31, 23, 59, 59, 999));
    EXPECT_EQ(TDateFormatParser::EncodeDateTime(1, 1, 1, 0, 0, 0, 0), At(1, 1, 1));
    const int bad[][7] = {
        {10000, 1, 1, 0, 0, 0, 0}, {2021, 13, 1, 0, 0, 0, 0}, {2021, 4, 31, 0, 0, 0, 0},
        {2021, 1, 0, 0, 0, 0, 0},  {2021, 1, 1, 24, 0, 0, 0}, {2021, 1, 1, 0, 60, 0, 0},
        {2021, 1, 1, 0, 0, 60, 0}, {2021, 1, 1, 0, 0, 0, 1000}, {2021, 1, 1, -1, 0, 0, 0},
    };
    for (const auto& b : bad)
        EXPECT_THROW(TDateFormatParser::EncodeDateTime(b[0], b[1], b[2], b[3], b[4], b[5], b[6]), EConvertError)
            << b[0] << "-" << b[1] << "-" << b[2] << " " << b[3] << ":" << b[4] << ":" << b[5] << "." << b[6];
}

TEST(DateFormatParser, GroupsOfAnExpressionMapToTokens)
{
    TDateFormatDetector detector;
    const QByteArray row1 = detector.Formats()[0].Regex.Pattern();
    const QList<QByteArray> groups = TDateFormatParser::FindGroups(row1);
    ASSERT_EQ(groups.size(), 8);
    using P = TDateFormatParser;
    const P::TToken expected[] = {P::DAY_REG,    P::MONTH_W_REG, P::YEAR_4_REG, P::HOUR_REG,
                                  P::MINUTE_REG, P::SECOND_REG,  P::HOUR_REG,   P::MINUTE_REG};
    for (int i = 0; i < groups.size(); ++i)
        EXPECT_EQ(P::TokenOf(groups[i]), expected[i]) << groups[i].constData();
    EXPECT_EQ(P::TokenOf("(GMT)"), P::NO_TOKEN);
}

TEST(DateLocaleTranslator, MonthWordsInAnyCaseEnglishOrLocal)
{
    const QStringList french = {
        QStringLiteral("janv."), QStringLiteral("févr."), QStringLiteral("mars"), QStringLiteral("avril"),
        QStringLiteral("mai"),   QStringLiteral("juin"),  QStringLiteral("juil."), QStringLiteral("août"),
        QStringLiteral("sept."), QStringLiteral("oct."),  QStringLiteral("nov."), QStringLiteral("déc."),
    };
    const TDateLocaleTranslator translator(french);
    const struct {
        QString word;
        int month;
    } cases[] = {
        {QStringLiteral("juin"), 6},     {QStringLiteral("JUILLET"), 7}, {QStringLiteral("févr."), 2},
        {QStringLiteral("Févr"), 2},     {QStringLiteral("fév"), 2},     {QStringLiteral("DÉC"), 12},
        {QStringLiteral("jui"), 0},      // June or July: no guess
        {QStringLiteral("Mar"), 3},      {QStringLiteral("february"), 2}, {QStringLiteral("Aug"), 8},
        {QStringLiteral("ma"), 0},       {QString(), 0},                 {QStringLiteral("xyz"), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(translator.MonthToNumber(c.word), c.month) << c.word.toStdString();

    EXPECT_EQ(translator.Translate(QStringLiteral("04 juil. 2021 juil.")), QStringLiteral("04 jul 2021 juil."));
    EXPECT_EQ(translator.EnglishMonths().size(), 12);

    const TDateLocaleTranslator system;
    ASSERT_EQ(system.LocalMonths().size(), 12);
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(system.MonthToNumber(system.LocalMonths()[month - 1]), month);
}
