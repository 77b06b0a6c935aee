#pragma once

#include "base/UPrompter.h"

// The prompter of window mode: modal message boxes, input and file dialogs
// over the active window.
class TWidgetPrompter : public TPrompter {
public:
    TPromptAnswer Ask(const QString& text, TPromptButtons buttons, TPromptKind kind,
                      const QString& title) override;
    bool InputText(const QString& title, const QString& label, QString& value) override;
    QString OpenFileName(const TFileDialogOptions& options) override;
    QStringList OpenFileNames(const TFileDialogOptions& options) override;
    QString SaveFileName(const TFileDialogOptions& options) override;
    QString SelectFolder(const QString& title, const QString& initialDir) override;
};
