#pragma once

#include <QString>
#include <QStringList>

// The kind of a message box: its icon and default title.
enum class TPromptKind {
    Information,
    Warning,
    Error,
    Question,
};

// Buttons of a message box, combined with "|".
enum TPromptButton : unsigned {
    pbOK = 0x1,
    pbCancel = 0x2,
    pbYes = 0x4,
    pbNo = 0x8,
};
using TPromptButtons = unsigned;

// The button the user chose. Closing a box without a button (Escape, the
// window's close box) answers Cancel when the box has it, else No, else OK.
enum class TPromptAnswer {
    OK,
    Cancel,
    Yes,
    No,
};

// A file dialog. Filter has the form "Description (*.ext)|*.ext|All (*.*)|*.*";
// DefaultExt (without the dot) is added to a typed name that has none.
struct TFileDialogOptions {
    QString Title;
    QString Filter;
    QString DefaultExt;
    QString InitialDir;
    QString FileName;   // proposed name (a bare name or a full path)
};

// Every message box, question, text input and file dialog of the program goes
// through the prompter, so that it can be answered without a display: window
// mode installs a widget prompter, command-line mode keeps the console one and
// tests install a scripted one.
class TPrompter {
public:
    virtual ~TPrompter() = default;

    // The one message box: title empty gives the program's title.
    virtual TPromptAnswer Ask(const QString& text, TPromptButtons buttons,
                              TPromptKind kind = TPromptKind::Question, const QString& title = QString()) = 0;
    // A one-line text input; false when cancelled (value then unchanged).
    virtual bool InputText(const QString& title, const QString& label, QString& value) = 0;
    // Chosen file or folder; empty when cancelled.
    virtual QString OpenFileName(const TFileDialogOptions& options) = 0;
    virtual QStringList OpenFileNames(const TFileDialogOptions& options) = 0;
    virtual QString SaveFileName(const TFileDialogOptions& options) = 0;
    virtual QString SelectFolder(const QString& title, const QString& initialDir) = 0;

    // Shorthands over Ask.
    void ShowMessage(const QString& text);   // information, OK
    void ShowWarning(const QString& text);   // warning, OK
    void ShowError(const QString& text);     // error, OK
    bool Confirm(const QString& text);       // Yes / No: true for Yes
    TPromptAnswer ConfirmCancel(const QString& text);   // Yes / No / Cancel

    static TPrompter& Instance();
    // Installs a prompter (not owned); nullptr restores the console prompter.
    static void SetInstance(TPrompter* prompter);
    // The installed prompter, nullptr when the console one is in use.
    static TPrompter* Installed();
};

// The answer of a box closed without choosing a button.
TPromptAnswer EscapeAnswer(TPromptButtons buttons);

// The "Description|patterns|..." filter as a list of "Description (patterns)"
// entries for a file dialog: a description's own trailing "(...)" gives way to
// the patterns, ";" between patterns becomes a blank and "*.*" becomes "*".
QStringList FileDialogFilters(const QString& filter);

// Without a display: messages go to standard error, every question takes its
// escape answer, inputs and file dialogs are cancelled.
class TConsolePrompter : public TPrompter {
public:
    TPromptAnswer Ask(const QString& text, TPromptButtons buttons, TPromptKind kind,
                      const QString& title) override;
    bool InputText(const QString& title, const QString& label, QString& value) override;
    QString OpenFileName(const TFileDialogOptions& options) override;
    QStringList OpenFileNames(const TFileDialogOptions& options) override;
    QString SaveFileName(const TFileDialogOptions& options) override;
    QString SelectFolder(const QString& title, const QString& initialDir) override;
};
