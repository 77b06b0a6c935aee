#include "UProgram.h"

#include "UQuenmarel.h"
#include "app/base/UCommandLine.h"
#include "app/base/UDebugHelper.h"
#include "app/base/UException.h"
#include "app/base/ULog.h"
#include "app/settings/UAppSettings.h"
#include "app/settings/UQuenmarelSettings.h"
#include "db/UDBImportSettings.h"
#include "db/UMysqlDBClassInit.h"

#include <cstdio>
#include <memory>

namespace {
struct TUnitInit {
    void (*init)();
    void (*done)();
};

// The units that need start-up work, in the order of need: logging first, then
// the settings, then the class registrations. Finalised in reverse.
const TUnitInit programUnits[] = {
    {&TLog::Init, &TLog::Done},
    {&TDebugHelper::Init, &TDebugHelper::Done},
    {&TAppSettings::Load, nullptr},
    {&TQuenmarelSettings::Load, nullptr},
    {&TDBImportSettings::Load, nullptr},
    {&InitMysqlDBClasses, &DoneMysqlDBClasses},
};

int initialisedUnits = 0;

void PrintError(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}
}

void InitProgramUnits()
{
    for (const TUnitInit& unit : programUnits) {
        if (unit.init)
            unit.init();
        ++initialisedUnits;
    }
}

void DoneProgramUnits()
{
    while (initialisedUnits > 0) {
        const TUnitInit& unit = programUnits[--initialisedUnits];
        if (unit.done)
            unit.done();
    }
}

int RunProgram(int argc, char** argv, const std::function<TApp*()>& getInstance)
{
    SetProgramArguments(argc, argv);
    int exitCode = 0;
    try {
        InitProgramUnits();
        std::unique_ptr<TApp> app(getInstance());
        app->Run();
        exitCode = app->ExitCode();
    } catch (const EConstructionAborted& e) {
        PrintError(QStringLiteral("Operation aborted: ") + e.Cause());
        exitCode = 1;
    } catch (const EAbort&) {
        PrintError(QStringLiteral("Operation aborted"));
        exitCode = 1;
    } catch (const std::exception& e) {
        PrintError(ExceptionMessage(e));
        exitCode = 1;
    }
    DoneProgramUnits();
    return exitCode;
}
