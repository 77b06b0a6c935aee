#include "UFormParts.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>

namespace formparts {

namespace {
const char* const TagProperty = "tag";
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QSpinBox* SpinBox(const char* name, int low, int high, int value, QWidget* parent)
{
    auto* spin = Named(new QSpinBox(parent), name);
    spin->setRange(low, high);
    spin->setValue(value);
    return spin;
}

QListWidget* CheckList(const char* name, const QStringList& captions, int columns, QWidget* parent)
{
    auto* list = Named(new QListWidget(parent), name);
    for (const QString& caption : captions) {
        auto* item = new QListWidgetItem(caption, list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(Qt::Unchecked);
    }
    // Side by side in rows, wrapped at the list's width: every item shows
    // whole without scrolling sideways.
    if (columns > 1) {
        list->setFlow(QListView::LeftToRight);
        list->setWrapping(true);
        list->setResizeMode(QListView::Adjust);
    }
    return list;
}

bool IsChecked(const QListWidget* list, int index)
{
    return list->item(index)->checkState() == Qt::Checked;
}

void SetChecked(QListWidget* list, int index, bool checked)
{
    list->item(index)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void ShowValue(QSpinBox* box, int value)
{
    if (value < box->minimum())
        box->setMinimum(value);
    if (value > box->maximum())
        box->setMaximum(value);
    box->setValue(value);
}

QCheckBox* TaggedBox(const QString& name, const QString& caption, int tag, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setProperty(TagProperty, tag);
    return box;
}

int Tag(const QCheckBox* box)
{
    return box->property(TagProperty).toInt();
}

}  // namespace formparts
