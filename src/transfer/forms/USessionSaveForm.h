#pragma once

#include "transfer/USessionSaveDlg.h"

#include <QDialog>

class QLabel;
class QPushButton;
class TBrowseFileEdit;

// The window of the "Save Session" dialog: binds the edit and the buttons to
// the dialog's checks.
class TSessionSaveForm : public QDialog, public TSessionSaveDlg {
    Q_OBJECT
public:
    explicit TSessionSaveForm(QWidget* parent = nullptr);

    bool Execute() override;
    QString SessionFileName() const override;
    void SetSessionFileName(const QString& fileName) override;
    void SetDescription(const QString& text) override;

protected:
    void FocusSessionFile() override;
    void CloseDialog() override;

private:
    QLabel* lblSessionFile;
    TBrowseFileEdit* edtSessionFile;
    QLabel* lblSessionDesc;
    QPushButton* btnSave;
    QPushButton* btnCancel;
    QPushButton* btnBatch;
};
