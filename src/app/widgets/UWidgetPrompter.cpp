#include "UWidgetPrompter.h"

#include <QApplication>
#include <QMessageBox>

void TWidgetPrompter::ShowMessage(const QString& text)
{
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationDisplayName(), text);
}

void TWidgetPrompter::ShowError(const QString& text)
{
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(), text);
}

bool TWidgetPrompter::Confirm(const QString& text)
{
    return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}
