#pragma once

#include "base/UComponent.h"

#include <QString>
#include <memory>

// The "Save Session" dialog as the session saver sees it: the name check and
// the three buttons' decisions. The window class derives from it in the form
// library, which registers it by name when window mode starts.
class TSessionSaveDlg : public TObject {
public:
    static const QString FormClassName;   // "USessionSaveForm.TSessionSaveForm"
    // The folder below the documents folder that receives bare names.
    static const QString DefaultFolderName;   // "Vantorquill"

    // A new window-mode dialog (raises when the form library did not register one).
    static std::unique_ptr<TSessionSaveDlg> Create();

    // Shows the dialog modally; true when the user chose one of the save buttons
    // and the name passed the check.
    virtual bool Execute() = 0;

    // The file-name edit.
    virtual QString SessionFileName() const = 0;
    virtual void SetSessionFileName(const QString& fileName) = 0;
    // The word-wrapped description.
    virtual void SetDescription(const QString& text) = 0;
    // The filter and default extension (without dot) of the edit.
    void SetFilter(const QString& filter, const QString& defaultExt);
    const QString& Filter() const { return FFilter; }
    const QString& DefaultExt() const { return FDefaultExt; }

    // Completes the name in the edit (documents folder for a bare name, the
    // default extension) and makes sure the file exists or can be created; a
    // failure shows its message, focuses the edit and returns false.
    bool CheckSessionFileName();

    bool OK() const { return FOK; }
    bool MakeBatch() const { return FMakeBatch; }

protected:
    TSessionSaveDlg() = default;

    // The buttons: OK and "Save && Make Batch File" close only after the check.
    void btnSaveClick();
    void btnBatchClick();
    void btnCancelClick();

    virtual void FocusSessionFile() = 0;
    // Ends the modal run.
    virtual void CloseDialog() = 0;

private:
    bool Fail(const QString& message);

    QString FFilter;
    QString FDefaultExt;
    bool FOK = false;
    bool FMakeBatch = false;
};
