// The update notice and the exception report as the user meets them: real
// dialogs under offscreen, the local HTTP server, fakes only for message
// boxes and the desktop opener.
#include "app/UExceptionReport.h"
#include "app/UUpdateCheckRunner.h"
#include "base/UDebugHelper.h"
#include "base/ULog.h"
#include "base/UMakerSite.h"
#include "base/USystemUtil.h"
#include "app/forms/UExceptionReportDlg.h"
#include "app/forms/UNotifyUpdateDlg.h"
#include "app/forms/UWebBrowserForm.h"
#include "settings/UAppSettings.h"
#include "settings/URegUtil.h"
#include "widgets/UHyperLink.h"
#include "support/VqFakePrompter.h"
#include "support/VqFakeShellOpener.h"
#include "support/VqHttpTestServer.h"
#include "support/VqTestSupport.h"
#include "support/VqWidgetTestSupport.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

using vqtest::HttpTestServer;

using vqtest::Click;

namespace {
std::string S(const QString& text)
{
    return text.toStdString();
}

std::string Setting(const char* name)
{
    return S(RegReadString(QLatin1String(TAppSettings::RegistryKey), QLatin1String(name)));
}

using vqtest::ModalWatcher;

bool RunUntil(const std::function<bool()>& done, int ms = 10000)
{
    return vqtest::ProcessEventsUntil(done, ms);
}

struct SiteAt {
    explicit SiteAt(const QString& base) { SetMakerSite(base); }
    ~SiteAt() { SetMakerSite(QString()); }
};

class ReportDialogs : public vqtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        TDebugHelper::Init();
        TDebugHelper::ClearLog();
    }
    void TearDown() override
    {
        TUpdateCheckRunner::AbortAll();
        TNotifyUpdateDlg::RemovePresenter();
        TDebugHelper::Done();
        ScreenshotFile.clear();
    }
    vqtest::FakePrompter prompter;
    vqtest::FakeShellOpener opener;
};
}

TEST_F(ReportDialogs, ManualCheckShowsTheNoticeWhoseBoxAndLinkWork)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("versioncheck.php"), 200, "99.1\r\n");
    const SiteAt at(server.Address());
    TNotifyUpdateDlg::InstallPresenter();
    struct Seen {
        QString caption, header, notify, link;
        bool linkShown = false;
        std::string afterCheck, afterUncheck;
    } seen;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* dialog = qobject_cast<TNotifyUpdateDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        seen.caption = dialog->windowTitle();
        seen.header = dialog->lblHeader->text();
        seen.notify = dialog->lblNotify->text();
        seen.link = dialog->lblLink->text();
        seen.linkShown = dialog->lblLink->isVisible();
        dialog->chkNotShow->click();
        seen.afterCheck = Setting("NotNotifyUpdate");
        dialog->chkNotShow->click();
        seen.afterUncheck = Setting("NotNotifyUpdate");
        Click(dialog->lblLink);
        dialog->btnClose->click();
    });
    TUpdateCheckRunner::CheckUpdate();
    ASSERT_TRUE(RunUntil([] { return TUpdateCheckRunner::RunningCount() == 0; }));
    EXPECT_EQ(S(seen.caption), "Check Update");
    EXPECT_EQ(S(seen.header), "Updates are available for Vantorquill, version 99.1");
    EXPECT_EQ(S(seen.notify), "Please download and install latest version from ");
    EXPECT_TRUE(seen.linkShown);
    EXPECT_EQ(S(seen.link), S(server.Address(QStringLiteral("vantorquill/"))));
    EXPECT_EQ(seen.afterCheck, "-1");
    EXPECT_EQ(seen.afterUncheck, "0");
    EXPECT_EQ(opener.Documents, QStringList{server.Address(QStringLiteral("vantorquill/"))});
}

TEST_F(ReportDialogs, ManualCheckThatCannotAskSaysWhyWithoutLink)
{
    const SiteAt at(vqtest::RefusingAddress());
    TNotifyUpdateDlg::InstallPresenter();
    QString header;
    bool linkShown = true;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* dialog = qobject_cast<TNotifyUpdateDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        header = dialog->lblHeader->text();
        linkShown = dialog->lblLink->isVisible();
        dialog->btnClose->click();
    });
    TUpdateCheckRunner::CheckUpdate();
    ASSERT_TRUE(RunUntil([] { return TUpdateCheckRunner::RunningCount() == 0; }));
    EXPECT_TRUE(header.startsWith(QStringLiteral("Can not check for updates: Failed to connect to 127.0.0.1")))
        << S(header);
    EXPECT_FALSE(linkShown);
}

namespace {
struct Part {
    QString headers;
    QByteArray content;
};

// The parts of a multipart form, in order.
QList<Part> FormParts(const vqtest::HttpRequest& request)
{
    const QString type = request.Header(QStringLiteral("Content-Type"));
    const QByteArray boundary = "--" + type.mid(type.indexOf(QStringLiteral("boundary=")) + 9).toLatin1();
    QList<Part> parts;
    const QList<QByteArray> pieces = request.body.split('\n');
    QByteArray body = request.body;
    qsizetype at = body.indexOf(boundary);
    while (at >= 0) {
        const qsizetype start = at + boundary.size();
        if (body.mid(start, 2) == "--")
            break;
        const qsizetype next = body.indexOf("\r\n" + boundary, start);
        const QByteArray chunk = body.mid(start + 2, next - start - 2);
        const qsizetype split = chunk.indexOf("\r\n\r\n");
        parts.append({QString::fromUtf8(chunk.left(split)), chunk.mid(split + 4)});
        at = next + 2;
    }
    return parts;
}

// A shown, active window for the report to capture.
struct ActiveWindow {
    QWidget window;
    ActiveWindow()
    {
        window.resize(320, 200);
        window.setWindowTitle(QStringLiteral("Main"));
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        RunUntil([&] { return QApplication::activeWindow() == &window; }, 2000);
    }
};

// The first value of the first quantisation table of a JPEG file.
int FirstLuminanceValue(const QByteArray& jpeg)
{
    const qsizetype dqt = jpeg.indexOf("\xff\xdb");
    return dqt < 0 ? -1 : quint8(jpeg.at(dqt + 5));
}
}

TEST_F(ReportDialogs, CapturesTheActiveWindowAndSendsOnlyWhenAsked)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    const SiteAt at(server.Address());
    ActiveWindow main;
    ASSERT_EQ(QApplication::activeWindow(), &main.window);
    QString headline;
    bool boxChecked = false, imageShown = false;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* dialog = qobject_cast<TExceptionReportDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        headline = dialog->lblMessage->text();
        boxChecked = dialog->chkScreenshot->isChecked();
        imageShown = dialog->imgScreenshot->isVisible();
        Click(dialog->imgScreenshot);
        dialog->CancelBtn->click();
    });
    ShowExceptionReportDialog(QStringLiteral("Access violation at address 00000000"));
    EXPECT_EQ(S(headline), "Memory Error");
    EXPECT_TRUE(boxChecked);
    EXPECT_TRUE(imageShown);
    const QString file = GetProgramDataDir(QStringLiteral("Vantorquill")) + QStringLiteral("screenshot.jpg");
    EXPECT_EQ(S(ScreenshotFile), S(file));
    EXPECT_EQ(opener.Documents, QStringList{file});
    EXPECT_TRUE(server.Requests().isEmpty()) << "Close sends nothing";

    const QImage picture(file);
    EXPECT_EQ(picture.size(), QSize(320, 200));
    QFile jpeg(file);
    ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
    EXPECT_EQ(FirstLuminanceValue(jpeg.readAll()), 10) << "libjpeg's tables of quality 70";
    EXPECT_EQ(jpeg.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
}

TEST_F(ReportDialogs, WithoutAWindowOrAWritableFolderTheReportGoesOnWithoutCapture)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("report_exception.php"), 200, "");
    const SiteAt at(server.Address());
    TLog::GetLogger()->Debug(QStringLiteral("the step before"));
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");

    for (const bool withWindow : {false, true}) {
        SCOPED_TRACE(withWindow ? "unwritable folder" : "no active window");
        std::unique_ptr<ActiveWindow> main;
        if (withWindow) {
            main = std::make_unique<ActiveWindow>();
            qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("file/below")).toLocal8Bit());
        } else {
            QApplication::setActiveWindow(nullptr);
        }
        bool shown = false, boxChecked = true, imageShown = true;
        ModalWatcher watcher([&](QWidget* modal) {
            auto* dialog = qobject_cast<TExceptionReportDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            shown = true;
            boxChecked = dialog->chkScreenshot->isChecked();
            imageShown = dialog->imgScreenshot->isVisible();
            dialog->chkScreenshot->click();
            dialog->chkLog->click();
            dialog->OKBtn->click();
        });
        ShowExceptionReportDialog(QStringLiteral("boom"));
        qputenv("XDG_DATA_HOME", dataHome);
        EXPECT_TRUE(shown);
        EXPECT_FALSE(boxChecked);
        EXPECT_FALSE(imageShown);
        EXPECT_TRUE(ScreenshotFile.isEmpty());
    }
    const QList<vqtest::HttpRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2);
    for (const vqtest::HttpRequest& request : requests) {
        for (const Part& part : FormParts(request)) {
            EXPECT_FALSE(part.headers.contains(QStringLiteral("name=\"screenshot\""))) << S(part.headers);
            EXPECT_FALSE(part.headers.contains(QStringLiteral("name=\"log\""))) << S(part.headers);
        }
    }
    EXPECT_TRUE(TDebugHelper::GetLog().contains(QStringLiteral("the step before"))) << "not sent, so kept";
    EXPECT_TRUE(TDebugHelper::GetLog().contains(QStringLiteral("No screenshot: Cannot create")));
}

TEST_F(ReportDialogs, SendsTheFieldsInOrderAndShowsTheAnswerPage)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("report_exception.php"), 200, "<h1>Known problem</h1>");
    const SiteAt at(server.Address());
    TLog::GetLogger()->Debug(QStringLiteral("opened the table"));
    ActiveWindow main;

    for (const bool advice : {true, false}) {
        SCOPED_TRACE(advice ? "with advice" : "without advice");
        QApplication::setActiveWindow(&main.window);
        const QString message = advice ? QStringLiteral("Cannot open /data/x.accdb") : QStringLiteral("Ärger: boom");
        QString answerText;
        bool answerMaximised = false;
        int windows = 0;
        ModalWatcher watcher([&](QWidget* modal) {
            ++windows;
            if (auto* dialog = qobject_cast<TExceptionReportDlg*>(modal)) {
                EXPECT_EQ(S(dialog->lblNotify->text()).rfind(advice ? "If you can not open" : "Report error", 0), 0u);
                if (advice)
                    Click(dialog->lblNotify);
                else
                    dialog->OKBtn->click();
            } else if (auto* page = qobject_cast<TWebBrowserForm*>(modal)) {
                answerText = page->WebBrowser->toPlainText();
                answerMaximised = page->isMaximized();
                page->close();
            } else {
                modal->close();
            }
        });
        ShowExceptionReportDialog(message);
        EXPECT_EQ(windows, 2);
        EXPECT_EQ(S(answerText), "Known problem");
        EXPECT_EQ(answerMaximised, advice) << "maximised exactly when a keyword was sent";
    }

    const QList<vqtest::HttpRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2);
    const QList<Part> first = FormParts(requests[0]);
    QStringList names;
    for (const Part& part : first)
        names << part.headers.section(QStringLiteral("name=\""), 1).section(QLatin1Char('"'), 0, 0);
    EXPECT_EQ(S(names.join(QLatin1Char(','))),
              "app_name,os_version,app_version,access_version,excel_version,info,msg,keyword,screenshot,log");
    for (const Part& part : first) {
        if (part.headers.contains(QStringLiteral("name=\"screenshot\""))) {
            EXPECT_TRUE(part.headers.contains(QStringLiteral("filename=\"screenshot.jpg\"\r\nContent-Type: mime/jpeg")))
                << S(part.headers);
            QFile file(GetProgramDataDir(QStringLiteral("Vantorquill")) + QStringLiteral("screenshot.jpg"));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(part.content, file.readAll()) << "byte for byte";
        } else {
            EXPECT_TRUE(part.headers.endsWith(
                QStringLiteral("\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit")))
                << S(part.headers);
        }
    }
    EXPECT_EQ(first[0].content, QByteArray("Vantorquill"));
    EXPECT_EQ(first[7].content, QByteArray("office_engine"));
    EXPECT_TRUE(first[9].content.contains("opened the table"));
    const QList<Part> second = FormParts(requests[1]);
    ASSERT_EQ(second.size(), 8) << "no keyword, and the log was emptied by the first send";
    EXPECT_EQ(second[6].content, QStringLiteral("Ärger: boom").toUtf8());
    EXPECT_TRUE(second[5].content.startsWith(QStringLiteral("Exception: Ärger: boom\r\n\r\nSystem Info: ").toUtf8()));
}

TEST_F(ReportDialogs, AFailedPostSaysWhyClosesAndKeepsTheLog)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("error/report_exception.php"), 500, "<h1>down</h1>");
    server.SetSilent(QStringLiteral("silent/report_exception.php"));
    TExceptionReport::PostTimeoutMs = 700;
    TLog::GetLogger()->Debug(QStringLiteral("the step before"));
    const struct {
        const char* name;
        QString site;
        const char* message;
    } cases[] = {
        {"error", server.Address(QStringLiteral("error/")), "HTTP/1.1 500 Internal Server Error"},
        {"refused", vqtest::RefusingAddress(), "Failed to connect to 127.0.0.1 port"},
        {"silent", server.Address(QStringLiteral("silent/")), "Operation timed out after"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SiteAt at(c.site);
        prompter.Prompts.clear();
        int windows = 0;
        bool closed = false;
        ModalWatcher watcher([&](QWidget* modal) {
            ++windows;
            auto* dialog = qobject_cast<TExceptionReportDlg*>(modal);
            if (!dialog) {
                modal->close();
                return;
            }
            dialog->OKBtn->click();
            closed = !dialog->isVisible();
        });
        QElapsedTimer timer;
        timer.start();
        ShowExceptionReportDialog(QStringLiteral("boom"));
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_TRUE(closed);
        EXPECT_EQ(windows, 1) << "no answer window";
        ASSERT_EQ(prompter.Messages().size(), 1);
        EXPECT_EQ(S(prompter.Messages()[0]).rfind(c.message, 0), 0u) << S(prompter.Messages()[0]);
        EXPECT_TRUE(TDebugHelper::GetLog().contains(QStringLiteral("the step before")));
    }
    TExceptionReport::PostTimeoutMs = 60000;
}
