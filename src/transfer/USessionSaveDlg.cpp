#include "USessionSaveDlg.h"

#include "base/UFileUtil.h"
#include "base/UPrompter.h"
#include "base/URttiUtil.h"
#include "base/USystemUtil.h"

#include <QDir>
#include <QFileInfo>

const QString TSessionSaveDlg::FormClassName = QStringLiteral("USessionSaveForm.TSessionSaveForm");
const QString TSessionSaveDlg::DefaultFolderName = QStringLiteral("Vantorquill");

std::unique_ptr<TSessionSaveDlg> TSessionSaveDlg::Create()
{
    return TRttiUtil::CreateObjectAs<TSessionSaveDlg>(FormClassName);
}

void TSessionSaveDlg::SetFilter(const QString& filter, const QString& defaultExt)
{
    FFilter = filter;
    FDefaultExt = defaultExt;
}

bool TSessionSaveDlg::Fail(const QString& message)
{
    TPrompter::Instance().ShowMessage(message);
    FocusSessionFile();
    return false;
}

bool TSessionSaveDlg::CheckSessionFileName()
{
    QString name = SessionFileName();
    if (name.trimmed().isEmpty())
        return Fail(QStringLiteral("Please choose/enter Sessoin file."));
    if (!name.contains(QLatin1Char('/'))) {
        name.replace(QLatin1Char(' '), QLatin1Char('_'));
        // Headless machines often have no documents folder yet, so the
        // whole path is made.
        const QString folder = GetDocumentsDir() + QLatin1Char('/') + DefaultFolderName;
        QDir().mkpath(folder);
        name = folder + QLatin1Char('/') + name;
    }
    if (!name.mid(name.lastIndexOf(QLatin1Char('/')) + 1).contains(QLatin1Char('.')))
        name += QLatin1Char('.') + FDefaultExt;
    SetSessionFileName(name);
    if (QFileInfo(name).isFile())
        return true;
    const QString error = TryWriteTextFile(name);
    if (error.isEmpty())
        return true;
    return Fail(QStringLiteral("Can not create Session file \"") + name + QStringLiteral("\": ") + error
                + QStringLiteral(", please select another file."));
}

void TSessionSaveDlg::btnSaveClick()
{
    if (!CheckSessionFileName())
        return;
    FOK = true;
    CloseDialog();
}

void TSessionSaveDlg::btnBatchClick()
{
    if (!CheckSessionFileName())
        return;
    FMakeBatch = true;
    FOK = true;
    CloseDialog();
}

void TSessionSaveDlg::btnCancelClick()
{
    FOK = false;
    CloseDialog();
}
