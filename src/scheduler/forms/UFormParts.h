#pragma once

#include <QString>
#include <QStringList>

class QCheckBox;
class QLabel;
class QListWidget;
class QSpinBox;
class QWidget;

// Small builders that the scheduler's dialogs share.
namespace formparts {

template <class T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A label whose mnemonic focuses buddy.
QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent = nullptr);
QSpinBox* SpinBox(const char* name, int low, int high, int value, QWidget* parent = nullptr);
// A list of check boxes, several a row when columns is above 1.
QListWidget* CheckList(const char* name, const QStringList& captions, int columns, QWidget* parent = nullptr);
bool IsChecked(const QListWidget* list, int index);
void SetChecked(QListWidget* list, int index, bool checked);
// A stored value outside the box's range is shown as it is, not clamped, so
// that an untouched save keeps it.
void ShowValue(QSpinBox* box, int value);
// A check box that stands for the bits of tag in a mask.
QCheckBox* TaggedBox(const QString& name, const QString& caption, int tag, QWidget* parent = nullptr);
int Tag(const QCheckBox* box);

}  // namespace formparts
