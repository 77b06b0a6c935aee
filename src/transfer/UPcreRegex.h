#pragma once

#include <QByteArray>
#include <QList>

struct pcre2_real_code_8;

// One compiled PCRE2 expression, matched against UTF-8 bytes. Subjects may hold
// invalid UTF-8 (file names are bytes): such bytes match nothing but do not
// fail the match. \d, \s and \w stay ASCII, as PCRE2 has them by default.
class TPcreRegex {
public:
    // Raises Exception for an empty pattern (PCRE2 would match everything
    // with it) and for a pattern that does not compile.
    explicit TPcreRegex(const QByteArray& pattern);
    ~TPcreRegex();
    TPcreRegex(TPcreRegex&& other) noexcept;
    TPcreRegex& operator=(TPcreRegex&& other) noexcept;
    TPcreRegex(const TPcreRegex&) = delete;
    TPcreRegex& operator=(const TPcreRegex&) = delete;

    const QByteArray& Pattern() const { return FPattern; }

    // The first match: groups gets the whole match at 0 and the groups up to
    // the highest one that took part (an unset group is a null QByteArray).
    bool Match(const QByteArray& subject, QList<QByteArray>* groups = nullptr) const;
    // Every whole match, left to right, without overlaps.
    QList<QByteArray> FindAll(const QByteArray& subject) const;

private:
    QByteArray FPattern;
    pcre2_real_code_8* FCode = nullptr;
};
