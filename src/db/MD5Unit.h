#pragma once

#include <QByteArray>
#include <QString>

// The MD5 message digest (RFC 1321); used to derive the password cipher's key.

// The 16-byte digest of data.
QByteArray MD5Digest(const QByteArray& data);

// The digest in upper-case hexadecimal, taken over the first N bytes of the
// text's UTF-16LE form, where N is its number of characters. Stored passwords
// depend on this exact derivation, odd as it is, so it must never change.
QString MD5Hex(const QString& text);
