#pragma once

#include <QString>

// Routines for the names shown in data-structure grids.

// A further name for one already in use, within limit characters: the name's
// first limit - digits characters, "_" and a counter of digits - 1 figures.
// A name that already fills the limit with such a suffix counts on from it
// ("..._001" gives "..._002"); a shorter one starts at 1 ("a" gives "a_001").
QString MakeUniqueName(const QString& name, int limit, int digits);
