#pragma once

// What the C++ sides of the data-set and field-editor benchmarks share: the
// process's memory figures, and a session on the test server from
// VQ_TEST_DB_HOST/PORT/USER/PASSWORD with the database VQ_BENCH_DB (or the
// benchmark's own default).
#include "platform/dac/UUniConnection.h"

#include <QFile>
#include <cstring>
#include <memory>

namespace vqbenchdb {

// A line of /proc/self/status in KiB ("VmHWM:", "VmRSS:"), -1 when missing.
inline long StatusKb(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(int(std::strlen(name))).trimmed().split(' ').value(0).toLong();
    return -1;
}

// VmHWM starts again from the present resident size.
inline void ResetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

inline std::unique_ptr<TUniConnection> Connect(const QString& defaultDatabase)
{
    auto connection = std::make_unique<TUniConnection>();
    connection->SetProviderName(QStringLiteral("MySQL"));
    connection->SetServer(qEnvironmentVariable("VQ_TEST_DB_HOST"));
    connection->SetPort(qEnvironmentVariableIntValue("VQ_TEST_DB_PORT"));
    connection->SetUsername(qEnvironmentVariable("VQ_TEST_DB_USER"));
    connection->SetPassword(qEnvironmentVariable("VQ_TEST_DB_PASSWORD"));
    connection->SetLoginPrompt(false);
    connection->Connect();
    connection->SetDatabase(qEnvironmentVariable("VQ_BENCH_DB", defaultDatabase));
    return connection;
}

}  // namespace vqbenchdb
