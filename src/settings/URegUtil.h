#pragma once

#include <QString>

// Registry routines that every setting goes through; key paths are below the
// current user's hive ("Software\Corvanta\Vantorquill").

// The string value; a missing key is created, a missing value is written
// empty and reads empty; empty when the key cannot be opened or the store
// cannot be written. A value of another type raises ERegistryException.
QString RegReadString(const QString& key, const QString& name);

// Writes a string value, creating the key; nothing when the key cannot be
// opened or created. A failed write into an opened key raises ERegistryException.
void RegWriteString(const QString& key, const QString& name, const QString& value);

// Booleans kept as registry texts: written "-1" / "0"; read as a number
// (0 false, any other true) or as True / False in any letter case; anything
// else, the empty text included, is false.
bool RegTextToBool(const QString& text);
QString BoolToRegText(bool value);
