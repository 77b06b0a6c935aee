// The wizard's parameters for a task of this very program, run by the
// runner: the task's name arrives as one argument whatever it holds.
#include "platform/tasksched/TaskSchedTestSupport.h"
#include "platform/tasksched/UTaskRunner.h"
#include "scheduler/UTaskWizardRules.h"

#include <QFile>

using namespace tasksched;
using namespace tasktest;

namespace {

class WizardParameters : public TaskStoreTest {};

}  // namespace

TEST_F(WizardParameters, TheTaskNameArrivesAsOneArgument)
{
    const QString program = Dir.path() + S("/args.sh");
    const QString received = Dir.path() + S("/received");
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(S("#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > '%1'\n").arg(received).toUtf8());
    script.close();
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    TTaskRunner runner(Store, Platform);
    for (const char* name : {"Nightly mysql_database=mysql", "He said \"hi\" \"\"", "it's  two blanks", "\""}) {
        SCOPED_TRACE(name);
        const QString parameters = taskwizard::TaskParameters(program, S("-task 'x'"), S(name), program);
        Register(S("Args"), *Runnable(program, parameters));
        QFile::remove(received);
        ASSERT_EQ(runner.RunOnDemand(S("tasks/Args")), S("OK"));
        ASSERT_TRUE(WaitUntil([&] { return !runner.IsRunning(S("tasks/Args")); }));
        QFile output(received);
        ASSERT_TRUE(output.open(QIODevice::ReadOnly));
        // The stored parameters keep the runner's splitting: 'x' stays quoted.
        EXPECT_EQ(QString::fromUtf8(output.readAll()), S("-task|'x'|%1|").arg(S(name)));
    }
}
