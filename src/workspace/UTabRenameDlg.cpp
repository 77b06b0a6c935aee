#include "UTabRenameDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TTabRenameDlg::TTabRenameDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TabRenameDlg"));
    setWindowTitle(QStringLiteral("Rename Tab Name"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto* currentLabel = new QLabel(QStringLiteral("Current Tab name: "), this);
    lblCurrentName = new QLabel(this);
    lblCurrentName->setObjectName(QStringLiteral("lblCurrentName"));
    lblCurrentName->setAccessibleName(QStringLiteral("Current Tab name"));
    currentLabel->setBuddy(lblCurrentName);
    auto* newLabel = new QLabel(QStringLiteral("New Tab name: "), this);
    edtNewName = new QLineEdit(this);
    edtNewName->setObjectName(QStringLiteral("edtNewName"));
    newLabel->setBuddy(edtNewName);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });

    auto* grid = new QGridLayout;
    grid->addWidget(currentLabel, 0, 0);
    grid->addWidget(lblCurrentName, 0, 1);
    grid->addWidget(newLabel, 1, 0);
    grid->addWidget(edtNewName, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(320, sizeHint().height());
}

bool TTabRenameDlg::Execute(const QString& currentName)
{
    lblCurrentName->setText(currentName);
    edtNewName->setText(currentName);
    edtNewName->selectAll();
    edtNewName->setFocus();
    FResult = false;
    exec();
    return FResult;
}

QString TTabRenameDlg::NewName() const
{
    return edtNewName->text();
}

void TTabRenameDlg::OKBtnClick()
{
    FResult = true;
    accept();
}

void TTabRenameDlg::CancelBtnClick()
{
    FResult = false;
    reject();
}
