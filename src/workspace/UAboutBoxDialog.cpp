#include "UAboutBoxDialog.h"

#include "UAboutBox.h"
#include "UVersionLabel.h"
#include "widgets/UHyperLink.h"

#include <QApplication>
#include <QLabel>
#include <memory>

bool TAboutBoxDialog::Execute()
{
    auto form = std::make_unique<TAboutBox>(QApplication::activeWindow());
    form->ProductName->setText(ProductName + QStringLiteral(" (x64)"));
    form->Copyright->setText(Copyright);
    form->Comments->setText(Comments);
    form->HyperType->setText(LinkCaption);
    form->HyperLink1->setText(Link);
    form->VersionLabel1->SetFileName(QApplication::applicationFilePath());
    form->ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    form->exec();
    return true;
}
