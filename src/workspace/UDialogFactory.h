#pragma once

#include <QString>

// Opens the main window's small dialogs.
class TDialogFactory {
public:
    void ShowAbout();

    // "Copyright © Corvanta " and the current year.
    static QString NoticeText();
};
