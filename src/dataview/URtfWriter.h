#pragma once

#include <QByteArray>

class QTextDocument;

// Writes a document as rich text: {\rtf1\ansi\ansicpg1252\deff0, the fonts and
// colours used, paragraphs with their alignment, line breaks, tabs, sizes,
// bold, italic, underline, strikeout; a character Windows-1252 has as \'hh,
// any other as \uN? (\uc1).
class TRtfWriter {
public:
    static QByteArray Write(const QTextDocument* document);
};
