#include "UDBViewForm.h"

#include "base/UAppException.h"
#include "base/UFileUtil.h"
#include "base/UPrompter.h"
#include "platform/dac/UFieldDataLink.h"

#include <QFile>

TDBViewForm::TDBViewForm(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(Qt::Widget);
    hide();
}

TDBViewForm::~TDBViewForm()
{
    if (FBound && FDataLink) {
        FDataLink->SetOnDataChange(nullptr);
        FDataLink->SetOnUpdateData(nullptr);
    }
}

QString TDBViewForm::GetFileFilter() const
{
    return QStringLiteral("All (*.*)|*.*");
}

TField* TDBViewForm::Field() const
{
    return FDataLink ? FDataLink->Field() : nullptr;
}

void TDBViewForm::SetDataLink(TFieldDataLink* dataLink)
{
    FDataLink = dataLink;
    FBound = dataLink != nullptr;
    if (!dataLink)
        return;
    // Notices are guarded: they come from the data set, inside our slots or
    // inside the data access, never straight from Qt.
    dataLink->SetOnDataChange([this] {
        if (FBound && !FWriting)
            DataChanged();
    });
    dataLink->SetOnUpdateData([this] {
        if (FBound)
            UpdateData();
    });
}

void TDBViewForm::Unload()
{
    if (FBound && FDataLink) {
        FDataLink->SetOnDataChange(nullptr);
        FDataLink->SetOnUpdateData(nullptr);
    }
    FBound = false;
    SetNote(QString());
}

bool TDBViewForm::AskFile(bool save, QString& fileName) const
{
    if (!Field())
        return false;
    TFileDialogOptions options;
    options.Filter = GetFileFilter();
    fileName = save ? TPrompter::Instance().SaveFileName(options) : TPrompter::Instance().OpenFileName(options);
    return !fileName.isEmpty();
}

bool TDBViewForm::AskFileToSave(QString& fileName) const
{
    return AskFile(true, fileName);
}

bool TDBViewForm::AskFileToLoad(QString& fileName) const
{
    return AskFile(false, fileName);
}

void TDBViewForm::ReportSaved(const QString& fileName)
{
    TPrompter::Instance().ShowMessage(QStringLiteral("File ") + fileName + QStringLiteral(" saved."));
}

QByteArray TDBViewForm::ReadWholeFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError("open", fileName, file.errorString());
    return file.readAll();
}

void TDBViewForm::WriteWholeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        throw FileError("write", fileName, file.errorString());
}

void TDBViewForm::WriteValue(const QByteArray& bytes)
{
    FWriting = true;
    try {
        Field()->SetAsBytes(bytes);
    } catch (...) {
        FWriting = false;
        throw;
    }
    FWriting = false;
}

void TDBViewForm::SaveToFile()
{
    QString fileName;
    if (!AskFileToSave(fileName))
        return;
    Field()->SaveToFile(fileName);
    ReportSaved(fileName);
}

void TDBViewForm::LoadFromFile()
{
    LoadFileIntoField();
}

QString TDBViewForm::LoadFileIntoField()
{
    QString fileName;
    if (!AskFileToLoad(fileName))
        return {};
    // Nothing changes when the file cannot be read.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError("open", fileName, file.errorString());
    file.close();
    DataLink()->Edit();
    Field()->LoadFromFile(fileName);
    return fileName;
}

void TDBViewForm::SetNote(const QString& note)
{
    if (note == FNote)
        return;
    FNote = note;
    Q_EMIT NoteChanged(note);
}

void TDBViewForm::SetSearchActions(QAction* find, QAction* findNext, QAction* replace)
{
    FFindAction = find;
    FFindNextAction = findNext;
    FReplaceAction = replace;
}
