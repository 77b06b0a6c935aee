#include "UExceptionReportDlg.h"

#include "UCaptureScreen.h"
#include "UWebBrowserForm.h"
#include "app/UApp.h"
#include "base/UAppException.h"
#include "base/UDebugHelper.h"
#include "base/UErrorReport.h"
#include "base/ULog.h"
#include "base/UPrompter.h"
#include "base/USystemUtil.h"
#include "widgets/UHyperLink.h"
#include "platform/shell/UShellOpener.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {
const QString DefaultNotify = QStringLiteral("Report error and search the solution");
// Lets the screen settle after the capture, before the dialog covers it.
const int SettleMs = 300;

QString SystemInfo()
{
    return TApp::HasInstance() ? TApp::GetInstance()->GetSystemInfo() : QString();
}

// A picture that answers a click.
class TClickableImage : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && OnClick)
            GuardedCall(OnClick);
    }
};

struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};
}

TExceptionReportDlg::TExceptionReportDlg(const QString& message, QWidget* parent)
    : QDialog(parent), Report(message)
{
    setObjectName(QStringLiteral("ExceptionReportDlg"));
    setWindowTitle(QStringLiteral("Error Message"));
    setFixedSize(394, 433);

    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblNotify = new THyperLink(this);
    lblNotify->setObjectName(QStringLiteral("lblNotify"));
    lblNotify->setWordWrap(true);
    lblNotify->setText(DefaultNotify);
    lblNotify->setToolTip(DefaultNotify);
    auto* image = new TClickableImage(this);
    image->setObjectName(QStringLiteral("imgScreenshot"));
    image->setAccessibleName(QStringLiteral("Screenshot"));
    image->setCursor(Qt::PointingHandCursor);
    image->setAlignment(Qt::AlignCenter);
    image->setMinimumHeight(150);
    image->OnClick = [this] { imgScreenshotClick(); };
    imgScreenshot = image;
    chkScreenshot = new QCheckBox(QStringLiteral("Include Screenshot"), this);
    chkScreenshot->setObjectName(QStringLiteral("chkScreenshot"));
    chkLog = new QCheckBox(QStringLiteral("Include Log"), this);
    chkLog->setObjectName(QStringLiteral("chkLog"));
    chkLog->setChecked(true);
    memLog = new QPlainTextEdit(this);
    memLog->setObjectName(QStringLiteral("memLog"));
    memLog->setAccessibleName(QStringLiteral("Log"));
    memLog->setReadOnly(true);
    memLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memLog->setPlainText(TDebugHelper::GetLog());
    OKBtn = new QPushButton(QStringLiteral("Send Report"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Close"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMessage);
    layout->addWidget(imgScreenshot, 1);
    layout->addWidget(lblNotify);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(chkScreenshot);
    boxes->addWidget(chkLog);
    boxes->addStretch();
    layout->addLayout(boxes);
    layout->addWidget(memLog, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, Guarded([this](bool) { OKBtnClick(); }));
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(chkScreenshot, &QCheckBox::toggled, this, Guarded([this](bool) { chkScreenshotClick(); }));
    connect(chkLog, &QCheckBox::toggled, this, Guarded([this](bool) { chkLogClick(); }));
    lblNotify->SetOnClick([this] { lblNotifyClick(); });

    LoadScreenshot();
    const QString headline = ExceptionHeadline(message);
    lblMessage->setText(headline);
    lblMessage->setToolTip(headline);
    Report.FillFields(SystemInfo());
    const QString advice = Report.FindAdvice();
    if (!advice.isEmpty()) {
        lblNotify->setText(advice);
        lblNotify->setToolTip(advice);
    }
}

void TExceptionReportDlg::LoadScreenshot()
{
    const QPixmap picture = ScreenshotFile.isEmpty() ? QPixmap() : QPixmap(ScreenshotFile);
    if (!picture.isNull())
        imgScreenshot->setPixmap(picture.scaled(370, 150, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    chkScreenshot->setChecked(!ScreenshotFile.isEmpty());
    chkScreenshotClick();
}

void TExceptionReportDlg::SendReport()
{
    try {
        const TWaitCursor wait;
        Report.Send(chkScreenshot->isChecked(), chkLog->isChecked());
    } catch (const std::exception& e) {
        TPrompter::Instance().ShowError(ExceptionMessage(e));
    }
}

void TExceptionReportDlg::OKBtnClick()
{
    SendReport();
    accept();
}

void TExceptionReportDlg::lblNotifyClick()
{
    lblNotify->setCursor(Qt::WaitCursor);
    SendReport();
    lblNotify->setCursor(Qt::PointingHandCursor);
    accept();
}

void TExceptionReportDlg::imgScreenshotClick()
{
    if (!ScreenshotFile.isEmpty())
        TShellOpener::Instance().OpenDocument(ScreenshotFile);
}

void TExceptionReportDlg::chkScreenshotClick()
{
    imgScreenshot->setVisible(chkScreenshot->isChecked());
}

void TExceptionReportDlg::chkLogClick()
{
    memLog->setVisible(chkLog->isChecked());
}

void ShowExceptionReportDialog(const QString& message)
{
    ScreenshotFile.clear();
    if (QWidget* active = QApplication::activeWindow()) {
        // A capture that fails must not lose the report of the error itself.
        try {
            const QString file = GetProgramDataDir(QStringLiteral("Vantorquill")) + QStringLiteral("screenshot.jpg");
            CaptureScreenToJpeg(active, file);
            ScreenshotFile = file;
        } catch (const std::exception& e) {
            TLog::GetLogger()->Debug(QStringLiteral("No screenshot: ") + ExceptionMessage(e));
        }
    }
    QThread::msleep(SettleMs);
    QString keyword;
    QString answer;
    {
        TExceptionReportDlg dialog(message);
        dialog.exec();
        keyword = dialog.Report.Fields.Value(QStringLiteral("keyword"));
        answer = dialog.Report.Answer;
    }
    if (!answer.isEmpty())
        ShowHTML(answer, !keyword.isEmpty());
}

void InstallExceptionReportDialog()
{
    SetExceptionReporter([](const QString& message) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()))
            ShowExceptionReportDialog(message);
        else
            ShowFallbackExceptionReport(message);
    });
}

void RemoveExceptionReportDialog()
{
    SetExceptionReporter({});
    ScreenshotFile.clear();
}
