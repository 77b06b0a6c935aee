#pragma once

#include <QString>

class TMainForm;

// Opens the main window's small dialogs. The start-a-task dialog hands its
// choices over to mainForm.
class TDialogFactory {
public:
    explicit TDialogFactory(TMainForm* mainForm = nullptr);

    void ShowAbout();
    // The launcher, every time (the "Task List" button).
    void ShowStartTaskDialog();
    // The launcher after the first logon: once per run, while the start-up
    // setting allows it.
    void ShowStartTaskDialogOnce();
    // The manual update check; it asks on a thread of its own.
    void ShowUpgradeNotice();

    // "Copyright © Corvanta " and the current year.
    static QString NoticeText();

private:
    TMainForm* FMainForm;
    bool FStartTaskDialogShown = false;
};
