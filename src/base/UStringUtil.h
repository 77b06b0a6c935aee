#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// Small string routines. Positions and lengths count QString (UTF-16) units.

// The text without blanks and control characters (anything up to U+0020) at
// both ends.
QString TrimText(const QString& text);

// Clears list and fills it with the pieces of the trimmed text between the
// delimiters, empty pieces included; an empty text gives one empty entry.
void SplitString(const QString& text, QChar delimiter, QStringList& list);

// Occurrences of part in text without overlap; 0 for an empty part.
int CountOccurrences(const QString& part, const QString& text);

// The text after / before the first occurrence of marker; empty when the
// marker does not occur or is empty.
QString TextAfter(const QString& text, const QString& marker);
QString TextBefore(const QString& text, const QString& marker);
QString TextBetween(const QString& text, const QString& startMarker, const QString& endMarker);

// fill repeated in front of text up to length; unchanged when long enough.
QString PadLeft(const QString& text, int length, QChar fill);

// The text without its last n characters.
QString CutRight(const QString& text, int n);

// The text without its last character when that character is c.
QString RemoveTrailingChar(const QString& text, QChar c);

// The lines of text, each ending at CR LF, LF or CR (a final line end gives no
// empty last line). With lineEnds, the end of each line goes there too ("" for
// a last line without one).
QStringList SplitLines(const QString& text, QStringList* lineEnds = nullptr);
