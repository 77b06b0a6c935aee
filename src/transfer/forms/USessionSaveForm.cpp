#include "USessionSaveForm.h"

#include "UBrowseFileEdit.h"
#include "UDialogLook.h"
#include "base/UAppException.h"
#include "widgets/UUIUtil.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TSessionSaveForm::TSessionSaveForm(QWidget* parent)
    : QDialog(parent),
      lblSessionFile(new QLabel(QStringLiteral("Session File"), this)),
      edtSessionFile(new TBrowseFileEdit(this)),
      lblSessionDesc(new QLabel(this)),
      btnSave(new QPushButton(QStringLiteral("OK"), this)),
      btnCancel(new QPushButton(QStringLiteral("Cancel"), this)),
      btnBatch(new QPushButton(QStringLiteral("Save && Make Batch File"), this))
{
    setObjectName(QStringLiteral("TSessionSaveDlg"));
    lblSessionFile->setObjectName(QStringLiteral("lblSessionFile"));
    edtSessionFile->setObjectName(QStringLiteral("edtSessionFile"));
    lblSessionDesc->setObjectName(QStringLiteral("lblSessionDesc"));
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnBatch->setObjectName(QStringLiteral("btnBatch"));

    lblSessionFile->setBuddy(edtSessionFile);
    edtSessionFile->SetTitle(lblSessionFile->text());
    edtSessionFile->SetDialogKind(TBrowseFileEdit::dkOpen);
    edtSessionFile->setMinimumWidth(380);
    lblSessionDesc->setWordWrap(true);
    lblSessionDesc->setTextFormat(Qt::PlainText);
    btnSave->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblSessionFile, 0, 0);
    layout->addWidget(edtSessionFile, 0, 1);
    layout->addWidget(lblSessionDesc, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(btnBatch);
    buttons->addStretch(1);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons, 2, 0, 1, 2);
    ApplyDialogLook(this, QStringLiteral("Save Session"));

    connect(btnSave, &QPushButton::clicked, this, Guarded([this] { btnSaveClick(); }));
    connect(btnBatch, &QPushButton::clicked, this, Guarded([this] { btnBatchClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, Guarded([this] { btnCancelClick(); }));
}

bool TSessionSaveForm::Execute()
{
    edtSessionFile->SetFilter(Filter(), DefaultExt());
    exec();
    return OK();
}

QString TSessionSaveForm::SessionFileName() const
{
    return edtSessionFile->FileName();
}

void TSessionSaveForm::SetSessionFileName(const QString& fileName)
{
    edtSessionFile->SetFileName(fileName);
}

void TSessionSaveForm::SetDescription(const QString& text)
{
    lblSessionDesc->setText(text);
}

void TSessionSaveForm::FocusSessionFile()
{
    FocusControlSafely(edtSessionFile);
}

void TSessionSaveForm::CloseDialog()
{
    done(OK() ? QDialog::Accepted : QDialog::Rejected);
}
