#pragma once

#include "UPcreRegex.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The group expressions that the detection table is written with; the parser
// knows a group by its text.
namespace DateGroup {
inline constexpr char Year4[] = R"((\d{4}))";
inline constexpr char Year2[] = R"((\d{2}))";
inline constexpr char MonthDigits[] = R"((1[0-2]|0?[0-9]))";
inline constexpr char MonthDigits2[] = R"((1[0-2]|0[0-9]))";
inline constexpr char MonthWord[] = R"(([^\d\s\-\\]*))";
inline constexpr char Day[] = R"(([1|2][0-9]|3[0-1]|0?[0-9]))";
inline constexpr char Day2[] = R"(([1|2][0-9]|3[0-1]|0[0-9]))";
inline constexpr char Hour[] = R"((2[0-4]|1[0-9]|0?[0-9]))";
inline constexpr char Minute[] = R"(([0-5]?[0-9]))";
inline constexpr char Second[] = R"((0?[0-9]|[1-5][0-9]))";
inline constexpr char Fraction3[] = R"((\d{3}))";
inline constexpr char Fraction6[] = R"((\d{6}))";
inline constexpr char Fraction7[] = R"((\d{7}))";
inline constexpr char Fraction9[] = R"((\d{9}))";
inline constexpr char Meridiem[] = R"(([^\d\s]*))";
inline constexpr char Century[] = R"((19|20))";
}  // namespace DateGroup

// Names the format of a date text: the first of 88 expressions, tried in a
// fixed order, that matches the cleaned text. Every expression is compiled
// once, when the detector is made.
class TDateFormatDetector {
public:
    struct TFormat {
        QString Name;
        TPcreRegex Regex;   // its Pattern() is the expression
    };

    static inline const QString CannotDetect = QStringLiteral("Cannot Detect");

    TDateFormatDetector();

    // The first matching format's name, or CannotDetect.
    QString Detect(const QString& text) const;
    QString Detect(const QByteArray& text) const;
    // The row index of the first match, or -1.
    int DetectRow(const QByteArray& text) const;

    // Blanks and control characters trimmed, a to z in capitals, then one
    // pair of double and then of single quotes taken off.
    static QByteArray CleanText(const QByteArray& text);
    // Blanks and control characters (codes up to 32) off both ends.
    static QByteArray TrimBlanks(const QByteArray& text);

    const std::vector<TFormat>& Formats() const { return FFormats; }
    // The row of a format name, letter case ignored; -1 when none has it.
    int IndexOf(const QString& formatName) const;

private:
    std::vector<TFormat> FFormats;
};
