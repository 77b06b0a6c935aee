#pragma once

// A temporary task store on either branch under a widget application, with
// the fake service control, so that no task ever fires.
#include "platform/tasksched/TaskSchedTestSupport.h"
#include "app/base/UAppException.h"
#include "scheduler/UTaskScheduler.h"
#include "support/VqFakePrompter.h"
#include "support/VqWidgetTestSupport.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>
#include <functional>

namespace tasktest {

// Hands the first modal window that opens while it lives to onModal.
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> onModal) : FOnModal(std::move(onModal))
    {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || FHandling)
                return;
            FHandling = true;
            FOnModal(modal);
            FHandling = false;
        });
        FTimer.start(10);
    }

private:
    std::function<void(QWidget*)> FOnModal;
    QTimer FTimer;
    bool FHandling = false;
};

class SchedulerFormTest : public TaskStoreTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        vqtest::WidgetApp();
        TaskStoreTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        Service->Running = true;
        FPreviousPlatform = SchedulerPlatform();
        SetSchedulerPlatform(Platform);
        SetAppExceptionHandler([this](const std::exception& e) { Errors << ExceptionMessage(e); });
    }
    void TearDown() override
    {
        SetAppExceptionHandler(nullptr);
        SetSchedulerPlatform(FPreviousPlatform);
        QLocale::setDefault(QLocale::c());
    }

    bool Job() const { return GetParam(); }

    std::unique_ptr<TTaskScheduler> Open() const
    {
        auto scheduler = std::make_unique<TTaskScheduler>(nullptr, Context);
        scheduler->SetUseTaskScheduler1Only(Job());
        scheduler->SetActive(true);
        return scheduler;
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

    tasksched::TTaskKind Kind() const { return Job() ? tasksched::tkJob10 : tasksched::tkTask20; }
    QString StoredName(const char* name) const { return Job() ? S(name) + S(".job") : S(name); }

    // The texts of the errors that reached the application's handler.
    QStringList Errors;
    vqtest::FakePrompter Prompter;

private:
    tasksched::TPlatform FPreviousPlatform;
};

inline std::string BranchName(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "Job10" : "Task20";
}

}  // namespace tasktest
