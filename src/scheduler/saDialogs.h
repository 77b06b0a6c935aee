#pragma once

#include "UTaskItem.h"
#include "base/UComponent.h"
#include "base/UException.h"

#include <functional>

class TTaskScheduler;

class ETaskDialogError : public Exception {
public:
    using Exception::Exception;
};

enum TTaskPropDlgOption { otNoApplyNow, otNoContextHelp, otDisplayIcon };
using TTaskPropDlgOptions = TSet<TTaskPropDlgOption>;
// Sender, ATask.
using TTaskApplyEvent = std::function<void(TObject* sender, const TTaskItem* task)>;

// A dialog component linked to a scheduler it does not own; the link clears
// when the scheduler is freed.
class TTaskCommonDialog : public TComponent {
public:
    using TComponent::TComponent;
    ~TTaskCommonDialog() override;

    TTaskScheduler* TaskScheduler() const { return FTaskScheduler; }
    void SetTaskScheduler(TTaskScheduler* value);

protected:
    void Notification(TComponent* component) override;

private:
    TTaskScheduler* FTaskScheduler = nullptr;
};

// The platform's property pages of a task as one sheet. This platform offers
// no such pages, so Execute looks the task up and shows nothing.
class TTaskPropertiesDialog : public TTaskCommonDialog {
public:
    explicit TTaskPropertiesDialog(TComponent* owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value) { FCaption = value; }
    TTaskPropDlgOptions Options() const { return FOptions; }
    void SetOptions(TTaskPropDlgOptions value) { FOptions = value; }
    TPageTypes Pages() const { return FPages; }
    // The empty set raises "At least one page must be specified." and keeps
    // the pages.
    void SetPages(TPageTypes value);
    QString TaskName() const { return FTaskName; }
    void SetTaskName(const QString& value) { FTaskName = value; }
    TTaskApplyEvent OnApply;

    // True when the sheet reports changes; false where no sheet exists.
    bool Execute();
    TTaskItem* Task() const { return FTask; }

private:
    TTaskItem* FTask = nullptr;
    TPageTypes FPages;
    QString FCaption;
    QString FTaskName;
    TTaskPropDlgOptions FOptions;
};
