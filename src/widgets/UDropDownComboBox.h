#pragma once

#include <QComboBox>

// A combo box that says when its list is about to drop down, so that the
// list can be filled first.
class TDropDownComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        Q_EMIT dropDown();
        QComboBox::showPopup();
    }

Q_SIGNALS:
    void dropDown();
};
