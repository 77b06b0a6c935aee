#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace vqtest {

// The throwaway MariaDB server that ./test.sh starts (scripts/testservers.sh).
struct DbServer {
    QString host;
    int port = 0;
    QString socket;
    QString user;
    QString password;
};

// The server from the environment; empty host when it was not started.
DbServer TestDbServer();

// A test that needs the database fails, never skips, when it is missing.
#define VQ_REQUIRE_TEST_DB()                                                                 \
    ASSERT_FALSE(::vqtest::TestDbServer().host.isEmpty())                                   \
        << "The test MariaDB server is not running: run the tests through ./test.sh or "   \
           "scripts/with-test-servers.sh"

// The throwaway OpenSSH server of the same script: password authentication
// and TCP forwarding for its test user; hostKeyFile is its public host key.
struct SshServer {
    QString host;
    int port = 0;
    QString user;
    QString password;
    QString hostKeyFile;
};

// The server from the environment; empty host when it was not started.
SshServer TestSshServer();

// A test that needs the SSH server fails, never skips, when it is missing.
#define VQ_REQUIRE_TEST_SSH()                                                                \
    ASSERT_FALSE(::vqtest::TestSshServer().host.isEmpty())                                  \
        << "The test SSH server is not running (it needs root or sudo): run the tests through " \
           "./test.sh or scripts/with-test-servers.sh"

// Writes a file of the given number of MiB in a fixed byte pattern, chunk by
// chunk, and gives its SHA-256; empty when it cannot be written.
QByteArray WritePatternFile(const QString& path, int mebibytes);

// A fixture file below tests/data.
QString TestDataPath(const QString& relative);

// The built program and a run of it as a subprocess.
QString ProgramPath();

struct ProcessResult {
    int exitCode = -1;
    bool finished = false;   // false: did not start or timed out
    QByteArray out;
    QByteArray err;
};

ProcessResult RunProcess(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                         int timeoutMs = 120000);

// Processes this thread's events until done() holds or ms have passed;
// returns done().
bool ProcessEventsUntil(const std::function<bool()>& done, int ms = 10000);

// The peak resident memory of this process since the last reset, in MiB
// (-1 when unknown).
void ResetPeakMemory();
qint64 PeakMemoryMiB();

// The environment of a run without a display.
QProcessEnvironment HeadlessEnvironment();

}  // namespace vqtest
