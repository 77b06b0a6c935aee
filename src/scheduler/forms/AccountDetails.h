#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The account under which a task runs: a user and password, or SYSTEM.
class TfrmTaskAccount : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTaskAccount(QWidget* parent = nullptr);

    QLabel* labUserName;
    QLineEdit* edUserName;
    QLabel* labPassword;
    QLineEdit* edPassword;
    QCheckBox* ckbShowPassword;
    QCheckBox* ckbUseSystem;
    QPushButton* btOK;
    QPushButton* btCancel;

    void ckbShowPasswordClick();
    void ckbUseSystemClick();
};

// True on OK, and then userName and password hold the answer (both empty for
// SYSTEM); false leaves them as they came.
bool ExecuteTaskAccountDialog(QString& userName, QString& password);
