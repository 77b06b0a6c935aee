#pragma once

#include "app/UExceptionReport.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class THyperLink;

// The exception report: the headline, the capture, the debug log and an
// advice; sends nothing until the user asks for it.
class TExceptionReportDlg : public QDialog {
    Q_OBJECT
public:
    // Fills the dialog for message: headline, capture (ScreenshotFile),
    // fields and advice.
    explicit TExceptionReportDlg(const QString& message, QWidget* parent = nullptr);

    QLabel* lblMessage;
    THyperLink* lblNotify;
    QLabel* imgScreenshot;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QCheckBox* chkScreenshot;
    QCheckBox* chkLog;
    QPlainTextEdit* memLog;

    TExceptionReport Report;

    void OKBtnClick();
    void lblNotifyClick();
    void imgScreenshotClick();
    void chkScreenshotClick();
    void chkLogClick();

private:
    // Posts the report under the wait cursor; a failure is shown in a box.
    void SendReport();
    void LoadScreenshot();
};

// The report for message in window mode: captures the active window, shows
// the dialog and afterwards the endpoint's answer page.
void ShowExceptionReportDialog(const QString& message);

// Makes the dialog the report of ShowExceptionReport while a QApplication
// exists (window mode); RemoveExceptionReportDialog undoes it.
void InstallExceptionReportDialog();
void RemoveExceptionReportDialog();
