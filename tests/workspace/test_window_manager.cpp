// The window manager and its tab strip over a real MDI area: tabs follow
// their windows as they open, close and are renamed; a form that cannot be
// made opens nothing; the Window menu lists the children.
#include "support/VqFakePrompter.h"
#include "support/VqWidgetTestSupport.h"
#include "workspace/UMDIChildArea.h"
#include "workspace/UMDIPager.h"
#include "workspace/UQuenmarelFormManager.h"
#include "workspace/UTabRenameDlg.h"
#include "workspace/UWindowMenu.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace {

// The small form class of these tests: a window whose own caption differs
// from its tab caption.
class TProbeForm : public QWidget {
public:
    TProbeForm() { setWindowTitle(QStringLiteral("Probe window")); }
};

class WindowManagerTest : public vqtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        host = std::make_unique<QWidget>();
        area = new TMDIChildArea(host.get());
        host->resize(800, 600);
        area->resize(800, 600);
        manager = std::make_unique<TQuenmarelFormManager>(host.get(), area->mdiArea, area->pgcChild);
        host->show();
    }

    QWidget* Open(const QString& caption)
    {
        QWidget* form = nullptr;
        EXPECT_TRUE(manager->NewWindow(FormClassOf<TProbeForm>(), form, caption));
        if (form)
            form->show();
        return form;
    }

    QStringList Tabs() const
    {
        QStringList tabs;
        for (int i = 0; i < area->pgcChild->count(); ++i)
            tabs << area->pgcChild->tabText(i);
        return tabs;
    }

    QString ActiveTab() const { return area->pgcChild->tabText(area->pgcChild->currentIndex()); }

    // Windows still in the area once the closed ones are gone.
    int WindowCount() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return int(area->mdiArea->subWindowList().size());
    }

    TMDIPager& Pager() const { return *manager->Pager(); }

    // The centre of a tab, where a right click lands on it.
    QPoint TabCentre(int index) const { return area->pgcChild->tabRect(index).center(); }

    // Runs the strip's Rename on a tab with the dialog answered: a typed
    // text and OK, or Cancel when text is empty.
    void Rename(int tab, std::optional<QString> text)
    {
        Pager().ContextPopup(TabCentre(tab));
        Pager().PopupMenu()->hide();
        TTabRenameDlg* dialog = Pager().RenameDialog();
        QTimer::singleShot(0, dialog, [dialog, text] {
            if (text) {
                dialog->edtNewName->setText(*text);
                dialog->OKBtn->click();
            } else {
                dialog->CancelBtn->click();
            }
        });
        Pager().RenameClick();
    }

    // Made once the application exists; the manager goes first.
    std::unique_ptr<QWidget> host;
    TMDIChildArea* area = nullptr;
    std::unique_ptr<TQuenmarelFormManager> manager;

    void TearDown() override
    {
        manager.reset();
        host.reset();
    }
};

TEST_F(WindowManagerTest, TabsFollowTheirWindowsAsTheyClose)
{
    struct Case {
        const char* name;
        int open;
        int close;   // the tab whose window closes
        QStringList tabsAfter;
        QString activeAfter;
    };
    const Case cases[] = {
        {"first of three: the last becomes active", 3, 0, {"B", "C"}, "C"},
        {"second of three: the first becomes active", 3, 1, {"A", "C"}, "A"},
        {"only tab: the strip hides", 1, 0, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList captions = {"A", "B", "C"};
        for (int i = 0; i < c.open; ++i)
            Open(captions[i]);
        EXPECT_TRUE(area->pgcChild->isVisible());
        EXPECT_EQ(ActiveTab(), captions[c.open - 1]);

        Pager().WindowOfTab(c.close)->close();

        EXPECT_EQ(Tabs(), c.tabsAfter);
        EXPECT_EQ(WindowCount(), c.open - 1);
        if (c.tabsAfter.isEmpty()) {
            EXPECT_FALSE(area->pgcChild->isVisible());
        } else {
            EXPECT_EQ(ActiveTab(), c.activeAfter);
            EXPECT_EQ(area->mdiArea->activeSubWindow(), Pager().WindowOfTab(area->pgcChild->currentIndex()));
        }
        manager->CloseAll();
        EXPECT_EQ(WindowCount(), 0);
        EXPECT_FALSE(area->pgcChild->isVisible());
    }

    // After the strip hid, the next window shows it again.
    Open(QStringLiteral("again"));
    EXPECT_TRUE(area->pgcChild->isVisible());
    EXPECT_EQ(Tabs(), QStringList{"again"});
}

TEST_F(WindowManagerTest, PopupCloseAndClicksAwayFromTabs)
{
    Open(QStringLiteral("A"));
    Open(QStringLiteral("B"));
    // A right click away from every tab: no popup, nothing changes.
    Pager().ContextPopup(QPoint(area->pgcChild->width() - 2, 2));
    EXPECT_FALSE(Pager().PopupMenu()->isVisible());
    EXPECT_EQ(ActiveTab(), QStringLiteral("B"));

    // On a tab: it becomes active and its window comes to the front.
    Pager().ContextPopup(TabCentre(0));
    EXPECT_EQ(ActiveTab(), QStringLiteral("A"));
    EXPECT_EQ(area->mdiArea->activeSubWindow(), Pager().WindowOfTab(0));
    Pager().PopupMenu()->hide();
    Pager().CloseClick();
    EXPECT_EQ(Tabs(), QStringList{"B"});
    EXPECT_EQ(WindowCount(), 1);
}

TEST_F(WindowManagerTest, RenameKeepsTheTypedNameInTabAndWindow)
{
    QWidget* form = Open(QStringLiteral("Query"));
    QMdiSubWindow* window = Pager().WindowOfTab(0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Probe window"));

    Rename(0, QStringLiteral("  x  "));
    EXPECT_EQ(Tabs(), QStringList{"  x  "});
    EXPECT_EQ(window->windowTitle(), QStringLiteral("  x  "));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("  x  "));
    EXPECT_EQ(Pager().RenameDialog()->lblCurrentName->text(), QStringLiteral("Query"));

    for (const std::optional<QString>& answer : {std::optional<QString>(QStringLiteral("   ")),
                                                 std::optional<QString>(QString()), std::optional<QString>()}) {
        Rename(0, answer);
        EXPECT_EQ(Tabs(), QStringList{"  x  "});
        EXPECT_EQ(window->windowTitle(), QStringLiteral("  x  "));
        EXPECT_EQ(Pager().RenameDialog()->lblCurrentName->text(), QStringLiteral("  x  "));
    }
}

TEST_F(WindowManagerTest, AFormThatCannotBeMadeOpensNothing)
{
    vqtest::FakePrompter prompter;
    QWidget* form = reinterpret_cast<QWidget*>(1);
    const TFormClass failing = []() -> QWidget* { throw std::runtime_error("no memory"); };

    EXPECT_FALSE(manager->NewWindow(failing, form, QStringLiteral("Query")));

    EXPECT_EQ(form, nullptr);
    ASSERT_EQ(prompter.Prompts.size(), 1);
    EXPECT_EQ(prompter.Prompts[0].text,
              QStringLiteral("Form create error, please send mail to support@corvanta.example!"));
    EXPECT_EQ(prompter.Prompts[0].title, QStringLiteral("System Error"));
    EXPECT_EQ(prompter.Prompts[0].kind, TPromptKind::Error);
    EXPECT_EQ(WindowCount(), 0);
    EXPECT_EQ(manager->PageCount(), 0);
    EXPECT_FALSE(area->pgcChild->isVisible());
    EXPECT_EQ(manager->NewWindow<TProbeForm>(QStringLiteral("ok")) != nullptr, true);
}

TEST_F(WindowManagerTest, AWindowWithoutTabLeavesTheStripAlone)
{
    Open(QStringLiteral("A"));
    auto* direct = new TProbeForm;
    QMdiSubWindow* window = area->mdiArea->addSubWindow(direct);
    window->setAttribute(Qt::WA_DeleteOnClose);
    direct->show();
    EXPECT_EQ(Tabs(), QStringList{"A"});

    window->close();
    EXPECT_EQ(Tabs(), QStringList{"A"});
    EXPECT_TRUE(area->pgcChild->isVisible());
    EXPECT_EQ(WindowCount(), 1);
}

TEST_F(WindowManagerTest, TheWindowMenuFollowsTheChildren)
{
    QMenu menu;
    TWindowMenu windowMenu(&menu, area);
    const QList<QAction*> actions = {windowMenu.WindowClose1,       windowMenu.WindowCascade1,
                                     windowMenu.WindowTileHorizontal1, windowMenu.WindowTileVertical1,
                                     windowMenu.WindowMinimizeAll1, windowMenu.WindowArrange1};
    const auto enabled = [&] {
        int count = 0;
        for (QAction* a : actions)
            count += a->isEnabled() ? 1 : 0;
        return count;
    };
    EXPECT_EQ(enabled(), 0);
    EXPECT_TRUE(windowMenu.ChildEntries().isEmpty());

    QWidget* first = Open(QStringLiteral("A"));
    first->setWindowTitle(QStringLiteral("Edit a&b"));
    Open(QStringLiteral("B"));
    windowMenu.Update();
    EXPECT_EQ(enabled(), 6);
    EXPECT_EQ(windowMenu.ChildEntries(), (QStringList{"&1 Edit a&&b", "&2 Probe window"}));

    windowMenu.WindowTileVertical1->trigger();
    const QList<QMdiSubWindow*> windows = area->mdiArea->subWindowList(QMdiArea::CreationOrder);
    EXPECT_EQ(windows[0]->geometry().top(), windows[1]->geometry().top());
    EXPECT_LT(windows[0]->geometry().right(), windows[1]->geometry().left());
    windowMenu.WindowTileHorizontal1->trigger();
    EXPECT_EQ(windows[0]->geometry().left(), windows[1]->geometry().left());
    EXPECT_LT(windows[0]->geometry().bottom(), windows[1]->geometry().top());

    windowMenu.WindowClose1->trigger();
    windowMenu.Update();
    EXPECT_EQ(windowMenu.ChildEntries(), QStringList{"&1 Edit a&&b"});
    EXPECT_EQ(Tabs(), QStringList{"A"});

    manager->CloseAll();
    EXPECT_EQ(WindowCount(), 0);
    windowMenu.Update();
    EXPECT_EQ(enabled(), 0);
    EXPECT_TRUE(windowMenu.ChildEntries().isEmpty());
}

}  // namespace
