#include "UDialogFactory.h"

#include "UAboutBoxDialog.h"

#include <QDate>

QString TDialogFactory::NoticeText()
{
    return QStringLiteral("Copyright \u00A9 Corvanta ") + QDate::currentDate().toString(QStringLiteral("yyyy"));
}

void TDialogFactory::ShowAbout()
{
    TAboutBoxDialog about;
    about.ProductName = QStringLiteral("Vantorquill");
    about.Copyright = NoticeText();
    about.Execute();
}
