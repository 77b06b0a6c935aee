#pragma once

#include <QString>

// Every message box and question of the program goes through the prompter, so
// that it can be answered without a display: window mode installs a widget
// prompter, command-line mode and tests keep one that never blocks.
class TPrompter {
public:
    virtual ~TPrompter() = default;

    virtual void ShowMessage(const QString& text) = 0;   // information
    virtual void ShowError(const QString& text) = 0;
    virtual bool Confirm(const QString& text) = 0;        // Yes / No

    static TPrompter& Instance();
    // Installs a prompter (not owned); nullptr restores the console prompter.
    static void SetInstance(TPrompter* prompter);
};

// Without a display: messages go to standard error, questions answer No.
class TConsolePrompter : public TPrompter {
public:
    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;
    bool Confirm(const QString& text) override;
};
