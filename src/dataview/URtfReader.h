#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reads rich text into a document: text, paragraphs, line breaks, tabs,
// alignment, fonts with their character sets, sizes, bold, italic, underline,
// strikeout and colours. Spacing, languages, document information, style
// sheets, list tables and unknown optional groups are formatting it skips.
// Content it cannot show (pictures, objects, tables, fields, notes, headers,
// footers) makes the result not editable, so that no edit drops it.
class TRtfReader {
public:
    struct TResult {
        bool Editable = true;
        QString Note;   // why the value cannot be edited; empty when it can
    };

    // True when bytes start with "{\rtf".
    static bool IsRtf(const QByteArray& bytes);

    // Replaces the document's content with the rich text of bytes.
    static TResult Read(const QByteArray& bytes, QTextDocument* document);
};
