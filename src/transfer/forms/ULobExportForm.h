#pragma once

#include "ULobExportFormValues.h"
#include "ULobTaskForm.h"

#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QsciScintilla;
class TBrowseFileEdit;
class TFieldTypesInfo;
class TLobExportSession;
class TLobExportSessionExecutor;

// "Export Lob": sets up, runs and saves an export task from a table or a
// query. The window manager fills it (FillSchemas, then SelectTable or
// LoadTask) and shows it modally.
class TLobExportForm : public TLobTaskForm {
    Q_OBJECT
public:
    explicit TLobExportForm(QWidget* parent = nullptr, const TTransferServices& services = TTransferServices::FromApp());
    ~TLobExportForm() override;

    void FormToSession() override;
    void SessionToForm() override;
    bool Validate();
    void RunExport() { RunTask(); }
    void FillFieldLists(const TFieldTypesInfo& fields);
    void FillFieldsFromQuery(const QString& sql);
    QString GetQueryText() const;

    TLobExportFormValues Values() const;
    TLobExportSession& Session() const { return *FSession; }

protected:
    void cbTableChange() override;
    void ClearLobFieldText() override;

private:
    void rgFromTypeClick();
    void rgExtClick();
    void btnShowLobClick();
    void btnExportClick();
    void btnStopClick();
    void btnSaveClick();

    std::unique_ptr<TLobExportSession> FSession;
    std::unique_ptr<TLobExportSessionExecutor> FExecutor;

    TRadioGroup* rgFromType;
    QComboBox* cbbSchema;
    QComboBox* cbTable;
    QPlainTextEdit* memWhere;
    QsciScintilla* edtQuery;
    QPushButton* btnShowLob;
    QComboBox* cbLobField;
    TRadioGroup* rgName;
    QComboBox* cbNameField;
    TRadioGroup* rgExt;
    QComboBox* cbExtField;
    QLineEdit* edtExt;
    TBrowseFileEdit* deSaveTo;
    TRadioGroup* rgSubFolders;
    QSpinBox* seSubCount;
    QComboBox* cbSubFolderField;
    QPushButton* btnExport;
    QPushButton* btnStop;
    QPushButton* btnSave;
    QLabel* lblSchema = nullptr;
    QLabel* lblTable = nullptr;
    QLabel* lblWhere = nullptr;
    QLabel* lblQuery = nullptr;
};
