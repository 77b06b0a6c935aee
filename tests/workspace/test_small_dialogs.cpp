// The about box, the version label, the options dialog and the log window.
#include "WorkspaceTestUtil.h"
#include "base/UAppException.h"
#include "base/UDebugHelper.h"
#include "base/ULog.h"
#include "base/ULogger.h"
#include "settings/UQuenmarelSettings.h"
#include "widgets/UHyperLink.h"
#include "support/VqFakePrompter.h"
#include "support/VqFakeShellOpener.h"
#include "workspace/UAboutBox.h"
#include "workspace/UAboutBoxDialog.h"
#include "workspace/UDialogFactory.h"
#include "workspace/ULogViewerForm.h"
#include "workspace/UQuenmarelOptionDlg.h"
#include "workspace/UVersionLabel.h"

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using wstest::S;

namespace {

QByteArray ReadConfig()
{
    QFile file(TQuenmarelSettings::ConfigFileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Answers the options dialog with the box set to checked and the button named.
void AnswerOptions(bool checked, const char* button)
{
    wstest::WhenModal([=] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QCheckBox*>(S("chkUseLobValueAsName"))->setChecked(checked);
        dialog->findChild<QPushButton*>(S(button))->click();
    });
}

}  // namespace

TEST(VersionLabel, FormatsTheFourParts)
{
    const QString mask = S("Version %s.%s (Release %s Build %s)");
    EXPECT_EQ(TVersionLabel::FormatVersion(mask, S("3.3.1.210811")), S("Version 3.3 (Release 1 Build 210811)"));
    EXPECT_EQ(TVersionLabel::FormatVersion(mask, S("x.x.x.x")), S("Version x.x (Release x Build x)"));
    EXPECT_EQ(TVersionLabel::FormatVersion(S("%s-%s"), S("1.2.3.4")), S("1-2"));
}

class SmallDialogTest : public vqtest::WidgetTest {
protected:
    vqtest::FakePrompter Prompter;
};

TEST_F(SmallDialogTest, VersionLabelShowsTheRunningProgram)
{
    TVersionLabel label;
    EXPECT_EQ(label.Mask(), S("Version %s.%s (Release %s Build %s)"));
    label.SetFileName(S("/no/such/file"));
    EXPECT_EQ(label.FileName(), QApplication::applicationFilePath()) << "the running program, whatever the name";
    EXPECT_EQ(label.text(), TVersionLabel::FormatVersion(label.Mask(), S(VQ_VERSION)));
    label.SetMask(S("v%s"));
    EXPECT_EQ(label.text(), S("v") + S(VQ_VERSION).section(QLatin1Char('.'), 0, 0));
}

TEST_F(SmallDialogTest, AboutBoxProductLineNoticeAndLink)
{
    EXPECT_EQ(TDialogFactory::NoticeText(), S("Copyright \u00A9 Corvanta ") + QString::number(QDate::currentDate().year()));
    QString product, notice, version;
    bool iconShown = false;
    wstest::WhenModal([&] {
        auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), S("About"));
        product = box->ProductName->text();
        notice = box->Copyright->text();
        version = box->VersionLabel1->text();
        iconShown = !box->ProgramIcon->pixmap().isNull() || QApplication::windowIcon().isNull();
        box->OKButton->click();
    });
    TDialogFactory().ShowAbout();
    EXPECT_EQ(product, S("Vantorquill (x64)"));
    EXPECT_EQ(notice, TDialogFactory::NoticeText());
    EXPECT_TRUE(version.startsWith(S("Version "))) << version.toStdString();
    EXPECT_TRUE(iconShown);

    vqtest::FakeShellOpener shell;
    TAboutBox box;
    box.HyperLink1->setText(S("help@example.org"));
    for (const char* kind : {"Support:", "Homepage:", "Other:"}) {
        box.HyperType->setText(S(kind));
        box.HyperLink1Click();
    }
    EXPECT_EQ(shell.Documents, (QStringList{S("mailto:help@example.org"), S("help@example.org")}));
}

TEST_F(SmallDialogTest, OptionsOkWritesTheExportSettingCancelLeavesTheFile)
{
    QFile::remove(TQuenmarelSettings::ConfigFileName());
    TQuenmarelSettings::UseLobValueAsName = false;
    AnswerOptions(true, "btnOKBtn");
    EXPECT_EQ(TQuenmarelOptionDlg().exec(), QDialog::Accepted);
    EXPECT_TRUE(TQuenmarelSettings::UseLobValueAsName);
    EXPECT_TRUE(ReadConfig().contains("[Export]")) << ReadConfig().constData();
    EXPECT_TRUE(ReadConfig().contains("UseLobValueAsName=1"));

    const QByteArray before = ReadConfig();
    AnswerOptions(false, "btnCancelBtn");
    EXPECT_EQ(TQuenmarelOptionDlg().exec(), QDialog::Rejected);
    EXPECT_EQ(ReadConfig(), before);
    EXPECT_TRUE(TQuenmarelSettings::UseLobValueAsName);

    AnswerOptions(false, "btnOKBtn");
    TQuenmarelOptionDlg().exec();
    EXPECT_TRUE(ReadConfig().contains("UseLobValueAsName=0"));
    EXPECT_FALSE(TQuenmarelSettings::UseLobValueAsName);
}

TEST_F(SmallDialogTest, OptionsThatCannotBeSavedGiveTheError)
{
    const QString config = TQuenmarelSettings::ConfigFileName();
    QFile::remove(config);
    ASSERT_TRUE(QDir().mkpath(config)) << "a folder where the file belongs";
    QStringList handled;
    SetAppExceptionHandler([&](const std::exception& e) { handled << ExceptionMessage(e); });
    bool keptOpen = false;
    wstest::WhenModal([&] {
        QWidget* dialog = QApplication::activeModalWidget();
        dialog->findChild<QPushButton*>(S("btnOKBtn"))->click();
        keptOpen = dialog->isVisible();
        dialog->findChild<QPushButton*>(S("btnCancelBtn"))->click();
    });
    TQuenmarelOptionDlg().exec();
    SetAppExceptionHandler(nullptr);
    QDir(config).removeRecursively();
    EXPECT_EQ(handled.size(), 1);
    EXPECT_TRUE(keptOpen);
}

TEST_F(SmallDialogTest, LogWindowKeepsItsSnapshot)
{
    TDebugHelper::Init();
    TLog::GetLogger()->Info(S("before the window"));
    TLogViewerForm form;
    form.LoadLog();
    TLog::GetLogger()->Info(S("after the window"));
    const QString shown = form.findChild<QPlainTextEdit*>(S("memLog"))->toPlainText();
    EXPECT_TRUE(shown.contains(S("before the window")));
    EXPECT_FALSE(shown.contains(S("after the window")));
    EXPECT_EQ(form.windowTitle(), S("Log"));
    TDebugHelper::Done();
}
