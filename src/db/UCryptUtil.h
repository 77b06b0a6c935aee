#pragma once

#include <QString>

// The cipher of stored passwords (registry profiles, logon sections of task
// files): DES over the password, keyed by the MD5 of a fixed passphrase that
// every installation shares, written as lower-case hexadecimal.

// Raises EWideCharError (DESUnit) for a password with a character above
// U+00FF, and "Error: the last char is NULL char." for one ending in code 0.
QString EncryptPassword(const QString& password);
// Raises "Error: not a Hex String" for a text that is not hexadecimal.
QString DecryptPassword(const QString& stored);

// Whether EncryptPassword can store the password so that it comes back as it is.
bool IsStorablePassword(const QString& password);
