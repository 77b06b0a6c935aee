#pragma once

#include "base/UTextCodec.h"
#include "platform/dac/UFieldType.h"

#include <QByteArray>
#include <QString>

// How a field's value becomes text for the text viewers and back.
enum class TValueTextKind {
    Wide,     // Unicode text; its bytes are UTF-8
    Narrow,   // Windows-1252, the latin1 session's own
    Bytes,    // binary: a byte-order mark, else UTF-8 when valid, else Windows-1252
};

// The text of one value as read, with what it takes to write the edited text
// back in the same encoding and with the same line end.
class TValueText {
public:
    static TValueTextKind KindOf(TFieldType type);

    // Reads a value's bytes (NULL and empty alike give empty text); a large
    // value is better read in pieces with TValueTextReader.
    static TValueText Decode(const QByteArray& bytes, bool isNull, TFieldType type);

    // The text with "\n" at every break, as an editor shows it.
    const QString& Text() const { return FText; }
    TTextEncoding Encoding() const { return FEncoding; }
    // "\r\n" or "\n": what a break is written as. A value without breaks
    // takes LF, this platform's line end.
    const QString& LineEnd() const { return FLineEnd; }
    // False when an editor cannot give the bytes back unchanged (NUL bytes,
    // mixed or lone-CR line ends); Note says why.
    bool Faithful() const { return FNote.isEmpty(); }
    const QString& Note() const { return FNote; }

    // The bytes of an edited text: each "\n" as the line end, in the encoding
    // read. A character the encoding lacks raises an Exception naming it.
    QByteArray Encode(const QString& editedText) const;

private:
    friend class TValueTextReader;

    QString FText;
    TTextEncoding FEncoding = TTextEncoding::Utf8;
    QString FLineEnd = QStringLiteral("\n");
    QString FNote;
};

// The bytes of text in an encoding; raises naming the first character the
// encoding lacks.
QByteArray EncodeTextStrict(const QString& text, TTextEncoding encoding);
