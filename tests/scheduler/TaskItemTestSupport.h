#pragma once

// A scheduler over a temporary store on either branch, in a locale whose long
// time is "HH:mm:ss", short date "dd/MM/yyyy" and day names English.
#include "platform/tasksched/TaskSchedTestSupport.h"
#include "scheduler/UTaskScheduler.h"

namespace tasktest {

class TaskItemTest : public TaskStoreTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        TaskStoreTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        Service->Running = true;
        Scheduler = Open();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    bool Job() const { return GetParam(); }

    std::unique_ptr<TTaskScheduler> Open() const
    {
        auto scheduler = std::make_unique<TTaskScheduler>(nullptr, Context);
        scheduler->SetUseTaskScheduler1Only(Job());
        scheduler->SetActive(true);
        return scheduler;
    }

    // A new item that registration takes: one program.
    TTaskItem* NewItem(const char* name = "Nightly")
    {
        TTaskItem* item = Scheduler->CreateNewItem(S(name));
        item->SetApplicationName(S("/bin/true"));
        return item;
    }

    // The task read afresh from the store by another scheduler, activated.
    TTaskItem* Reloaded(const char* name = "Nightly")
    {
        Fresh = Open();
        Fresh->Refresh();
        TTaskItem* item = Fresh->ActivateTask(S(name));
        if (item != nullptr)
            item->Activate();
        return item;
    }

    std::unique_ptr<TTaskScheduler> Scheduler;
    std::unique_ptr<TTaskScheduler> Fresh;
};

}  // namespace tasktest
