#pragma once

#include "UMDIFormManager.h"

// This program's window manager: opens the data windows with their tabs. The
// transfer, task-list and log dialogs join it with their own windows.
class TQuenmarelFormManager : public TMDIFormManager {
public:
    using TMDIFormManager::TMDIFormManager;

    // Opens a maximised child window of formClass with the tab caption; the
    // caller shows it. False (after the "System Error" box) when the window
    // could not be created: form is then null and the caller stops.
    bool NewWindow(const TFormClass& formClass, QWidget*& form, const QString& caption);

    // The same for a window class T; null when none was opened.
    template <class T>
    T* NewWindow(const QString& caption)
    {
        QWidget* form = nullptr;
        return NewWindow(FormClassOf<T>(), form, caption) ? static_cast<T*>(form) : nullptr;
    }

    // The log window with the debug log as it is now, modal.
    void ShowLog();
    // The scheduled tasks, read afresh, modal.
    void ShowTaskList();
};
