#include "URadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QStringList& items, int columns, QWidget* parent)
    : QWidget(parent), FGroup(new QButtonGroup(this))
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        FGroup->addButton(button, i);
        layout->addWidget(button, i / columns, i % columns);
    }
    if (!items.isEmpty())
        setFocusProxy(FGroup->button(0));
    connect(FGroup, &QButtonGroup::idClicked, this, [this] { Q_EMIT Clicked(); });
}

int TRadioGroup::ItemIndex() const
{
    return FGroup->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton* button = FGroup->button(index)) {
        button->setChecked(true);
        return;
    }
    // No item: the group must allow an empty choice for a moment.
    FGroup->setExclusive(false);
    for (QAbstractButton* button : FGroup->buttons())
        button->setChecked(false);
    FGroup->setExclusive(true);
}

QString TRadioGroup::ItemText(int index) const
{
    QAbstractButton* button = FGroup->button(index);
    return button ? button->text() : QString();
}

int TRadioGroup::Count() const
{
    return static_cast<int>(FGroup->buttons().size());
}
