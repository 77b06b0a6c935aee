#include "UWindowModule.h"

#include "base/UException.h"

#include <QFileInfo>
#include <QLibrary>

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

QString WindowModulePath()
{
    const QFileInfo program(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
    return program.absolutePath() + QLatin1Char('/') + QLatin1String(WindowModuleFileName);
}

void RunWindowModule(TQuenmarel& app)
{
    if (!HasDisplay())
        throw Exception(QStringLiteral(
            "No display is available. Run a saved task without a window:\n"
            "  Vantorquill task=\"/path/to/task.elt\" logfile=\"/path/to/run.log\""));

    const QString path = WindowModulePath();
    if (!QFileInfo::exists(path))
        throw Exception(QStringLiteral("Window mode is not installed: %1 is missing. "
                                       "Tasks still run from the command line.")
                            .arg(path));
    // Every symbol now: a module that does not fit the program fails here,
    // with the reason, rather than in the middle of a window. It stays
    // loaded until the process ends (QLibrary never unloads on its own).
    QLibrary module(path);
    module.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!module.load())
        throw Exception(QStringLiteral("Window mode cannot start: %1").arg(module.errorString()));
    const auto run = reinterpret_cast<TWindowModuleEntry>(module.resolve(WindowModuleEntry));
    if (!run)
        throw Exception(QStringLiteral("Window mode cannot start: %1").arg(module.errorString()));
    run(app);
}
