#include "base/UException.h"
#include "widgets/UHyperLink.h"
#include "widgets/UUIUtil.h"
#include "widgets/UWidgetPrompter.h"
#include "widgets/htmlreader.h"
#include "support/VqFakePrompter.h"
#include "support/VqFakeShellOpener.h"

#include <QApplication>

#include "support/VqWidgetTestSupport.h"
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

using vqtest::Click;

namespace {
QApplication& App()
{
    return vqtest::WidgetApp();
}
}

TEST(UIUtil, FindComponentOrRaise)
{
    App();
    QDialog form;
    form.setObjectName(QStringLiteral("TLobExportForm"));
    auto* edit = new QLineEdit(new QWidget(&form));
    edit->setObjectName(QStringLiteral("edtExt"));

    EXPECT_EQ(FindComponentOrRaise(&form, QStringLiteral("edtExt")), edit);
    EXPECT_EQ(FindComponentOrRaise<QLineEdit>(&form, QStringLiteral("edtExt")), edit);
    try {
        FindComponentOrRaise(&form, QStringLiteral("cbbRecentDatabases"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Can not find 'cbbRecentDatabases' in 'TLobExportForm'"));
    }
    EXPECT_THROW(FindComponentOrRaise<QComboBox>(&form, QStringLiteral("edtExt")), Exception);
}

TEST(UIUtil, SelectComboItemAndFocus)
{
    App();
    QComboBox combo;
    combo.addItems({QStringLiteral("id"), QStringLiteral("Data"), QStringLiteral("name")});
    combo.setCurrentIndex(0);
    SelectComboItem(&combo, QStringLiteral("data"));
    EXPECT_EQ(combo.currentIndex(), 1);
    SelectComboItem(&combo, QStringLiteral("dat"));   // no prefix match
    EXPECT_EQ(combo.currentIndex(), 1);

    QWidget form;
    auto* first = new QLineEdit(&form);
    auto* hidden = new QLineEdit(&form);
    auto* disabled = new QLineEdit(&form);
    hidden->hide();
    disabled->setEnabled(false);
    form.show();
    form.activateWindow();
    FocusControlSafely(first);
    FocusControlSafely(hidden);
    FocusControlSafely(disabled);
    FocusControlSafely(nullptr);
    EXPECT_EQ(form.focusWidget(), first);
}

TEST(HtmlReader, LoadHtmlPrefixesAndClearEmpties)
{
    App();
    QTextBrowser browser;
    LoadHTML(&browser, QStringLiteral("  <b>bold</b>\n"));
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("bold"));
    LoadHTML(&browser, QStringLiteral("<HTML><body>x</body></HTML>"));   // case counts: prefixed, still shown
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("x"));
    ClearBrowser(&browser);
    EXPECT_EQ(browser.toPlainText(), QString());
    LoadHTML(nullptr, QStringLiteral("x"));
}

TEST(HyperLink, ClickOpensTheUrlAndFailureShowsTheShellText)
{
    App();
    vqtest::FakePrompter prompter;
    vqtest::FakeShellOpener opener;
    THyperLink link;
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.font().pointSize(), 8);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));

    link.resize(50, 20);
    Click(&link);   // no URL: nothing
    EXPECT_TRUE(opener.Documents.isEmpty());

    link.URL = QStringLiteral("https://example.org");
    Click(&link);
    EXPECT_EQ(opener.Documents, QStringList {link.URL});
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(128, 0, 128));
    EXPECT_TRUE(prompter.Prompts.isEmpty());

    opener.Succeeds = false;
    EXPECT_EQ(link.OpenURL(QStringLiteral("mailto:x@example.org")), 31);
    EXPECT_EQ(prompter.Messages(),
              QStringList {QStringLiteral("There is no application associated with the given filename extension.")});

    bool own = false;
    link.SetOnClick([&] { own = true; });
    const qsizetype opened = opener.Documents.size();
    Click(&link);
    EXPECT_TRUE(own);
    EXPECT_EQ(opener.Documents.size(), opened);   // the form's handler replaces the built-in one
}

TEST(HyperLink, ShellErrorTexts)
{
    EXPECT_EQ(ShellErrorText(2), QStringLiteral("The specified file was not found."));
    EXPECT_EQ(ShellErrorText(7), QStringLiteral("Unknownrror in ShellExecte."));
    EXPECT_EQ(ShellErrorText(33), QString());
}

TEST(WidgetPrompter, ButtonsMapToAnswers)
{
    App();
    TWidgetPrompter prompter;
    const struct {
        TPromptButtons buttons;
        QMessageBox::StandardButton click;   // NoButton: the box is closed with Escape
        TPromptAnswer answer;
    } cases[] = {
        {pbYes | pbNo | pbCancel, QMessageBox::No, TPromptAnswer::No},
        {pbYes | pbNo | pbCancel, QMessageBox::NoButton, TPromptAnswer::Cancel},
        {pbYes | pbNo, QMessageBox::Yes, TPromptAnswer::Yes},
        {pbOK | pbCancel, QMessageBox::Ok, TPromptAnswer::OK},
        {pbOK, QMessageBox::NoButton, TPromptAnswer::OK},
    };
    for (const auto& c : cases) {
        // Answered from the box's own event loop, as a user would.
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            if (c.click == QMessageBox::NoButton)
            {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box, &escape);
            }
            else
                box->button(c.click)->click();
        });
        EXPECT_EQ(prompter.Ask(QStringLiteral("Save Changes?"), c.buttons, TPromptKind::Question, QStringLiteral("Save")),
                  c.answer);
    }
}
