#include "UBrowseFileEdit.h"

#include "base/UAppException.h"
#include "base/UPrompter.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

TBrowseFileEdit::TBrowseFileEdit(QWidget* parent)
    : QWidget(parent), FEdit(new QLineEdit(this)), FBrowseButton(new QToolButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(FEdit, 1);
    layout->addWidget(FBrowseButton);
    FBrowseButton->setText(QStringLiteral("..."));
    FBrowseButton->setAccessibleName(QStringLiteral("Browse"));
    setFocusProxy(FEdit);
    connect(FBrowseButton, &QToolButton::clicked, this, Guarded([this] { Browse(); }));
}

QString TBrowseFileEdit::FileName() const
{
    return FEdit->text();
}

void TBrowseFileEdit::SetFileName(const QString& fileName)
{
    FEdit->setText(fileName);
}

void TBrowseFileEdit::SetFilter(const QString& filter, const QString& defaultExt)
{
    FFilter = filter;
    FDefaultExt = defaultExt;
}

void TBrowseFileEdit::SetTitle(const QString& title)
{
    FTitle = title;
    FEdit->setAccessibleName(title);
    FBrowseButton->setAccessibleName(QStringLiteral("Browse ") + title);
}

void TBrowseFileEdit::Browse()
{
    TFileDialogOptions options;
    options.Title = FTitle;
    options.Filter = FFilter;
    options.DefaultExt = FDefaultExt;
    options.FileName = FileName();
    if (!options.FileName.isEmpty())
        options.InitialDir = QFileInfo(options.FileName).path();
    TPrompter& prompter = TPrompter::Instance();
    QString chosen;
    if (FDialogKind == dkFolder)
        chosen = prompter.SelectFolder(FTitle, QFileInfo(options.FileName).isDir() ? options.FileName : QString());
    else
        chosen = FDialogKind == dkSave ? prompter.SaveFileName(options) : prompter.OpenFileName(options);
    if (!chosen.isEmpty())
        SetFileName(chosen);
}
