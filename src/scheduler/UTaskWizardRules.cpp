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

namespace {

// The page after the kind is known: the details, or past them for an event.
TWizardPage AfterDetails(bool ntFamily)
{
    return ntFamily ? wpAccountInfo : wpFinished;
}

}  // namespace

TWizardPage NextPage(TWizardPage page, TTriggerType kind, bool ntFamily)
{
    switch (page) {
    case wpCustomData: return wpTaskName;
    case wpTaskName: return IsEventKind(kind) ? AfterDetails(ntFamily) : wpTriggerDetails;
    case wpTriggerDetails: return AfterDetails(ntFamily);
    default: return wpFinished;
    }
}

TWizardPage PreviousPage(TWizardPage page, TTriggerType kind, bool ntFamily)
{
    const TWizardPage beforeAccount = IsEventKind(kind) ? wpTaskName : wpTriggerDetails;
    switch (page) {
    case wpCustomData:
    case wpTaskName: return wpCustomData;
    case wpTriggerDetails: return wpTaskName;
    case wpAccountInfo: return beforeAccount;
    default: return ntFamily ? wpAccountInfo : beforeAccount;
    }
}

bool BackDiscardsTask(TWizardPage page, TTriggerType kind)
{
    return page == wpTriggerDetails || (page == wpAccountInfo && IsEventKind(kind));
}

bool DetailsComplete(const TTriggerFormValues& values)
{
    switch (values.Kind) {
    case ttWeekly: return values.WeekDays != 0;
    case ttMonthlyDate:
    case ttMonthlyDow: return values.Months != 0;
    default: return true;
    }
}

}  // namespace taskwizard
