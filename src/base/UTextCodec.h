#pragma once

#include <QByteArray>
#include <QString>

// How the program reads text files: a byte-order mark decides, else UTF-8 when
// the bytes are valid UTF-8, else Windows-1252 (files carried over from
// Windows). Files it creates are UTF-8 without a mark.
enum class TTextEncoding {
    Utf8,          // no mark
    Utf8Bom,
    Utf16LE,       // with its mark
    Utf16BE,       // with its mark
    Windows1252,
};

TTextEncoding DetectTextEncoding(const QByteArray& bytes);

// Where the first byte that breaks UTF-8 stands; -1 when the bytes are valid.
qsizetype InvalidUtf8Offset(const QByteArray& bytes);

// The text of bytes in the given encoding, its byte-order mark skipped.
QString DecodeText(const QByteArray& bytes, TTextEncoding encoding);
QString DecodeText(const QByteArray& bytes);

// The bytes of text in encoding, with the mark of the encoding in front. For
// Windows-1252, a character the code page lacks becomes "?" and lossless (when
// given) turns false. Decoding and encoding again gives the same bytes.
QByteArray EncodeText(const QString& text, TTextEncoding encoding, bool* lossless = nullptr);

// The text of a file name's bytes: UTF-8 when valid, else Windows-1252 (a
// name carried over from Windows); no byte-order mark is looked for.
QString DecodeFileName(const QByteArray& bytes);
