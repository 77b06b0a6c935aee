#include "UBatchFileCreateDlg.h"

#include "UBatchOptions.h"
#include "base/UPrompter.h"

TBatchFileCreateDlg::TBatchFileCreateDlg(std::unique_ptr<TBatchOptions> options) : FOptions(std::move(options)) {}

TBatchFileCreateDlg::~TBatchFileCreateDlg() = default;

void TBatchFileCreateDlg::SetOptionName(const QString& name)
{
    FOptions->SetOptionName(name);
    SetSessionFileCaption(FOptions->SessionFileCaption());
}

void TBatchFileCreateDlg::SetSessionFile(const QString& fileName)
{
    SetSessionFileText(fileName);
    DeriveFileNames();
}

void TBatchFileCreateDlg::DeriveFileNames()
{
    const QString sessionFile = SessionFileText();
    SetLogFileText(TBatchOptions::DeriveFileName(sessionFile, QStringLiteral(".log")));
    SetBatchFileText(TBatchOptions::DeriveFileName(sessionFile, QLatin1Char('.') + TBatchOptions::BatchFileDefaultExt));
}

bool TBatchFileCreateDlg::ApplyOptions()
{
    FOptions->SessionFile = SessionFileText();
    FOptions->LogFile = LogFileText();
    FOptions->BatchFile = BatchFileText();
    if (!FOptions->Validate()) {
        TPrompter::Instance().ShowMessage(FOptions->ErrorMessage);
        return false;
    }
    FOptions->WriteBatchFile();
    return true;
}
