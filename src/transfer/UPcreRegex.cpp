#define PCRE2_CODE_UNIT_WIDTH 8
#include "UPcreRegex.h"

#include "base/UException.h"

#include <pcre2.h>
#include <memory>

namespace {

QString PcreErrorText(int code)
{
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(code, buffer, sizeof buffer);
    return length < 0 ? QStringLiteral("PCRE2 error %1").arg(code)
                      : QString::fromUtf8(reinterpret_cast<const char*>(buffer), length);
}

[[noreturn]] void ThrowMatchError(const QByteArray& pattern, int code)
{
    throw Exception(QStringLiteral("Regular expression \"%1\" failed: %2")
                        .arg(QString::fromUtf8(pattern), PcreErrorText(code)));
}

struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

PCRE2_SPTR Bytes(const QByteArray& text)
{
    return reinterpret_cast<PCRE2_SPTR>(text.constData());
}

}  // namespace

TPcreRegex::TPcreRegex(const QByteArray& pattern) : FPattern(pattern)
{
    if (pattern.isEmpty())
        throw Exception(QStringLiteral("No regular expression given"));
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    FCode = pcre2_compile(Bytes(pattern), pattern.size(), PCRE2_UTF | PCRE2_MATCH_INVALID_UTF,
                          &errorCode, &errorOffset, nullptr);
    if (!FCode)
        throw Exception(QStringLiteral("Invalid regular expression \"%1\" at offset %2: %3")
                            .arg(QString::fromUtf8(pattern))
                            .arg(errorOffset)
                            .arg(PcreErrorText(errorCode)));
}

TPcreRegex::~TPcreRegex()
{
    pcre2_code_free(FCode);
}

TPcreRegex::TPcreRegex(TPcreRegex&& other) noexcept : FPattern(std::move(other.FPattern)), FCode(other.FCode)
{
    other.FCode = nullptr;
}

TPcreRegex& TPcreRegex::operator=(TPcreRegex&& other) noexcept
{
    if (this != &other) {
        pcre2_code_free(FCode);
        FPattern = std::move(other.FPattern);
        FCode = other.FCode;
        other.FCode = nullptr;
    }
    return *this;
}

bool TPcreRegex::Match(const QByteArray& subject, QList<QByteArray>* groups) const
{
    MatchData data(pcre2_match_data_create_from_pattern(FCode, nullptr));
    const int rc = pcre2_match(FCode, Bytes(subject), subject.size(), 0, 0, data.get(), nullptr);
    if (rc == PCRE2_ERROR_NOMATCH)
        return false;
    if (rc < 0)
        ThrowMatchError(FPattern, rc);
    if (groups) {
        groups->clear();
        const PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(data.get());
        for (int i = 0; i < rc; ++i) {
            const PCRE2_SIZE start = offsets[2 * i];
            if (start == PCRE2_UNSET)
                groups->append(QByteArray());
            else
                groups->append(subject.mid(qsizetype(start), qsizetype(offsets[2 * i + 1] - start)));
        }
    }
    return true;
}

QList<QByteArray> TPcreRegex::FindAll(const QByteArray& subject) const
{
    QList<QByteArray> found;
    MatchData data(pcre2_match_data_create_from_pattern(FCode, nullptr));
    PCRE2_SIZE offset = 0;
    while (offset <= PCRE2_SIZE(subject.size())) {
        const int rc = pcre2_match(FCode, Bytes(subject), subject.size(), offset, 0, data.get(), nullptr);
        if (rc == PCRE2_ERROR_NOMATCH)
            break;
        if (rc < 0)
            ThrowMatchError(FPattern, rc);
        const PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(data.get());
        found.append(subject.mid(qsizetype(offsets[0]), qsizetype(offsets[1] - offsets[0])));
        // An empty match moves on by one byte so that the search ends.
        offset = offsets[1] > offsets[0] ? offsets[1] : offsets[1] + 1;
    }
    return found;
}
