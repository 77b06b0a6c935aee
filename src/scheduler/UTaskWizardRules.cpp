#include "UTaskWizardRules.h"

#include <QFileInfo>

namespace taskwizard {

TTriggerType TriggerTypeOf(int index, bool monthlyByWeekDay)
{
    static const TTriggerType kinds[] = {ttOnce,    ttDaily,     ttWeekly,       ttMonthlyDate, ttAtStartup, ttAtLogon,
                                         ttOnIdle,  ttOnConnect, ttOnDisconnect, ttOnLock,      ttOnUnlock};
    if (index < 0 || index >= int(std::size(kinds)))
        return ttUnknown;
    if (kinds[index] == ttMonthlyDate && monthlyByWeekDay)
        return ttMonthlyDow;
    return kinds[index];
}

bool IsEventKind(TTriggerType type)
{
    return type >= ttOnIdle && type <= ttOnUnlock;
}

QString TaskParameters(const QString& program, const QString& parameters, const QString& taskName,
                       const QString& runningProgram)
{
    if (program != runningProgram)
        return parameters;
    // Quoted as the runner splits arguments, so that the name arrives as one
    // argument whatever blanks, quotes or "=" it holds.
    QString quoted = taskName;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\"\""));
    return parameters + QStringLiteral(" \"") + quoted + QLatin1Char('"');
}

QString WorkingFolderOf(const QString& fileName)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    return folder.size() > 1 && folder.endsWith(QLatin1Char('/')) ? folder.chopped(1) : folder;
}

}  // namespace taskwizard
