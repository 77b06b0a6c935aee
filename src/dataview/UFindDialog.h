#pragma once

#include "UTextSearch.h"

#include <QDialog>

class QCheckBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

// The modeless find dialog of the text viewer: it only gathers the search;
// the owner searches when FindNextRequested fires.
class TFindDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFindDialog(QWidget* parent = nullptr);

    QString FindText() const;
    void SetFindText(const QString& text);
    TSearchOptions Options() const;

Q_SIGNALS:
    void FindNextRequested();

protected:
    // For the replace dialog: a grid row below "Find what" and buttons below
    // "Find Next".
    QGridLayout* FieldsLayout() const { return FFields; }
    QVBoxLayout* ButtonsLayout() const { return FButtons; }
    void SetDirectionVisible(bool visible);

private:
    void UpdateButtons();

    QLineEdit* FEdit;
    QCheckBox* FWholeWord;
    QCheckBox* FMatchCase;
    QWidget* FDirection;
    QRadioButton* FUp;
    QRadioButton* FDown;
    QPushButton* FFindNext;
    QGridLayout* FFields;
    QVBoxLayout* FButtons;
};
