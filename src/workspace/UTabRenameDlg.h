#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The rename dialog of the tab strip: shows the current tab name and takes a
// new one.
class TTabRenameDlg : public QDialog {
    Q_OBJECT
public:
    explicit TTabRenameDlg(QWidget* parent = nullptr);

    // Shows the dialog modally for the current name; true when OK was pressed.
    // The typed text is NewName() afterwards.
    bool Execute(const QString& currentName);
    QString NewName() const;

    void OKBtnClick();
    void CancelBtnClick();

    QLabel* lblCurrentName;
    QLineEdit* edtNewName;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    bool FResult = false;
};
