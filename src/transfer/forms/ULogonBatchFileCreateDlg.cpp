#include "ULogonBatchFileCreateDlg.h"

#include "UBrowseFileEdit.h"
#include "UDialogLook.h"
#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "platform/shell/UShellOpener.h"
#include "scheduler/forms/TaskList.h"
#include "transfer/ULogonBatchOptions.h"

#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString taskFilesFilter = QStringLiteral(
    "Task files (*.ilt;*.elt)|*.ilt;*.elt|Import Lob Task (*.ilt)|*.ilt|Export Lob Task (*.elt)|*.elt|All files (*.*)|*.*");
const QString logFilesFilter = QStringLiteral("Log files (*.log)|*.log|All files (*.*)|*.*");

QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

TBrowseFileEdit* FileEdit(const QString& name, QLabel* label, TBrowseFileEdit::TDialogKind kind, const QString& filter,
                          const QString& defaultExt, QWidget* parent)
{
    auto* edit = new TBrowseFileEdit(parent);
    edit->setObjectName(name);
    edit->SetTitle(label->text());
    edit->SetDialogKind(kind);
    edit->SetFilter(filter, defaultExt);
    edit->setMinimumWidth(420);
    label->setBuddy(edit);
    return edit;
}

// A profile panel: the type caption above the word-wrapped option string.
QFrame* ProfilePanel(const QString& name, QLabel* type, QLabel* options, QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    options->setWordWrap(true);
    options->setTextFormat(Qt::PlainText);
    options->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(type);
    layout->addWidget(options);
    return panel;
}

}  // namespace

TLogonBatchFileCreateDlg::TLogonBatchFileCreateDlg(QWidget* parent)
    : QDialog(parent),
      TBatchFileCreateDlg(std::make_unique<TLogonBatchOptions>()),
      lblSessionFile(NamedLabel(QStringLiteral("lblSessionFile"), QStringLiteral("Session File"), this)),
      edtSessionFile(FileEdit(QStringLiteral("edtSessionFile"), lblSessionFile, TBrowseFileEdit::dkOpen,
                              taskFilesFilter, QString(), this)),
      lblLogFile(NamedLabel(QStringLiteral("lblLogFile"), QStringLiteral("Log File"), this)),
      edtLogFile(FileEdit(QStringLiteral("edtLogFile"), lblLogFile, TBrowseFileEdit::dkSave, logFilesFilter,
                          QStringLiteral("log"), this)),
      lblBatchFile(NamedLabel(QStringLiteral("lblBatchFile"), QStringLiteral("Batch File"), this)),
      edtBatchFile(FileEdit(QStringLiteral("edtBatchFile"), lblBatchFile, TBrowseFileEdit::dkSave,
                            TBatchOptions::BatchFileFilter, TBatchOptions::BatchFileDefaultExt, this)),
      lblSourceDBType(NamedLabel(QStringLiteral("lblSourceDBType"), QString(), this)),
      lblSourceDBOptionString(NamedLabel(QStringLiteral("lblSourceDBOptionString"), QString(), this)),
      lblDestDBType(NamedLabel(QStringLiteral("lblDestDBType"), QString(), this)),
      lblDestDBOptionString(NamedLabel(QStringLiteral("lblDestDBOptionString"), QString(), this)),
      btnOK(new QPushButton(QStringLiteral("OK"), this)),
      btnCancel(new QPushButton(QStringLiteral("Cancel"), this)),
      btnScheduleTask(new QPushButton(QStringLiteral("Create && Schedule Task"), this))
{
    setObjectName(QStringLiteral("TLogonBatchFileCreateDlg"));
    pnlSourceDB = ProfilePanel(QStringLiteral("pnlSourceDB"), lblSourceDBType, lblSourceDBOptionString, this);
    pnlDestDB = ProfilePanel(QStringLiteral("pnlDestDB"), lblDestDBType, lblDestDBOptionString, this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnScheduleTask->setObjectName(QStringLiteral("btnScheduleTask"));
    btnOK->setDefault(true);

    auto* layout = new QGridLayout(this);
    int row = 0;
    for (const auto& [label, edit] : {std::pair{lblSessionFile, edtSessionFile}, std::pair{lblLogFile, edtLogFile},
                                      std::pair{lblBatchFile, edtBatchFile}}) {
        layout->addWidget(label, row, 0);
        layout->addWidget(edit, row++, 1);
    }
    layout->addWidget(pnlSourceDB, row++, 0, 1, 2);
    layout->addWidget(pnlDestDB, row++, 0, 1, 2);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(btnScheduleTask);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons, row, 0, 1, 2);
    ApplyDialogLook(this, QStringLiteral("Create Batch File"));

    connect(btnOK, &QPushButton::clicked, this, Guarded([this] { btnOKClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, Guarded([this] { btnCancelClick(); }));
    connect(btnScheduleTask, &QPushButton::clicked, this, Guarded([this] { btnScheduleTaskClick(); }));
}

TLogonBatchOptions& TLogonBatchFileCreateDlg::LogonOptions() const
{
    return static_cast<TLogonBatchOptions&>(Options());
}

bool TLogonBatchFileCreateDlg::Execute()
{
    ShowProfiles();
    exec();
    return FResult;
}

void TLogonBatchFileCreateDlg::ShowProfiles()
{
    const TLogonBatchOptions& options = LogonOptions();
    const QString sourceType = options.SourceTypeCaption();
    if (!sourceType.isEmpty())
        lblSourceDBType->setText(sourceType);
    const QString targetType = options.TargetTypeCaption();
    if (!targetType.isEmpty())
        lblDestDBType->setText(targetType);
    lblSourceDBOptionString->setText(options.SourceOptionString());
    lblDestDBOptionString->setText(options.TargetOptionString());
}

void TLogonBatchFileCreateDlg::btnOKClick()
{
    if (!ApplyOptions())
        return;
    const QString batchFile = Options().BatchFile;
    TPrompter::Instance().ShowMessage(QStringLiteral("File ") + batchFile + QStringLiteral(" Created."));
    FResult = true;
    // Shown for reading in the desktop's editor; never run from here.
    TShellOpener::Instance().OpenDocument(batchFile);
    accept();
}

void TLogonBatchFileCreateDlg::btnScheduleTaskClick()
{
    if (!ApplyOptions())
        return;
    // The list is made only now, so that writing a script never depends on
    // reaching the task service; when it cannot be reached, the raise shows
    // why and the script stays written.
    if (FTaskList == nullptr)
        FTaskList = new TTaskListForm(this);
    FTaskList->ScheduleProgram(QFileInfo(Options().BatchFile).absoluteFilePath());
    FTaskList->exec();
    FResult = true;
    accept();
}

void TLogonBatchFileCreateDlg::btnCancelClick()
{
    FResult = false;
    reject();
}

QString TLogonBatchFileCreateDlg::SessionFileText() const
{
    return edtSessionFile->FileName();
}

QString TLogonBatchFileCreateDlg::LogFileText() const
{
    return edtLogFile->FileName();
}

QString TLogonBatchFileCreateDlg::BatchFileText() const
{
    return edtBatchFile->FileName();
}

void TLogonBatchFileCreateDlg::SetSessionFileText(const QString& text)
{
    edtSessionFile->SetFileName(text);
}

void TLogonBatchFileCreateDlg::SetLogFileText(const QString& text)
{
    edtLogFile->SetFileName(text);
}

void TLogonBatchFileCreateDlg::SetBatchFileText(const QString& text)
{
    edtBatchFile->SetFileName(text);
}

void TLogonBatchFileCreateDlg::SetSessionFileCaption(const QString& caption)
{
    lblSessionFile->setText(caption);
    edtSessionFile->SetTitle(caption);
}
