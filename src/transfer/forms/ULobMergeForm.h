#pragma once

#include "ULobMergeFormValues.h"
#include "ULobTransferForm.h"

#include <memory>

class QPlainTextEdit;
class TBrowseFileEdit;
class TLobMerger;

// "Merge LOBs to a file": appends the large-object values of a table's rows
// to one file. Keeps no task; each run gets a fresh merger, and the output
// of earlier runs stays.
class TLobMergeForm : public TLobTransferForm {
    Q_OBJECT
public:
    explicit TLobMergeForm(QWidget* parent = nullptr, const TTransferServices& services = TTransferServices::FromApp());
    ~TLobMergeForm() override;

    bool Validate();
    void RunMerge();
    TLobMergeFormValues Values() const;

protected:
    void cbTableChange() override;
    void ClearLobFieldText() override;
    void StopRun() override;

private:
    void btnSaveClick();
    void btnStopClick();

    std::unique_ptr<TLobMerger> FMerger;   // only during a run

    QComboBox* cbbSchema;
    QComboBox* cbTable;
    QComboBox* cbLobField;
    QPlainTextEdit* memWhere;
    TBrowseFileEdit* edtSaveFile;
    QPushButton* btnSave;
    QPushButton* btnStop;
};
