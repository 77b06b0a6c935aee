#include "UDialogLook.h"

#include <QColor>
#include <QDialog>
#include <QLayout>
#include <QPalette>

void ApplyDialogLook(QDialog* dialog, const QString& caption)
{
    dialog->setWindowTitle(caption);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, QColor(255, 251, 240));
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
    dialog->setSizeGripEnabled(false);
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    if (dialog->layout())
        dialog->layout()->setSizeConstraint(QLayout::SetFixedSize);
}
