#include "UTextSearch.h"

#include <QList>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

namespace {

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool IsWholeWordAt(const QString& text, qsizetype at, qsizetype length)
{
    const bool startOk = at == 0 || !IsWordChar(text[at - 1]);
    const bool endOk = at + length >= text.size() || !IsWordChar(text[at + length]);
    return startOk && endOk;
}

}  // namespace

qsizetype FindInText(const QString& text, const QString& pattern, qsizetype from, const TSearchOptions& options)
{
    if (pattern.isEmpty())
        return -1;
    const Qt::CaseSensitivity cs = options.MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (options.Down) {
        for (qsizetype at = text.indexOf(pattern, qMax<qsizetype>(0, from), cs); at >= 0;
             at = text.indexOf(pattern, at + 1, cs)) {
            if (!options.WholeWord || IsWholeWordAt(text, at, pattern.size()))
                return at;
        }
        return -1;
    }
    qsizetype start = qMin(from, text.size()) - pattern.size();
    while (start >= 0) {
        const qsizetype at = text.lastIndexOf(pattern, start, cs);
        if (at < 0)
            return -1;
        if (!options.WholeWord || IsWholeWordAt(text, at, pattern.size()))
            return at;
        start = at - 1;
    }
    return -1;
}

bool TPlainTextSearcher::SelectionMatches(const QString& pattern, const TSearchOptions& options) const
{
    const QTextCursor cursor = FEditor->textCursor();
    if (!cursor.hasSelection())
        return false;
    const Qt::CaseSensitivity cs = options.MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return cursor.selectedText().compare(pattern, cs) == 0;
}

bool TPlainTextSearcher::FindNext(const QString& pattern, const TSearchOptions& options)
{
    const QString text = FEditor->document()->toPlainText();
    const QTextCursor cursor = FEditor->textCursor();
    const qsizetype from = options.Down ? cursor.selectionEnd() : cursor.selectionStart();
    const qsizetype at = FindInText(text, pattern, from, options);
    if (at < 0)
        return false;
    QTextCursor found(FEditor->document());
    found.setPosition(int(at));
    found.setPosition(int(at + pattern.size()), QTextCursor::KeepAnchor);
    FEditor->setTextCursor(found);
    return true;
}

bool TPlainTextSearcher::Replace(const QString& pattern, const QString& replacement, const TSearchOptions& options)
{
    if (SelectionMatches(pattern, options) && !FEditor->isReadOnly()) {
        QTextCursor cursor = FEditor->textCursor();
        cursor.insertText(replacement);
        FEditor->setTextCursor(cursor);
    }
    return FindNext(pattern, options);
}

int TPlainTextSearcher::ReplaceAll(const QString& pattern, const QString& replacement, const TSearchOptions& options)
{
    if (FEditor->isReadOnly() || pattern.isEmpty())
        return 0;
    TSearchOptions down = options;
    down.Down = true;
    // Matches found on one snapshot, replaced from the end so that earlier
    // positions stay valid.
    const QString text = FEditor->document()->toPlainText();
    QList<qsizetype> matches;
    for (qsizetype at = FindInText(text, pattern, 0, down); at >= 0;
         at = FindInText(text, pattern, at + pattern.size(), down))
        matches << at;
    QTextCursor edit(FEditor->document());
    edit.beginEditBlock();
    for (qsizetype i = matches.size() - 1; i >= 0; --i) {
        edit.setPosition(int(matches[i]));
        edit.setPosition(int(matches[i] + pattern.size()), QTextCursor::KeepAnchor);
        edit.insertText(replacement);
    }
    edit.endEditBlock();
    const int count = int(matches.size());
    return count;
}
