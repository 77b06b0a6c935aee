#pragma once

#include <QString>
#include <QStringList>

// Month words to month numbers: the system's own short month names and the
// English ones.
class TDateLocaleTranslator {
public:
    // LocalMonths from the C library's locale data of the user's LC_TIME.
    TDateLocaleTranslator();
    explicit TDateLocaleTranslator(const QStringList& localMonths);

    // The text with the first occurrence of each local month name (exact
    // letter case) replaced by its English abbreviation.
    QString Translate(const QString& text) const;
    // 1 to 12 for a month word, 0 for a word that names no month. Letter case
    // does not count; a word is taken by its local name (a longer word that
    // starts with it, such as a full name, too) or by its first three letters,
    // English or local.
    int MonthToNumber(const QString& word) const;

    const QStringList& LocalMonths() const { return FLocalMonths; }
    const QStringList& EnglishMonths() const { return FEnglishMonths; }

    // The abbreviated month names of the user's locale (C locale names when
    // it is not installed).
    static QStringList SystemMonthNames();

private:
    QStringList FLocalMonths;
    QStringList FEnglishMonths;
};
