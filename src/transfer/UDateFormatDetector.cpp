#include "UDateFormatDetector.h"

#include <QHash>

namespace {

struct Row {
    const char* name;
    const char* expression;   // with {marks} for the group expressions
};

// Order matters: the first match wins (mm/dd before dd/mm, and so on).
// Row 74's name says day-month-year, its expression reads year-month-day.
const Row Rows[] = {
    {"dd/mon/yyyy:hh24:mi:ss TZR", R"(^{D}/{MW}/{Y4}:{H}:{MI}:{S}\s+{TZ}$)"},
    {"mon dd yyyy hh:miAM", R"(^{MW}\s+{D}\s+{Y4}\s+{H}:{MI}{AP}$)"},
    {"mm/dd/yyyy", R"(^{M}/{D}/{Y4}$)"},
    {"yyyy.mm.dd", R"(^{Y4}\.{M}\.{D}$)"},
    {"dd/mm/yyyy", R"(^{D}/{M}/{Y4}$)"},
    {"dd.mm.yyyy", R"(^{D}\.{M}\.{Y4}$)"},
    {"dd-mm-yyyy", R"(^{D}-{M}-{Y4}$)"},
    {"dd mon yyyy", R"(^{D}\s+{MW}\s+{Y4}$)"},
    {"mon dd, yyyy", R"(^{MW}\s+{D},\s+{Y4}$)"},
    {"hh24:mi:ss", R"(^{H}:{MI}:{S}$)"},
    {"mon dd yyyy hh:mi:ss:fffAM", R"(^{MW}\s+{D}\s+{Y4}\s+{H}:{MI}:{S}:{F3}{AP}$)"},
    {"mm-dd-yyyy", R"(^{M}-{D}-{Y4}$)"},
    {"yyyy/mm/dd", R"(^{Y4}/{M}/{D}$)"},
    {"yyyymmdd", R"(^{C}{Y2}{M2}{D2}$)"},
    {"yyyymmddhh24miss", R"(^{Y4}{M2}{D2}{H}{MI}{S}$)"},
    {"dd mon yyyy hh24:mi:ss:fff", R"(^{D}\s+{MW}\s+{Y4}\s+{H}:{MI}:{S}:{F3}$)"},
    {"hh24:mi:ss:fff", R"(^{H}:{MI}:{S}:{F3}$)"},
    {"hh24:mi:ss AM", R"(^{H}:{MI}:{S}\s+{AP}$)"},
    {"yyyy-mm-dd hh24:mi:ss", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}$)"},
    {"yyyy-mm-dd hh24:mi", R"(^{Y4}-{M}-{D}\s+{H}:{MI}$)"},
    {"yyyymmdd hh24:mi:ss", R"(^{Y4}{M2}{D2}\s+{H}:{MI}:{S}$)"},
    {"yyyy-mm-dd hh24:mi:ss.f", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}\.(\d)$)"},
    {"yyyy-mm-dd hh24:mi:ss.ff", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}\.{Y2}$)"},
    {"yyyy-mm-dd hh24:mi:ss.fff", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}\.{F3}$)"},
    {"yyyy-mm-ddThh24:mi:ss.fff", R"(^{Y4}-{M}-{D}T{H}:{MI}:{S}\.{F3}$)"},
    {"yyyy.mm.dd hh24:mi:ss.fff", R"(^{Y4}.{M}.{D}\s+{H}:{MI}:{S}\.{F3}$)"},
    {"yyyy mm dd hh24:mi:ss", R"(^{Y4}\s+{M}\s+{D}\s+{H}:{MI}:{S}$)"},
    {"mm/dd/yy", R"(^{M}/{D}/{Y2}$)"},
    {"yy.mm.dd", R"(^{Y2}\.{M}\.{D}$)"},
    {"dd/mm/yy", R"(^{D}/{M}/{Y2}$)"},
    {"dd.mm.yy", R"(^{D}\.{M}\.{Y2}$)"},
    {"dd-mm-yy", R"(^{D}-{M}-{Y2}$)"},
    {"dd mon yy", R"(^{D}\s+{MW}\s+{Y2}$)"},
    {"mon dd, yy", R"(^{MW}\s+{D},\s+{Y2}$)"},
    {"mm-dd-yy", R"(^{M}-{D}-{Y2}$)"},
    {"yy/mm/dd", R"(^{Y2}/{M}/{D}$)"},
    {"yymmdd", R"(^{Y2}{M2}{D2}$)"},
    {"yyyymm", R"(^{C}{Y2}{M2}$)"},
    {"yyyy-mm", R"(^{Y4}-{M2}$)"},
    {"mm/dd/yy hh:mi:ss AM", R"(^{M}/{D}/{Y2}\s+{H}:{MI}:{S}\s+{AP}$)"},
    {"yyyy-mm-dd", R"(^{Y4}-{M}-{D}$)"},
    {"dd/mm/yyyy hh24:mi:ss", R"(^{D}/{M}/{Y4}\s+{H}:{MI}:{S}$)"},
    {"mm.dd.yyyy hh24.mi.ss", R"(^{M}\.{D}\.{Y4}\s+{H}\.{MI}\.{S}$)"},
    {"yyyy/mm/dd hh24:mi", R"(^{Y4}/{M}/{D}\s+{H}:{MI}$)"},
    {"dd/mm/yyyy hh24:mi", R"(^{D}/{M}/{Y4}\s+{H}:{MI}$)"},
    {"dd-mon-yy", R"(^{D}-{MW}-{Y2}$)"},
    {"yyyy/mm/dd AM hh:mi:ss", R"(^{Y4}/{M}/{D}\s+{AP}\s+{H}:{MI}:{S}$)"},
    {"yyyy-mm-dd AM hh:mi:ss", R"(^{Y4}-{M}-{D}\s+{AP}\s+{H}:{MI}:{S}$)"},
    {"yyyy-mm-dd-hh24.mi.ss.ffffff", R"(^{Y4}-{M}-{D}-{H}\.{MI}\.{S}\.{F6}$)"},
    {"yyyy-mm-dd hh24:mi:ss.ffffff", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}\.{F6}$)"},
    {"yyyy-mm-dd hh24:mi:ss.fffffff", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}\.{F7}$)"},
    {"yyyy-mm-dd hh24:mi:ss.fffffffff", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}\.{F9}$)"},
    {"yyyy-mm-dd hh24:mi:ss.fffffff TZR", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}\.{F7}\s+{TZ}$)"},
    {"yyyy-mm-dd hh24:mi:ss.ffffffTZR", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}\.{F6}{TZ}$)"},
    {"dy, dd mon yyyy", R"(^\w{3},\s+{D}\s+{MW}\s+{Y4}$)"},
    {"dy, dd mon yyyy hh24:mi:ss TZR", R"(^\w{3},\s+{D}\s+{MW}\s+{Y4}\s+{H}:{MI}:{S}\s+{TZ}$)"},
    {"dy mon dd yyyy hh24:mi:ss GMTTZR", R"(^\w{3}\s+{MW}\s+{D}\s+{Y4}\s+{H}:{MI}:{S}\s+(GMT){TZ}$)"},
    {"dy mon dd hh24:mi:ss TZR yyyy", R"(^\w{3}\s+{MW}\s+{D}\s+{H}:{MI}:{S}\s+{TZ}\s+{Y4}$)"},
    {"ISODate", R"(^ISODATE)"},
    {"yyyy-mm-dd hh24:mi:ssTZR", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}{TZ}$)"},
    {"yyyy-mm-dd hh24:mi:ssZ", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}Z$)"},
    {"yyyy-mm-ddThh24:mi:ssZ", R"(^{Y4}-{M}-{D}T{H}:{MI}:{S}Z$)"},
    {"yyyy-mm-ddThh24:mi:ss.fffZ", R"(^{Y4}-{M}-{D}T{H}:{MI}:{S}\.{F3}Z$)"},
    {"yyyy-mm-ddThh24:mi:ss.ffffffZ", R"(^{Y4}-{M}-{D}T{H}:{MI}:{S}\.{F6}Z$)"},
    {"yyyy-mm-ddThh24:mi:ss.ffffff", R"(^{Y4}-{M}-{D}T{H}:{MI}:{S}\.{F6}$)"},
    {"yyyy-mm-ddThh24:mi:ss", R"(^{Y4}-{M}-{D}T{H}:{MI}:{S}$)"},
    {"yyyy-mm-ddThh24:mi:ssTZR", R"(^{Y4}-{M}-{D}T{H}:{MI}:{S}{TZ}$)"},
    {"yyyy-mm-ddThh24:mi:ss.fffTZR", R"(^{Y4}-{M}-{D}T{H}:{MI}:{S}\.{F3}{TZ}$)"},
    {"dd.mm.yyyy.", R"(^{D}\.{M}\.{Y4}\.$)"},
    {"dd.mm.yyyy. hh24:mi:ss", R"(^{D}\.{M}\.{Y4}\.\s+{H}:{MI}:{S}$)"},
    {"dd.mm.yyyy hh24:mi:ss", R"(^{D}\.{M}\.{Y4}\s+{H}:{MI}:{S}$)"},
    {"yyyy/mm/dd hh24:mi:ss", R"(^{Y4}/{M}/{D}\s+{H}:{MI}:{S}$)"},
    {"mm/dd/yy hh24:mi:ss", R"(^{M}/{D}/{Y2}\s+{H}:{MI}:{S}$)"},
    {"dd-mm-yy hh24:mi", R"(^{Y2}-{M}-{D}\s+{H}:{MI}$)"},
    {"mm/dd/yyyy hh:mi:ss AM", R"(^{M}/{D}/{Y4}\s+{H}:{MI}:{S}\s+{AP}$)"},
    {"dd/mm/yyyy hh:mi:ss AM", R"(^{D}/{M}/{Y4}\s+{H}:{MI}:{S}\s+{AP}$)"},
    {"mm/dd/yy hh:mi AM", R"(^{M}/{D}/{Y2}\s+{H}:{MI}\s+{AP}$)"},
    {"dd/mm/yyyy hh24.mi", R"(^{D}/{M}/{Y4}\s+{H}\.{MI}$)"},
    {"yyyy_mm_dd_hh24:mi:ss", R"(^{Y4}_{M}_{D}_{H}:{MI}:{S}$)"},
    {"yyyy_mm_dd hh24:mi:ss", R"(^{Y4}_{M}_{D}\s+{H}:{MI}:{S}$)"},
    {"yyyy_mm_dd hh24_mi_ss", R"(^{Y4}_{M}_{D}\s+{H}_{MI}_{S}$)"},
    {"yyyy:mm:dd", R"(^{Y4}:{M}:{D}$)"},
    {"yyyy:mm:dd hh24:mi:ss", R"(^{Y4}:{M}:{D}\s+{H}:{MI}:{S}$)"},
    {"yyyy:mm:dd hh24:mi:ssTZR", R"(^{Y4}:{M}:{D}\s+{H}:{MI}:{S}{TZ}$)"},
    {"yyyy-mm-dd hh24:mi:ss UTC", R"(^{Y4}-{M}-{D}\s+{H}:{MI}:{S}\s+(UTC)$)"},
    {"Excel Time", R"(^0\.(\d*)$)"},
    {"Excel Date", R"(^(\d{1,5})$)"},
    {"Excel DateTime", R"(^(\d{1,5})\.(\d*)$)"},
};

static_assert(std::size(Rows) == 88, "the detection table has 88 rows");

// {TZ}: an optional sign, an hour, an optional colon and an optional minute.
QByteArray TimeZoneGroup()
{
    return QByteArray("[+|-]?") + DateGroup::Hour + ":?" + DateGroup::Minute + "?";
}

const QHash<QByteArray, QByteArray>& Marks()
{
    static const QHash<QByteArray, QByteArray> marks = {
        {"Y4", DateGroup::Year4},        {"Y2", DateGroup::Year2},
        {"M", DateGroup::MonthDigits},   {"M2", DateGroup::MonthDigits2},
        {"MW", DateGroup::MonthWord},    {"D", DateGroup::Day},
        {"D2", DateGroup::Day2},         {"H", DateGroup::Hour},
        {"MI", DateGroup::Minute},       {"S", DateGroup::Second},
        {"F3", DateGroup::Fraction3},    {"F6", DateGroup::Fraction6},
        {"F7", DateGroup::Fraction7},    {"F9", DateGroup::Fraction9},
        {"AP", DateGroup::Meridiem},     {"C", DateGroup::Century},
        {"TZ", TimeZoneGroup()},
    };
    return marks;
}

// Puts the group expressions in for the {marks}; braces of a quantifier such
// as \d{1,5} stay.
QByteArray ExpandMarks(const char* written)
{
    const QByteArray text(written);
    QByteArray expanded;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype close = text[i] == '{' ? text.indexOf('}', i) : -1;
        if (close > i) {
            const auto mark = Marks().constFind(text.mid(i + 1, close - i - 1));
            if (mark != Marks().constEnd()) {
                expanded += *mark;
                i = close + 1;
                continue;
            }
        }
        expanded += text[i++];
    }
    return expanded;
}

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// A text opened by quote and closed again becomes what stands between, a
// doubled quote counting as one; without a closing quote it stays as it is.
QByteArray Dequoted(const QByteArray& text, char quote)
{
    if (text.isEmpty() || text[0] != quote)
        return text;
    QByteArray inner;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] != quote) {
            inner += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == quote) {
            inner += quote;
            ++i;
        } else {
            return inner;
        }
    }
    return text;
}

}  // namespace

TDateFormatDetector::TDateFormatDetector()
{
    FFormats.reserve(std::size(Rows));
    for (const Row& row : Rows)
        FFormats.push_back({QString::fromLatin1(row.name), TPcreRegex(ExpandMarks(row.expression))});
}

QString TDateFormatDetector::Detect(const QString& text) const
{
    return Detect(text.toUtf8());
}

QString TDateFormatDetector::Detect(const QByteArray& text) const
{
    const int row = DetectRow(text);
    return row < 0 ? CannotDetect : FFormats[row].Name;
}

int TDateFormatDetector::DetectRow(const QByteArray& text) const
{
    const QByteArray cleaned = CleanText(text);
    for (size_t row = 0; row < FFormats.size(); ++row) {
        if (FFormats[row].Regex.Match(cleaned))
            return int(row);
    }
    return -1;
}

QByteArray TDateFormatDetector::TrimBlanks(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QByteArray TDateFormatDetector::CleanText(const QByteArray& text)
{
    QByteArray cleaned = TrimBlanks(text);
    for (char& c : cleaned) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return Dequoted(Dequoted(cleaned, '"'), '\'');
}

int TDateFormatDetector::IndexOf(const QString& formatName) const
{
    for (size_t row = 0; row < FFormats.size(); ++row) {
        if (FFormats[row].Name.compare(formatName, Qt::CaseInsensitive) == 0)
            return int(row);
    }
    return -1;
}
