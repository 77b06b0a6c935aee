#pragma once

#include "UValueText.h"

#include <QIODevice>
#include <QString>
#include <memory>

// Reads the text of a value in pieces, by the rules of TValueText, so that a
// large value is never held whole as bytes: the encoding is settled first
// (for bytes: a mark from the head, else one pass over the value checking
// UTF-8), then each piece is decoded as it is asked for. Line ends and what
// an editor cannot keep are gathered on the way; the result is whole once
// the last piece is read.
class TField;

class TValueTextReader {
public:
    // About this many bytes of the value go into one piece.
    static constexpr qint64 PieceSize = 1 << 20;

    // value: the value's bytes from its start (owned); null reads as empty.
    TValueTextReader(std::unique_ptr<QIODevice> value, bool isNull, TFieldType type);
    // The field's stored value, through its reader.
    explicit TValueTextReader(const TField& field);

    TTextEncoding Encoding() const { return FResult.FEncoding; }
    // The next piece of text, "\n" at every break; empty once at the end.
    QString Next(qint64 size = PieceSize);
    bool AtEnd() const { return FAtEnd; }
    qint64 Size() const { return FSize; }
    qint64 BytesRead() const { return FRead; }
    // How to write an edited text back; its Text() stays empty. Whole once
    // AtEnd.
    TValueText Result() const;

private:
    // The next bytes, ending on a whole character of the encoding.
    QByteArray NextBytes(qint64 size);
    void Count(const QString& text);
    static bool IsUtf8(std::unique_ptr<QIODevice>& value);

    std::unique_ptr<QIODevice> FValue;
    TValueText FResult;
    qint64 FSize = 0;
    qint64 FRead = 0;
    bool FAtEnd = false;
    bool FFirst = true;
    QByteArray FHeldBytes;   // a character cut by the piece's end
    bool FHeldCr = false;    // a CR at a piece's end, which may start a CR LF
    qint64 FCrLf = 0;
    qint64 FCr = 0;
    qint64 FLf = 0;
    bool FNul = false;
    bool FSeparators = false;
};
