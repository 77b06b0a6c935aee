#pragma once

#include "UTriggers.h"

#include <QString>

// The choices of the new-task wizard that need no window.
namespace taskwizard {

// The kind of the schedule list's item; "Monthly" depends on the monthly
// panel's choice.
TTriggerType TriggerTypeOf(int index, bool monthlyByWeekDay);
// The kinds that have no details page.
bool IsEventKind(TTriggerType type);
// A task that runs this very program gets its own name after the parameters,
// quoted, so that it knows which task it is.
QString TaskParameters(const QString& program, const QString& parameters, const QString& taskName,
                       const QString& runningProgram);
// The folder of a chosen program without its final "/", except "/" itself.
QString WorkingFolderOf(const QString& fileName);

}  // namespace taskwizard
