#include "UBatchFileCreator.h"

#include "UBatchFileCreateDlg.h"

TBatchFileCreator::~TBatchFileCreator() = default;

void TBatchFileCreator::ShowBatchDialog()
{
    CreateDialog()->Execute();
}

void TBatchFileCreator::ExecuteFor(const QString& taskFile)
{
    const std::unique_ptr<TBatchFileCreateDlg> dialog = CreateDialog();
    dialog->SetSessionFile(taskFile);
    dialog->Execute();
}
