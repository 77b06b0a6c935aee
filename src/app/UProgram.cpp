#include "UProgram.h"

#include "UQuenmarel.h"
#include "base/UCommandLine.h"
#include "base/UDebugHelper.h"
#include "base/UException.h"
#include "base/ULog.h"
#include "base/ULogUtil.h"
#include "base/UStringUtil.h"
#include "settings/UAppSettings.h"
#include "settings/UQuenmarelSettings.h"
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

// The "logfile" argument of a command-line run: the first of that name,
// matched without regard to case, trimmed.
QString LogFileArgument(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        const qsizetype at = argument.indexOf(QLatin1Char('='));
        if (at > 0 && argument.left(at).compare(QLatin1String("logfile"), Qt::CaseInsensitive) == 0)
            return TrimText(argument.mid(at + 1));
    }
    return {};
}

// A start that fails (no writable home or program folder) is reported where
// the caller looks: standard error, and the log file a run was given.
void PrintError(const QString& text, int argc, char** argv)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    const QString logFile = LogFileArgument(argc, argv);
    if (logFile.isEmpty())
        return;
    try {
        WriteLogLine(logFile, QStringLiteral("[error]\t") + EscapeLogText(text));
    } catch (const std::exception&) {
        // Standard error has it.
    }
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
        PrintError(QStringLiteral("Operation aborted: ") + e.Cause(), argc, argv);
        exitCode = 1;
    } catch (const EAbort&) {
        PrintError(QStringLiteral("Operation aborted"), argc, argv);
        exitCode = 1;
    } catch (const std::exception& e) {
        PrintError(ExceptionMessage(e), argc, argv);
        exitCode = 1;
    }
    DoneProgramUnits();
    return exitCode;
}
