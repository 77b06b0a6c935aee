#include "AccountDetails.h"

#include "base/UAppException.h"
#include "scheduler/saUtils.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

TfrmTaskAccount::TfrmTaskAccount(QWidget* parent)
    : QDialog(parent),
      labUserName(new QLabel(QStringLiteral("&User name:"), this)),
      edUserName(new QLineEdit(this)),
      labPassword(new QLabel(QStringLiteral("&Password:"), this)),
      edPassword(new QLineEdit(this)),
      ckbShowPassword(new QCheckBox(QStringLiteral("&Show password"), this)),
      ckbUseSystem(new QCheckBox(QStringLiteral("Use SYSTEM &account (admin rights required!)"), this)),
      btOK(new QPushButton(QStringLiteral("OK"), this)),
      btCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmTaskAccount"));
    setWindowTitle(QStringLiteral("Task Account Details"));
    labUserName->setObjectName(QStringLiteral("labUserName"));
    edUserName->setObjectName(QStringLiteral("edUserName"));
    labPassword->setObjectName(QStringLiteral("labPassword"));
    edPassword->setObjectName(QStringLiteral("edPassword"));
    ckbShowPassword->setObjectName(QStringLiteral("ckbShowPassword"));
    ckbUseSystem->setObjectName(QStringLiteral("ckbUseSystem"));
    btOK->setObjectName(QStringLiteral("btOK"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    labUserName->setBuddy(edUserName);
    labPassword->setBuddy(edPassword);
    edPassword->setEchoMode(QLineEdit::Password);
    btOK->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(labUserName, 0, 0);
    grid->addWidget(edUserName, 0, 1);
    grid->addWidget(labPassword, 1, 0);
    grid->addWidget(edPassword, 1, 1);
    grid->addWidget(ckbShowPassword, 2, 1);
    grid->addWidget(ckbUseSystem, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    setFixedSize(458, 154);

    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ckbShowPassword, &QCheckBox::toggled, this, GuardedSlot([this] { ckbShowPasswordClick(); }));
    connect(ckbUseSystem, &QCheckBox::toggled, this, GuardedSlot([this] { ckbUseSystemClick(); }));
}

void TfrmTaskAccount::ckbShowPasswordClick()
{
    edPassword->setEchoMode(ckbShowPassword->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}

void TfrmTaskAccount::ckbUseSystemClick()
{
    const bool own = !ckbUseSystem->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(labUserName), static_cast<QWidget*>(edUserName),
                             static_cast<QWidget*>(labPassword), static_cast<QWidget*>(edPassword),
                             static_cast<QWidget*>(ckbShowPassword)})
        control->setEnabled(own);
}

bool ExecuteTaskAccountDialog(QString& userName, QString& password)
{
    auto form = std::make_unique<TfrmTaskAccount>();
    form->ckbUseSystem->setEnabled(IsUserAdmin());
    form->edUserName->setText(userName);
    form->edPassword->setText(password);
    form->ckbUseSystem->setChecked((userName.isEmpty() && password.isEmpty())
                                   || userName.toLower() == QStringLiteral("system"));
    form->ckbUseSystemClick();
    if (form->exec() != QDialog::Accepted)
        return false;
    if (form->ckbUseSystem->isChecked()) {
        userName.clear();
        password.clear();
    } else {
        userName = form->edUserName->text();
        password = form->edPassword->text();
    }
    return true;
}
