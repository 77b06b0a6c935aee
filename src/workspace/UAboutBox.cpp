#include "UAboutBox.h"

#include "UVersionLabel.h"
#include "base/UAppException.h"
#include "widgets/UHyperLink.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* NamedLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}
}

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("About"));
    auto* Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ProgramIcon = NamedLabel(QStringLiteral("ProgramIcon"), Panel1);
    ProgramIcon->setFixedSize(48, 48);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setAccessibleName(QStringLiteral("Program icon"));
    ProductName = NamedLabel(QStringLiteral("ProductName"), Panel1);
    Copyright = NamedLabel(QStringLiteral("Copyright"), Panel1);
    Comments = NamedLabel(QStringLiteral("Comments"), Panel1);
    Comments->setWordWrap(true);
    VersionLabel1 = new TVersionLabel(Panel1);
    VersionLabel1->setObjectName(QStringLiteral("VersionLabel1"));
    HyperType = NamedLabel(QStringLiteral("HyperType"), Panel1);
    HyperType->setText(QStringLiteral("Support:"));
    HyperLink1 = new THyperLink(Panel1);
    HyperLink1->setObjectName(QStringLiteral("HyperLink1"));
    HyperType->setBuddy(HyperLink1);
    HyperLink1->SetOnClick([this] { GuardedCall([this] { HyperLink1Click(); }); });
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(VersionLabel1);
    texts->addWidget(Copyright);
    texts->addWidget(Comments);
    auto* link = new QHBoxLayout;
    link->addWidget(HyperType);
    link->addWidget(HyperLink1);
    link->addStretch();
    texts->addLayout(link);
    auto* panel = new QHBoxLayout(Panel1);
    panel->addWidget(ProgramIcon, 0, Qt::AlignTop);
    panel->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
}

void TAboutBox::HyperLink1Click()
{
    const QString kind = HyperType->text();
    if (kind == QLatin1String("Homepage:"))
        HyperLink1->OpenURL(HyperLink1->text());
    else if (kind == QLatin1String("Support:"))
        HyperLink1->OpenURL(QStringLiteral("mailto:") + HyperLink1->text());
}
