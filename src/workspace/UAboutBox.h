#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class THyperLink;
class TVersionLabel;

// The about form: program icon, product line, notice, comments, version and
// a support or home-page link.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner = nullptr);

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Copyright;
    QLabel* Comments;
    TVersionLabel* VersionLabel1;
    QLabel* HyperType;
    THyperLink* HyperLink1;
    QPushButton* OKButton;

    // "Homepage:" opens the link as an address, "Support:" as a mail address.
    void HyperLink1Click();
};
