#pragma once

#include <QWidget>

class QButtonGroup;

// A column grid of radio buttons with one chosen item, told by its index;
// -1 when none is chosen.
class TRadioGroup : public QWidget {
    Q_OBJECT
public:
    TRadioGroup(const QStringList& items, int columns, QWidget* parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    QString ItemText(int index) const;
    int Count() const;

Q_SIGNALS:
    // The user chose an item (not emitted by SetItemIndex).
    void Clicked();

private:
    QButtonGroup* FGroup;
};
