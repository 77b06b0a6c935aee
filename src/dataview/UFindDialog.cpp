#include "UFindDialog.h"

#include "base/UAppException.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);

    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    FEdit = new QLineEdit(this);
    FEdit->setObjectName(QStringLiteral("edtFindText"));
    label->setBuddy(FEdit);
    FWholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    FWholeWord->setObjectName(QStringLiteral("chkWholeWord"));
    FMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    FMatchCase->setObjectName(QStringLiteral("chkMatchCase"));

    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    direction->setObjectName(QStringLiteral("grpDirection"));
    FUp = new QRadioButton(QStringLiteral("&Up"), direction);
    FUp->setObjectName(QStringLiteral("rbUp"));
    FDown = new QRadioButton(QStringLiteral("&Down"), direction);
    FDown->setObjectName(QStringLiteral("rbDown"));
    FDown->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(FUp);
    directionLayout->addWidget(FDown);
    FDirection = direction;

    FFindNext = new QPushButton(QStringLiteral("&Find Next"), this);
    FFindNext->setObjectName(QStringLiteral("btnFindNext"));
    FFindNext->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));

    FFields = new QGridLayout;
    FFields->addWidget(label, 0, 0);
    FFields->addWidget(FEdit, 0, 1);
    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(FWholeWord);
    checks->addWidget(FMatchCase);
    options->addLayout(checks);
    options->addWidget(direction);
    auto* left = new QVBoxLayout;
    left->addLayout(FFields);
    left->addLayout(options);
    left->addStretch();
    FButtons = new QVBoxLayout;
    FButtons->addWidget(FFindNext);
    FButtons->addWidget(cancel);
    FButtons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(FButtons);

    connect(FFindNext, &QPushButton::clicked, this, Guarded([this](auto&&...) { Q_EMIT FindNextRequested(); }));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(FEdit, &QLineEdit::textChanged, this, Guarded([this](auto&&...) { UpdateButtons(); }));
    UpdateButtons();
}

QString TFindDialog::FindText() const
{
    return FEdit->text();
}

void TFindDialog::SetFindText(const QString& text)
{
    FEdit->setText(text);
}

TSearchOptions TFindDialog::Options() const
{
    TSearchOptions options;
    options.MatchCase = FMatchCase->isChecked();
    options.WholeWord = FWholeWord->isChecked();
    options.Down = FDirection->isHidden() || FDown->isChecked();
    return options;
}

void TFindDialog::SetDirectionVisible(bool visible)
{
    FDirection->setVisible(visible);
}

void TFindDialog::UpdateButtons()
{
    FFindNext->setEnabled(!FEdit->text().isEmpty());
}
