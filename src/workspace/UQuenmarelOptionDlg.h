#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

// The program's options: whether exports may name files after LOB values.
class TQuenmarelOptionDlg : public QDialog {
    Q_OBJECT
public:
    explicit TQuenmarelOptionDlg(QWidget* owner = nullptr);

    // Saves to config.ini and closes; a failed save leaves the dialog open.
    void btnOKBtnClick();
    void btnCancelBtnClick();

private:
    QCheckBox* chkUseLobValueAsName;
    QPushButton* btnOKBtn;
    QPushButton* btnCancelBtn;
};
