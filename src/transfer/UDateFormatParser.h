#pragma once

#include "UDateFormatDetector.h"
#include "UDateLocaleTranslator.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <vector>

// Reads date keys (taken from file names) in one of the detector's formats.
// The result is a QDateTime in Qt::UTC standing for the wall-clock value as
// written, with no time zone applied: a DATE parameter takes its date(), a
// DATETIME its date() and time(), a TIME its time(). Time-only formats give
// the date 1900-01-01.
class TDateFormatParser {
public:
    // What a group of a format's expression holds, known by its text. The
    // last five are groups that the token table leaves unnamed.
    enum TToken {
        NO_TOKEN,
        YEAR_4_REG,
        YEAR_2_REG,
        MONTH_D_REG,
        MONTH_D_2_REG,
        MONTH_W_REG,
        DAY_REG,
        DAY_2_REG,
        HOUR_REG,
        MINUTE_REG,
        SECOND_REG,
        F3_REG,
        F6_REG,
        F7_REG,
        F9_REG,
        F1_REG,             // the one digit of ".f"
        CENTURY_REG,        // "19" or "20" before a two-digit year
        MERIDIEM_REG,       // AM or PM
        SERIAL_DAYS_REG,    // a spreadsheet date serial
        DAY_FRACTION_REG,   // the digits after a spreadsheet serial's point
    };

    TDateFormatParser();
    ~TDateFormatParser();

    // The detector's format name for a key, or TDateFormatDetector::CannotDetect.
    QString DetectFormat(const QString& key) const;
    QString DetectFormat(const QByteArray& key) const;

    // The date-time a key holds in a format. The key is matched as given (not
    // cleaned). Raises EConvertError for a format without an expression
    // ("Cannot Detect"), a key that does not match it, a month word that names
    // no month, and a date or time that does not exist.
    QDateTime Parse(const QString& key, const QString& formatName) const;
    QDateTime Parse(const QByteArray& key, const QString& formatName) const;

    // Raises EConvertError unless the year is 1 to 9999, the day exists in
    // the calendar, the hour is below 24, minute and second below 60 and the
    // millisecond below 1000.
    static QDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                                    int millisecond);

    // The groups of an expression, brackets included, in order.
    static QList<QByteArray> FindGroups(const QByteArray& expression);
    // The token of one group text; NO_TOKEN for a group the table does not know.
    static TToken TokenOf(const QByteArray& groupText);

    const TDateFormatDetector& Detector() const { return *FDetector; }
    const TDateLocaleTranslator& Translator() const { return *FTranslator; }

private:
    std::unique_ptr<TDateFormatDetector> FDetector;
    std::unique_ptr<TDateLocaleTranslator> FTranslator;
    // Per detector row, the tokens of its groups in order.
    std::vector<QList<TToken>> FRowTokens;
};
