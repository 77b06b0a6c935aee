#include "UTaskSavingForms.h"

#include "ULogonBatchFileCreateDlg.h"
#include "USessionSaveForm.h"
#include "base/URttiUtil.h"
#include "transfer/ULogonBatchFileCreator.h"

void RegisterTaskSavingForms()
{
    TRttiUtil::RegisterObjectClass<TSessionSaveForm>(TSessionSaveDlg::FormClassName);
    TRttiUtil::RegisterObjectClass<TLogonBatchFileCreateDlg>(TLogonBatchFileCreator::DialogClassName);
}

void UnregisterTaskSavingForms()
{
    TRttiUtil::Unregister(TSessionSaveDlg::FormClassName);
    TRttiUtil::Unregister(TLogonBatchFileCreator::DialogClassName);
}
