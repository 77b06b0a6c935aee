#pragma once

#include "app/UUpdateCheck.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class THyperLink;

// The update notice. The check itself runs on its own thread
// (TUpdateCheckRunner); this dialog shows what it found.
class TNotifyUpdateDlg : public QDialog {
    Q_OBJECT
public:
    explicit TNotifyUpdateDlg(QWidget* parent = nullptr);

    QLabel* lblHeader;
    QLabel* lblNotify;
    THyperLink* lblLink;
    QCheckBox* chkNotShow;
    QPushButton* btnClose;

    // The notice's caption, texts and link.
    void SetNotice(const TUpdateNotice& notice);

    void chkNotShowClick();
    void btnCloseClick();

    // Makes this dialog the checks' way to show their notices (window mode,
    // once its application object exists); RemovePresenter undoes it.
    static void InstallPresenter();
    static void RemovePresenter();
};
