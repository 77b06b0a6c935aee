#pragma once

// The benchmark drivers' connection: server and account from VQB_HOST,
// VQB_PORT, VQB_USER and VQB_PASSWORD, Unicode on, as the program's logon sets it.
#include "platform/dac/UUniConnection.h"

#include <QString>
#include <cstdlib>

namespace vqbench {

inline QString Env(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return QString::fromUtf8(value && *value ? value : fallback);
}

// The connection set up, not yet connected.
inline void Configure(TUniConnection& connection)
{
    connection.SetServer(Env("VQB_HOST", "127.0.0.1"));
    connection.SetPort(Env("VQB_PORT", "3306").toInt());
    connection.SetUsername(Env("VQB_USER", "root"));
    connection.SetPassword(Env("VQB_PASSWORD", ""));
    connection.SpecificOptions().SetValue(QStringLiteral("UseUnicode"), QStringLiteral("True"));
}

}  // namespace vqbench
