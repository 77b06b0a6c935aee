#pragma once

#include <QString>

// The maker's addresses, in this one place until the owner gives real ones
// (reserved names that reach nobody).
inline QString MakerHomepage()
{
    return QStringLiteral("https://www.corvanta.example/");
}

inline QString MakerSupportEmail()
{
    return QStringLiteral("support@corvanta.example");
}
