#include "UDateFormatParser.h"

#include "base/UException.h"

#include <QTime>
#include <algorithm>

namespace {

using TToken = TDateFormatParser::TToken;

const QHash<QByteArray, TToken>& TokenMap()
{
    static const QHash<QByteArray, TToken> map = {
        {DateGroup::Year4, TDateFormatParser::YEAR_4_REG},
        {DateGroup::Year2, TDateFormatParser::YEAR_2_REG},
        {DateGroup::MonthDigits, TDateFormatParser::MONTH_D_REG},
        {DateGroup::MonthDigits2, TDateFormatParser::MONTH_D_2_REG},
        {DateGroup::MonthWord, TDateFormatParser::MONTH_W_REG},
        {DateGroup::Day, TDateFormatParser::DAY_REG},
        {DateGroup::Day2, TDateFormatParser::DAY_2_REG},
        {DateGroup::Hour, TDateFormatParser::HOUR_REG},
        {DateGroup::Minute, TDateFormatParser::MINUTE_REG},
        {DateGroup::Second, TDateFormatParser::SECOND_REG},
        {DateGroup::Fraction3, TDateFormatParser::F3_REG},
        {DateGroup::Fraction6, TDateFormatParser::F6_REG},
        {DateGroup::Fraction7, TDateFormatParser::F7_REG},
        {DateGroup::Fraction9, TDateFormatParser::F9_REG},
        {R"((\d))", TDateFormatParser::F1_REG},
        {DateGroup::Century, TDateFormatParser::CENTURY_REG},
        {DateGroup::Meridiem, TDateFormatParser::MERIDIEM_REG},
        {R"((\d{1,5}))", TDateFormatParser::SERIAL_DAYS_REG},
        {R"((\d*))", TDateFormatParser::DAY_FRACTION_REG},
    };
    return map;
}

int NumberOr(const QByteArray& text, int fallback)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : fallback;
}

// The components of one key as they are read, group by group.
struct TDateParts {
    QByteArray Year, Month, Day, Hour, Minute, Second, Millisecond, Century, Meridiem;
    bool HourRead = false, MinuteRead = false, SecondRead = false;
    QDate SerialDate;
    qint64 DayMilliseconds = -1;

    void Read(TToken token, const QByteArray& value, const TDateLocaleTranslator& translator)
    {
        switch (token) {
        case TDateFormatParser::YEAR_4_REG:
            Year = value;
            break;
        case TDateFormatParser::YEAR_2_REG:
            // After the seconds, two digits are hundredths of a second.
            if (SecondRead)
                Millisecond = FractionAsMilliseconds(value);
            else
                Year = (Century.isEmpty() ? QByteArray("20") : Century) + value;
            break;
        case TDateFormatParser::CENTURY_REG:
            Century = value;
            break;
        case TDateFormatParser::MONTH_D_REG:
        case TDateFormatParser::MONTH_D_2_REG:
            Month = value;
            break;
        case TDateFormatParser::MONTH_W_REG:
            Month = MonthNumber(value, translator);
            break;
        case TDateFormatParser::DAY_REG:
        case TDateFormatParser::DAY_2_REG:
            Day = value;
            break;
        case TDateFormatParser::HOUR_REG:
            // A later hour or minute is the time zone's, which is not applied.
            if (!HourRead)
                Hour = value;
            HourRead = true;
            break;
        case TDateFormatParser::MINUTE_REG:
            if (!MinuteRead)
                Minute = value;
            MinuteRead = true;
            break;
        case TDateFormatParser::SECOND_REG:
            Second = value;
            SecondRead = true;
            break;
        case TDateFormatParser::F1_REG:
        case TDateFormatParser::F3_REG:
        case TDateFormatParser::F6_REG:
        case TDateFormatParser::F7_REG:
        case TDateFormatParser::F9_REG:
            Millisecond = FractionAsMilliseconds(value);
            break;
        case TDateFormatParser::MERIDIEM_REG:
            Meridiem = value.toUpper();
            break;
        case TDateFormatParser::SERIAL_DAYS_REG:
            // Spreadsheet serials count days from 1899-12-30.
            SerialDate = QDate(1899, 12, 30).addDays(value.toInt());
            break;
        case TDateFormatParser::DAY_FRACTION_REG:
            DayMilliseconds = std::min<qint64>(
                qRound64((QByteArray("0.") + value).toDouble() * 86400000.0), 86399999);
            break;
        case TDateFormatParser::NO_TOKEN:
            break;
        }
    }

    QDateTime Encode() const
    {
        int year = NumberOr(Year, 1900), month = NumberOr(Month, 1), day = NumberOr(Day, 1);
        int hour = NumberOr(Hour, 0), minute = NumberOr(Minute, 0), second = NumberOr(Second, 0);
        int millisecond = NumberOr(Millisecond, 0);
        if (SerialDate.isValid())
            SerialDate.getDate(&year, &month, &day);
        if (DayMilliseconds >= 0) {
            hour = int(DayMilliseconds / 3600000);
            minute = int(DayMilliseconds / 60000 % 60);
            second = int(DayMilliseconds / 1000 % 60);
            millisecond = int(DayMilliseconds % 1000);
        }
        // As on a clock: 12 AM is midnight, PM adds 12 to the hours below 12.
        if (!Hour.isEmpty() && Meridiem.contains("PM")) {
            if (hour < 12)
                hour += 12;
        } else if (!Hour.isEmpty() && Meridiem.contains("AM")) {
            if (hour == 12)
                hour = 0;
        }
        return TDateFormatParser::EncodeDateTime(year, month, day, hour, minute, second, millisecond);
    }

    // The first three digits are the milliseconds: ".5" is 500, ".1234567" is 123.
    static QByteArray FractionAsMilliseconds(const QByteArray& digits)
    {
        return digits.left(3).leftJustified(3, '0');
    }

    static QByteArray MonthNumber(const QByteArray& word, const TDateLocaleTranslator& translator)
    {
        const int month = translator.MonthToNumber(QString::fromUtf8(word));
        if (month == 0)
            throw EConvertError(QStringLiteral("\"%1\" is no month name").arg(QString::fromUtf8(word)));
        return QByteArray::number(month);
    }
};

}  // namespace

TDateFormatParser::TDateFormatParser()
    : FDetector(std::make_unique<TDateFormatDetector>()),
      FTranslator(std::make_unique<TDateLocaleTranslator>())
{
    for (const TDateFormatDetector::TFormat& format : FDetector->Formats()) {
        QList<TToken> tokens;
        for (const QByteArray& group : FindGroups(format.Regex.Pattern()))
            tokens.append(TokenOf(group));
        FRowTokens.push_back(tokens);
    }
}

TDateFormatParser::~TDateFormatParser() = default;

QString TDateFormatParser::DetectFormat(const QString& key) const
{
    return FDetector->Detect(key);
}

QString TDateFormatParser::DetectFormat(const QByteArray& key) const
{
    return FDetector->Detect(key);
}

QDateTime TDateFormatParser::Parse(const QString& key, const QString& formatName) const
{
    return Parse(key.toUtf8(), formatName);
}

QDateTime TDateFormatParser::Parse(const QByteArray& key, const QString& formatName) const
{
    const int row = FDetector->IndexOf(formatName);
    if (row < 0)
        throw EConvertError(QStringLiteral("No regular expression for the date format \"%1\"").arg(formatName));
    const TDateFormatDetector::TFormat& format = FDetector->Formats()[row];
    QList<QByteArray> groups;
    if (!format.Regex.Match(key, &groups))
        throw EConvertError(QStringLiteral("\"%1\" does not match the date format \"%2\"")
                                .arg(QString::fromUtf8(key), format.Name));
    const QList<TToken>& tokens = FRowTokens[row];
    // Such a key would read as 1900-01-01 whatever it says.
    if (std::all_of(tokens.begin(), tokens.end(), [](TToken t) { return t == NO_TOKEN; }))
        throw EConvertError(QStringLiteral("No date can be read from \"%1\" in the date format \"%2\"")
                                .arg(QString::fromUtf8(key), format.Name));
    TDateParts parts;
    for (qsizetype i = 1; i <= tokens.size() && i < groups.size(); ++i)
        parts.Read(tokens[i - 1], TDateFormatDetector::TrimBlanks(groups[i]), *FTranslator);
    return parts.Encode();
}

QDateTime TDateFormatParser::EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                                            int millisecond)
{
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        throw EConvertError(
            QStringLiteral("Invalid date: year %1, month %2, day %3").arg(year).arg(month).arg(day));
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0
        || millisecond > 999)
        throw EConvertError(QStringLiteral("Invalid time: hour %1, minute %2, second %3, millisecond %4")
                                .arg(hour)
                                .arg(minute)
                                .arg(second)
                                .arg(millisecond));
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond), Qt::UTC);
}

QList<QByteArray> TDateFormatParser::FindGroups(const QByteArray& expression)
{
    static const TPcreRegex groupFinder(QByteArrayLiteral(R"(\([^\(]*\))"));
    return groupFinder.FindAll(expression);
}

TDateFormatParser::TToken TDateFormatParser::TokenOf(const QByteArray& groupText)
{
    return TokenMap().value(groupText, NO_TOKEN);
}
