#pragma once

#include "platform/dac/UFieldType.h"

#include <QLocale>
#include <QString>
#include <optional>

class TLobObjectFactory;

// How a grid column shows and edits its field.
enum class TGridColumnKind {
    Plain,          // the view's own text cell
    TextButton,     // a "..." button opening the string editor
    BinaryButton,   // a "..." button opening the binary editor
    Picture         // a picture of the large-object value; a click opens its editor
};

// The data window's rules, free of any widget: what a run sends, how its
// outcome is captioned and timed, and how a grid column shows its field.
class TSqlRunRules {
public:
    // A query runs when the text, trimmed, starts with "select" in any case;
    // anything else runs as a script.
    static bool IsQueryText(const QString& text);
    // The text a query opens: the given text unchanged, else the selection
    // or the whole text, trimmed; one trailing ";" is dropped.
    static QString QueryText(const std::optional<QString>& given, const QString& selection, const QString& whole);
    // The text a script runs: the selection, else the whole text, untrimmed.
    static QString ScriptText(const QString& selection, const QString& whole);
    // "Query - " and the first line of the editor's whole text.
    static QString QueryCaption(const QString& whole);
    // The elapsed-time line: seconds in the locale's general format.
    static QString ElapsedText(double milliseconds, const QLocale& locale);

    static TGridColumnKind ColumnKindOf(TFieldType type);
    // The picture of a large-object cell by name: "0" for an empty value or
    // NULL, else the factory's kind of the field type ("5" TEXT, "1" BLOB).
    static QString LobCellPicture(TFieldType type, qint64 size, const TLobObjectFactory* factory);
};
