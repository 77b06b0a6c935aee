#include "UDBViewForm.h"

#include "app/base/UAppException.h"
#include "app/base/UPrompter.h"
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
        if (FBound)
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

QString TDBViewForm::AskSaveFileName() const
{
    TFileDialogOptions options;
    options.Filter = GetFileFilter();
    return TPrompter::Instance().SaveFileName(options);
}

QString TDBViewForm::AskOpenFileName() const
{
    TFileDialogOptions options;
    options.Filter = GetFileFilter();
    return TPrompter::Instance().OpenFileName(options);
}

void TDBViewForm::ReportSaved(const QString& fileName)
{
    TPrompter::Instance().ShowMessage(QStringLiteral("File ") + fileName + QStringLiteral(" saved."));
}

void TDBViewForm::CheckReadable(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
}

void TDBViewForm::SaveToFile()
{
    TField* field = Field();
    if (!field)
        return;
    const QString fileName = AskSaveFileName();
    if (fileName.isEmpty())
        return;
    field->SaveToFile(fileName);
    ReportSaved(fileName);
}

void TDBViewForm::LoadFromFile()
{
    TField* field = Field();
    if (!field)
        return;
    const QString fileName = AskOpenFileName();
    if (fileName.isEmpty())
        return;
    CheckReadable(fileName);
    DataLink()->Edit();
    field->LoadFromFile(fileName);
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
