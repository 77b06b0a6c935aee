#pragma once

// The task-item fixture (a temporary store on either branch, the fake service
// control, so that no task ever fires) under a widget application, with the
// scheduler's platform and the error handler of the application caught.
#include "base/UAppException.h"
#include "scheduler/TaskItemTestSupport.h"
#include "support/VqFakePrompter.h"
#include "support/VqWidgetTestSupport.h"

#include <optional>

namespace tasktest {

using vqtest::ModalWatcher;

class SchedulerFormTest : public TaskItemTest {
protected:
    void SetUp() override
    {
        vqtest::WidgetApp();
        TaskItemTest::SetUp();
        // A test may start over by calling SetUp again.
        if (!FPreviousPlatform)
            FPreviousPlatform = SchedulerPlatform();
        SetSchedulerPlatform(Platform);
        SetAppExceptionHandler([this](const std::exception& e) { Errors << ExceptionMessage(e); });
    }
    void TearDown() override
    {
        SetAppExceptionHandler(nullptr);
        SetSchedulerPlatform(*FPreviousPlatform);
        TaskItemTest::TearDown();
    }

    // A stored task that runs /bin/true daily, the daily repeat given.
    void MakeTask(const char* name, quint32 interval = 0)
    {
        auto scheduler = Open();
        TTaskItem* item = scheduler->CreateNewItem(S(name));
        item->SetApplicationName(S("/bin/true"));
        TTrigger* trigger = item->Triggers().Add(ttDaily);
        trigger->SetBeginDate(DateTimeToSerial(Clock->Now()));
        TTriggerTypeUnion details{};
        details.Daily.DaysInterval = 1;
        trigger->SetDetails(details);
        if (interval != 0) {
            trigger->SetInterval(interval);
            trigger->SetDuration(1440);
        }
        item->Triggers().UpdateTriggers();
        item->Deactivate(true);
    }

    int StoredCount()
    {
        Fresh = Open();
        Fresh->Refresh();
        return Fresh->Count();
    }

    tasksched::TTaskKind Kind() const { return Job() ? tasksched::tkJob10 : tasksched::tkTask20; }
    QString StoredName(const char* name) const { return Job() ? S(name) + S(".job") : S(name); }

    // The texts of the errors that reached the application's handler.
    QStringList Errors;
    vqtest::FakePrompter Prompter;

private:
    std::optional<tasksched::TPlatform> FPreviousPlatform;
};

inline std::string BranchName(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "Job10" : "Task20";
}

}  // namespace tasktest
