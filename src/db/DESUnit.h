#pragma once

#include "base/UException.h"

#include <QByteArray>
#include <QString>

// The DES block cipher (FIPS 46-3) in ECB mode over texts, written as
// lower-case hexadecimal; the password cipher of the logon profiles.

// A text that holds a character above U+00FF: the cipher stores one byte per
// character, so such a text would come back as another text.
class EWideCharError : public Exception {
public:
    using Exception::Exception;
};

// One 8-byte block with an 8-byte key (the lowest bit of each key byte is
// ignored).
QByteArray DESEncryptBlock(const QByteArray& block, const QByteArray& key);
QByteArray DESDecryptBlock(const QByteArray& block, const QByteArray& key);

// The DES key of a key text: the low bytes of its first 8 characters.
QByteArray DESKeyOfText(const QString& keyText);

// Pads the text with code-0 characters to a multiple of 8, enciphers one byte
// per character and writes two lower-case hex digits per byte; an empty text
// gives an empty result. Raises "Error: the last char is NULL char." when the
// text ends with code 0, and EWideCharError for a character above U+00FF.
QString EncryptToHex(const QString& text, const QString& keyText);

// The reverse: pairs of hex digits (either case; a last single digit is
// ignored, any other character raises "Error: not a Hex String"), complete
// blocks deciphered (a last short block is ignored), code-0 characters
// removed from the end.
QString DecryptFromHex(const QString& hex, const QString& keyText);
