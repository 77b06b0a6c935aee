#pragma once

#include "UTriggerFormValues.h"
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

// The wizard's pages in the order it holds them.
enum TWizardPage { wpCustomData, wpTaskName, wpTriggerDetails, wpAccountInfo, wpFinished };

// Where Next and Back lead from page for the chosen kind. Event kinds have no
// details page; a system without accounts (not of the NT family) shows no
// account page.
TWizardPage NextPage(TWizardPage page, TTriggerType kind, bool ntFamily);
TWizardPage PreviousPage(TWizardPage page, TTriggerType kind, bool ntFamily);
// Back from this page drops the task that the name page made; the next Next
// there makes it again from what the pages then hold.
bool BackDiscardsTask(TWizardPage page, TTriggerType kind);
// The details page lets Next on: a weekly trigger needs a week day, a monthly
// one a month.
bool DetailsComplete(const TTriggerFormValues& values);

}  // namespace taskwizard
