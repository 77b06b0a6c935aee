#pragma once

#include <QString>

class QPlainTextEdit;

struct TSearchOptions {
    bool MatchCase = false;
    bool WholeWord = false;
    bool Down = true;
};

// Finds pattern in text. Down searches from `from`, up ends before `from`.
// Result: the position of the match, -1 for none.
qsizetype FindInText(const QString& text, const QString& pattern, qsizetype from, const TSearchOptions& options);

// Find and replace on a plain-text editor, as the find and replace dialogs
// drive them: a match becomes the selection.
class TPlainTextSearcher {
public:
    explicit TPlainTextSearcher(QPlainTextEdit* editor) : FEditor(editor) {}

    // Selects the next match after (or, up, before) the selection; false when
    // there is none (the selection stays).
    bool FindNext(const QString& pattern, const TSearchOptions& options);
    // Replaces the selection when it is a match, then finds the next one.
    bool Replace(const QString& pattern, const QString& replacement, const TSearchOptions& options);
    // Replaces every match in the whole text as one undo step; the count.
    int ReplaceAll(const QString& pattern, const QString& replacement, const TSearchOptions& options);

private:
    bool SelectionMatches(const QString& pattern, const TSearchOptions& options) const;

    QPlainTextEdit* FEditor;
};
