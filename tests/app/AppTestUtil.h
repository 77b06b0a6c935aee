#pragma once

// Small helpers that the application object's tests share.

#include "app/UProgram.h"
#include "base/UCommandLine.h"
#include "platform/dac/UUniConnection.h"
#include "support/VqTestSupport.h"

namespace apptest {

// The program's units started with a program file for one test, undone at
// its end even when an assertion leaves the test early.
struct ProgramUnits {
    ProgramUnits()
    {
        InitProgramUnits();
        SetProgramArguments(QStringLiteral("/x/Vantorquill"), {});
    }
    ~ProgramUnits() { DoneProgramUnits(); }
    ProgramUnits(const ProgramUnits&) = delete;
    ProgramUnits& operator=(const ProgramUnits&) = delete;
};

// Sets the test MariaDB's address and account on connection.
inline void PointAtTestServer(TUniConnection& connection)
{
    const vqtest::DbServer server = vqtest::TestDbServer();
    connection.SetServer(server.host);
    connection.SetPort(server.port);
    connection.SetUsername(server.user);
    connection.SetPassword(server.password);
}

}  // namespace apptest
