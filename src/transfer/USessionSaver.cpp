#include "USessionSaver.h"

#include "USessionSaveDlg.h"
#include "UTaskSession.h"
#include "base/UPrompter.h"

bool TSessionSaver::ConfirmSave()
{
    if (FTask.IsBlank() || !FTask.IsModified())
        return false;
    return TPrompter::Instance().Confirm(QStringLiteral("Save changed session now?\n") + FTask.GetCaption());
}

void TSessionSaver::ShowSaveDialog()
{
    const std::unique_ptr<TSessionSaveDlg> dialog = TSessionSaveDlg::Create();
    dialog->SetSessionFileName(FTask.FileName());
    dialog->SetFilter(FTask.Filter(), FTask.DefaultExt());
    QString caption = FTask.GetCaption();
    caption.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    dialog->SetDescription(QStringLiteral("Save Session (") + caption + QLatin1Char(')'));
    if (dialog->Execute())
        FTask.SaveToFile(dialog->SessionFileName());
    FMakeBatch = dialog->MakeBatch();
}
