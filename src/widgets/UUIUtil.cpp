#include "UUIUtil.h"

#include "base/UException.h"

#include <QComboBox>
#include <QWidget>

void RaiseComponentNotFound(const QObject* form, const QString& name)
{
    throw Exception(QStringLiteral("Can not find '") + name + QStringLiteral("' in '")
                    + (form ? form->objectName() : QString()) + QLatin1Char('\''));
}

QObject* FindComponentOrRaise(QObject* form, const QString& name)
{
    QObject* found = form && !name.isEmpty() ? form->findChild<QObject*>(name) : nullptr;
    if (!found)
        RaiseComponentNotFound(form, name);
    return found;
}

void SelectComboItem(QComboBox* combo, const QString& text)
{
    if (!combo)
        return;
    const int index = combo->findText(text, Qt::MatchFixedString);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

void FocusControlSafely(QWidget* control)
{
    if (control && control->isEnabled() && control->isVisible())
        control->setFocus(Qt::OtherFocusReason);
}
