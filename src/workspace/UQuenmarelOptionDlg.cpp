#include "UQuenmarelOptionDlg.h"

#include "base/UAppException.h"
#include "settings/UQuenmarelSettings.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TQuenmarelOptionDlg::TQuenmarelOptionDlg(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TQuenmarelOptionDlg"));
    setWindowTitle(QStringLiteral("Options"));
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    chkUseLobValueAsName =
        new QCheckBox(QStringLiteral("Use LOB Value As Name (For Exported File Name, Ext, SubFolder, etc.)  "), bevel);
    chkUseLobValueAsName->setObjectName(QStringLiteral("chkUseLobValueAsName"));
    btnOKBtn = new QPushButton(QStringLiteral("OK"), this);
    btnOKBtn->setObjectName(QStringLiteral("btnOKBtn"));
    btnOKBtn->setDefault(true);
    btnCancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancelBtn->setObjectName(QStringLiteral("btnCancelBtn"));

    auto* framed = new QVBoxLayout(bevel);
    framed->addWidget(chkUseLobValueAsName);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOKBtn);
    buttons->addWidget(btnCancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bevel);
    layout->addLayout(buttons);

    connect(btnOKBtn, &QPushButton::clicked, this, GuardedSlot([this] { btnOKBtnClick(); }));
    connect(btnCancelBtn, &QPushButton::clicked, this, GuardedSlot([this] { btnCancelBtnClick(); }));
    // FormCreate
    chkUseLobValueAsName->setChecked(TQuenmarelSettings::UseLobValueAsName);
}

void TQuenmarelOptionDlg::btnOKBtnClick()
{
    TQuenmarelSettings::UseLobValueAsName = chkUseLobValueAsName->isChecked();
    TQuenmarelSettings::Save();
    accept();
}

void TQuenmarelOptionDlg::btnCancelBtnClick()
{
    reject();
}
