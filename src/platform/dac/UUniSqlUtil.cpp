#include "UUniSqlUtil.h"

#include "base/UFileUtil.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

bool IsIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// The end of a quoted text or comment that starts at i, or i when none does.
qsizetype SkipQuotedOrComment(const QString& s, qsizetype i)
{
    const qsizetype n = s.size();
    const QChar c = s[i];
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
        const bool backslash = c != QLatin1Char('`');
        qsizetype j = i + 1;
        while (j < n) {
            if (backslash && s[j] == QLatin1Char('\\')) {
                j += 2;
                continue;
            }
            if (s[j] == c) {
                if (j + 1 < n && s[j + 1] == c) {   // doubled quote
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n;
    }
    const bool dashComment = c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')
        && (i + 2 >= n || s[i + 2].isSpace());
    if (c == QLatin1Char('#') || dashComment) {
        const qsizetype eol = s.indexOf(QLatin1Char('\n'), i);
        return eol < 0 ? n : eol;
    }
    if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
        const qsizetype end = s.indexOf(QLatin1String("*/"), i + 2);
        return end < 0 ? n : end + 2;
    }
    return i;
}

bool IsComment(const QString& s, qsizetype i)
{
    return s[i] == QLatin1Char('#') || s[i] == QLatin1Char('-') || s[i] == QLatin1Char('/');
}

// "/*!" or "/*M!": code the server runs when its version is high enough.
bool IsVersionedComment(const QString& s, qsizetype i)
{
    const QStringView rest = QStringView(s).mid(i);
    return rest.startsWith(QLatin1String("/*!")) || rest.startsWith(QLatin1String("/*M!"));
}

QStringList BackquotedIdentifiers(const QString& sql)
{
    QStringList names;
    for (qsizetype i = 0; i < sql.size();) {
        const qsizetype end = SkipQuotedOrComment(sql, i);
        if (end == i) {
            ++i;
            continue;
        }
        if (sql[i] == QLatin1Char('`') && end - i >= 2) {
            QString name = sql.mid(i + 1, end - i - 2);
            name.replace(QLatin1String("``"), QLatin1String("`"));
            if (!name.isEmpty())
                names.append(name);
        }
        i = end;
    }
    // Longest first, so that "my col" wins over "my".
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    return names;
}

}  // namespace

TParsedSql ParseSqlParams(const QString& sql)
{
    TParsedSql parsed;
    QStringList quoted;
    bool quotedRead = false;
    const qsizetype n = sql.size();
    qsizetype copied = 0;
    for (qsizetype i = 0; i < n;) {
        const qsizetype end = SkipQuotedOrComment(sql, i);
        if (end != i) {
            i = end;
            continue;
        }
        if (sql[i] != QLatin1Char(':')) {
            ++i;
            continue;
        }
        if (i + 1 < n && (sql[i + 1] == QLatin1Char('=') || sql[i + 1] == QLatin1Char(':'))) {
            i += 2;
            continue;
        }
        if (!quotedRead) {
            quoted = BackquotedIdentifiers(sql);
            quotedRead = true;
        }
        const QStringView rest = QStringView(sql).mid(i + 1);
        QString name;
        for (const QString& candidate : quoted) {
            if (rest.startsWith(candidate)
                && (rest.size() == candidate.size() || !IsIdentChar(rest[candidate.size()]))) {
                name = candidate;
                break;
            }
        }
        if (name.isEmpty()) {
            qsizetype j = 0;
            while (j < rest.size() && IsIdentChar(rest[j]))
                ++j;
            name = rest.left(j).toString();
        }
        if (name.isEmpty()) {
            ++i;
            continue;
        }
        parsed.Sql += QStringView(sql).mid(copied, i - copied);
        parsed.Sql += QLatin1Char('?');
        parsed.Names.append(name);
        i += 1 + name.size();
        copied = i;
    }
    parsed.Sql += QStringView(sql).mid(copied);
    return parsed;
}

QList<TSqlStatement> SplitSqlStatements(const QString& script, TScriptSplit split)
{
    static const QRegularExpression delimiterLine(
        QStringLiteral("\\Gdelimiter[ \\t]+(\\S+)[^\\r\\n]*"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression createWord(
        QStringLiteral("\\Gcreate\\b"), QRegularExpression::CaseInsensitiveOption);
    const bool createLines = split == TScriptSplit::AtDelimiterAndCreateLines;

    QList<TSqlStatement> statements;
    QString delimiter = QStringLiteral(";");
    const qsizetype n = script.size();
    qsizetype start = 0;
    bool hasContent = false;
    QChar lastSignificant;
    int depth = 0;
    bool lineStart = true;
    // Lines are counted as the statements go, so that a long script is read once.
    qsizetype counted = 0;
    int line = 1;

    auto flush = [&](qsizetype end) {
        if (hasContent) {
            qsizetype first = start;
            while (first < end && script[first].isSpace())
                ++first;
            line += CountLineBreaks(script, counted, first);
            counted = first;
            statements.append({script.mid(first, end - first).trimmed(), line});
        }
        hasContent = false;
        lastSignificant = QChar();
        depth = 0;
    };

    for (qsizetype i = 0; i < n;) {
        const QChar c = script[i];
        if (lineStart && !c.isSpace()) {
            // Inside parentheses "delimiter" is a column name, not the command.
            const QRegularExpressionMatch d = depth == 0 ? delimiterLine.match(script, i)
                                                         : QRegularExpressionMatch();
            if (d.hasMatch()) {
                flush(i);
                delimiter = d.captured(1);
                i = d.capturedEnd();
                start = i;
                continue;
            }
            if (createLines && delimiter == QLatin1String(";") && depth == 0 && hasContent
                && lastSignificant != QLatin1Char(',') && lastSignificant != QLatin1Char('(')
                && createWord.match(script, i).hasMatch()) {
                flush(i);
                start = i;
            }
        }
        if (QStringView(script).mid(i).startsWith(delimiter)) {
            flush(i);
            i += delimiter.size();
            start = i;
            lineStart = false;
            continue;
        }
        const qsizetype end = SkipQuotedOrComment(script, i);
        if (end != i) {
            if (!IsComment(script, i) || IsVersionedComment(script, i)) {
                hasContent = true;
                lastSignificant = script[end - 1];
            }
            i = end;
            lineStart = false;
            continue;
        }
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {   // a script keeps its own line ends
            lineStart = true;
        } else if (!c.isSpace()) {
            lineStart = false;
            hasContent = true;
            lastSignificant = c;
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')') && depth > 0)
                --depth;
        }
        ++i;
    }
    flush(n);
    return statements;
}

QStringList SplitSqlScript(const QString& script, TScriptSplit split)
{
    QStringList texts;
    for (const TSqlStatement& statement : SplitSqlStatements(script, split))
        texts.append(statement.Text);
    return texts;
}

QString StripStatementEnd(const QString& sql)
{
    QString text = sql.trimmed();
    while (text.endsWith(QLatin1Char(';')))
        text = text.left(text.size() - 1).trimmed();
    return text;
}

QString LeadingKeyword(const QString& sql)
{
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        if (sql[i].isSpace() || sql[i] == QLatin1Char('(')) {
            ++i;
            continue;
        }
        if (IsComment(sql, i)) {
            const qsizetype end = SkipQuotedOrComment(sql, i);
            if (end != i) {
                i = end;
                continue;
            }
        }
        break;
    }
    qsizetype j = i;
    while (j < n && sql[j].isLetter())
        ++j;
    return sql.mid(i, j - i).toLower();
}

bool IsReadingStatement(const QString& sql)
{
    static const QStringList reading = {QStringLiteral("select"), QStringLiteral("with"), QStringLiteral("show"),
                                        QStringLiteral("describe"), QStringLiteral("desc"),
                                        QStringLiteral("explain")};
    return reading.contains(LeadingKeyword(sql));
}
