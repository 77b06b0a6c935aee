#include "UReplaceDialog.h"

#include "base/UAppException.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TReplaceDialog::TReplaceDialog(QWidget* parent) : TFindDialog(parent)
{
    setObjectName(QStringLiteral("ReplaceDialog"));
    setWindowTitle(QStringLiteral("Replace"));
    auto* label = new QLabel(QStringLiteral("Re&place with:"), this);
    FReplaceEdit = new QLineEdit(this);
    FReplaceEdit->setObjectName(QStringLiteral("edtReplaceText"));
    label->setBuddy(FReplaceEdit);
    FieldsLayout()->addWidget(label, 1, 0);
    FieldsLayout()->addWidget(FReplaceEdit, 1, 1);

    auto* replace = new QPushButton(QStringLiteral("&Replace"), this);
    replace->setObjectName(QStringLiteral("btnReplace"));
    auto* replaceAll = new QPushButton(QStringLiteral("Replace &All"), this);
    replaceAll->setObjectName(QStringLiteral("btnReplaceAll"));
    ButtonsLayout()->insertWidget(1, replace);
    ButtonsLayout()->insertWidget(2, replaceAll);
    SetDirectionVisible(false);

    connect(replace, &QPushButton::clicked, this, Guarded([this](auto&&...) { Q_EMIT ReplaceRequested(); }));
    connect(replaceAll, &QPushButton::clicked, this, Guarded([this](auto&&...) { Q_EMIT ReplaceAllRequested(); }));
}

QString TReplaceDialog::ReplaceText() const
{
    return FReplaceEdit->text();
}
