#pragma once

#include "ULobImportFormValues.h"
#include "ULobTaskForm.h"

#include <memory>

class QCheckBox;
class QComboBox;
class TBrowseFileEdit;
class QLineEdit;
class TLobImportSession;
class TLobImportSessionExecutor;

// "Import Lob": sets up, runs and saves an import task. The window manager
// fills it (FillSchemas, then SelectTable or LoadTask) and shows it modally.
class TLobImportForm : public TLobTaskForm {
    Q_OBJECT
public:
    explicit TLobImportForm(QWidget* parent = nullptr, const TTransferServices& services = TTransferServices::FromApp());
    ~TLobImportForm() override;

    void FormToSession() override;
    void SessionToForm() override;
    bool Validate();
    void RunImport() { RunTask(); }

    TLobImportFormValues Values() const;
    TLobImportSession& Session() const { return *FSession; }
    TLobImportSessionExecutor& Executor() const { return *FExecutor; }

protected:
    void cbTableChange() override;
    void ClearLobFieldText() override;

private:
    void rgExtClick();
    void chkFolderFieldClick();
    void btnImportClick();
    void btnStopClick();
    void btnSaveClick();

    std::unique_ptr<TLobImportSession> FSession;
    std::unique_ptr<TLobImportSessionExecutor> FExecutor;

    QComboBox* cbbSchema;
    QComboBox* cbTable;
    QComboBox* cbLobField;
    QComboBox* cbNameField;
    QCheckBox* chkIncludeNameExt;
    QCheckBox* chkFolderField;
    QComboBox* cbbFolderField;
    TRadioGroup* rgImportType;
    TBrowseFileEdit* edtLoadFolder;
    QCheckBox* chkIncludeSubFolder;
    TRadioGroup* rgExt;
    QLineEdit* edtExt;
    QPushButton* btnImport;
    QPushButton* btnStop;
    QPushButton* btnSave;
};
