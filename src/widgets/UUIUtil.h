#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QWidget;

// Form routines shared by the dialogs.

// Raises "Can not find '<name>' in '<form's object name>'".
[[noreturn]] void RaiseComponentNotFound(const QObject* form, const QString& name);

// The form's child object of that name (at any depth); raises when there is none.
QObject* FindComponentOrRaise(QObject* form, const QString& name);

// The same for a child of type T; one of another type counts as missing.
template <class T>
T* FindComponentOrRaise(QObject* form, const QString& name)
{
    T* found = qobject_cast<T*>(FindComponentOrRaise(form, name));
    if (!found)
        RaiseComponentNotFound(form, name);
    return found;
}

// Selects the item whose text equals text, letter case aside; leaves the
// selection alone when there is none.
void SelectComboItem(QComboBox* combo, const QString& text);

// Gives control the input focus only when it is enabled and visible.
void FocusControlSafely(QWidget* control);
