#include "UDateLocaleTranslator.h"

#include <langinfo.h>
#include <locale.h>

namespace {

const QStringList& English()
{
    static const QStringList names = {
        QStringLiteral("jan"), QStringLiteral("feb"), QStringLiteral("mar"), QStringLiteral("apr"),
        QStringLiteral("may"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("aug"),
        QStringLiteral("sep"), QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dec"),
    };
    return names;
}

QString FromCodeset(const char* text, const char* codeset)
{
    if (qstrcmp(codeset, "UTF-8") == 0 || qstrcmp(codeset, "ANSI_X3.4-1968") == 0)
        return QString::fromUtf8(text);
    if (qstrcmp(codeset, "ISO-8859-1") == 0)
        return QString::fromLatin1(text);
    return QString::fromLocal8Bit(text);
}

// Some locales end their abbreviations with a dot ("janv."); a word may leave it off.
QString WithoutTrailingDots(QString name)
{
    while (name.endsWith(u'.'))
        name.chop(1);
    return name;
}

}  // namespace

TDateLocaleTranslator::TDateLocaleTranslator() : TDateLocaleTranslator(SystemMonthNames()) {}

TDateLocaleTranslator::TDateLocaleTranslator(const QStringList& localMonths)
    : FLocalMonths(localMonths), FEnglishMonths(English())
{
}

QStringList TDateLocaleTranslator::SystemMonthNames()
{
    // The environment's LC_TIME, whether or not the process called setlocale.
    locale_t user = newlocale(LC_TIME_MASK, "", locale_t(0));
    const locale_t used = user ? user : LC_GLOBAL_LOCALE;
    const char* codeset = nl_langinfo_l(CODESET, used);
    QStringList names;
    for (int month = 0; month < 12; ++month)
        names.append(FromCodeset(nl_langinfo_l(ABMON_1 + month, used), codeset));
    if (user)
        freelocale(user);
    return names;
}

QString TDateLocaleTranslator::Translate(const QString& text) const
{
    QString translated = text;
    for (int month = 0; month < 12 && month < FLocalMonths.size(); ++month) {
        const QString& local = FLocalMonths[month];
        const qsizetype at = local.isEmpty() ? -1 : translated.indexOf(local);
        if (at >= 0)
            translated.replace(at, local.size(), FEnglishMonths[month]);
    }
    return translated;
}

int TDateLocaleTranslator::MonthToNumber(const QString& word) const
{
    const QString trimmed = word.trimmed();
    // The longest local name the word starts with, so that "juil" is not "jui".
    int best = 0;
    qsizetype bestLength = 0;
    for (int month = 0; month < FLocalMonths.size() && month < 12; ++month) {
        const QString local = WithoutTrailingDots(FLocalMonths[month]);
        if (local.size() > bestLength && trimmed.startsWith(local, Qt::CaseInsensitive)) {
            best = month + 1;
            bestLength = local.size();
        }
    }
    if (best)
        return best;
    if (trimmed.size() < 3)
        return 0;
    const QString prefix = trimmed.left(3);
    for (int month = 0; month < 12; ++month) {
        if (prefix.compare(FEnglishMonths[month], Qt::CaseInsensitive) == 0)
            return month + 1;
    }
    // A local prefix counts only when it names one month alone.
    int found = 0;
    for (int month = 0; month < FLocalMonths.size() && month < 12; ++month) {
        if (FLocalMonths[month].left(3).compare(prefix, Qt::CaseInsensitive) == 0) {
            if (found)
                return 0;
            found = month + 1;
        }
    }
    return found;
}
