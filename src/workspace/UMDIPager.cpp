#include "UMDIPager.h"

#include "UTabRenameDlg.h"
#include "base/UAppException.h"
#include "base/UMakerSite.h"
#include "base/UPrompter.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabBar>

namespace {
// The id a tab (as its data) and its child window (as this property) share.
const char* const windowIdProperty = "vqWindowId";

int IdOf(const QMdiSubWindow* window)
{
    return window ? window->property(windowIdProperty).toInt() : 0;
}
}  // namespace

TMDIPager::TMDIPager(QWidget* ownerForm, QMdiArea* mdiArea, QTabBar* pageControl)
    : FOwnerForm(ownerForm), FMdiArea(mdiArea), FPageControl(pageControl)
{
    connect(FPageControl, &QTabBar::currentChanged, this, Guarded([this](int) { PageChange(); }));
    FPageControl->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FPageControl, &QWidget::customContextMenuRequested, this,
            Guarded([this](const QPoint& pos) { ContextPopup(pos); }));
    connect(FMdiArea, &QMdiArea::subWindowActivated, this,
            Guarded([this](QMdiSubWindow* window) { FollowActiveWindow(window); }));

    FPopupMenu = new QMenu(FOwnerForm);
    FPopupMenu->setObjectName(QStringLiteral("pmPager"));
    FCloseItem = FPopupMenu->addAction(QStringLiteral("Close"));
    FCloseItem->setObjectName(QStringLiteral("pmiPagerClose"));
    connect(FCloseItem, &QAction::triggered, this, Guarded([this](bool) { CloseClick(); }));
    FRenameItem = FPopupMenu->addAction(QStringLiteral("Rename"));
    FRenameItem->setObjectName(QStringLiteral("pmiPagerRename"));
    connect(FRenameItem, &QAction::triggered, this, Guarded([this](bool) { RenameClick(); }));
    FRenameDlg = std::make_unique<TTabRenameDlg>();
}

TMDIPager::~TMDIPager() = default;

bool TMDIPager::AddForm(const TFormClass& formClass, QWidget*& form, const QString& caption)
{
    form = nullptr;
    QWidget* created = nullptr;
    try {
        created = formClass();
        QMdiSubWindow* window = FMdiArea->addSubWindow(created);
        window->setAttribute(Qt::WA_DeleteOnClose);
        const int id = ++FLastId;
        window->setProperty(windowIdProperty, id);
        window->setWindowState(Qt::WindowMaximized);
        window->installEventFilter(this);

        const int tab = FPageControl->addTab(caption);
        FPageControl->setTabData(tab, id);
        FPageControl->setCurrentIndex(tab);
        if (FPageControl->isHidden())
            FPageControl->show();
        form = created;
        return true;
    } catch (const std::exception&) {
        delete created;
        TPrompter::Instance().Ask(QStringLiteral("Form create error, please send mail to ") + MakerSupportEmail()
                                      + QLatin1Char('!'),
                                  pbOK, TPromptKind::Error, QStringLiteral("System Error"));
        return false;
    }
}

void TMDIPager::SetActivePage(int index)
{
    FPageControl->setCurrentIndex(index);
    PageChange();
}

void TMDIPager::CloseAll()
{
    const QList<QMdiSubWindow*> windows = FMdiArea->subWindowList(QMdiArea::CreationOrder);
    for (qsizetype i = windows.size() - 1; i >= 0; --i)
        windows[i]->close();
}

int TMDIPager::PageCount() const
{
    return FPageControl->count();
}

void TMDIPager::PageChange()
{
    const int index = FPageControl->currentIndex();
    if (QMdiSubWindow* window = index >= 0 ? WindowOfTab(index) : nullptr) {
        FMdiArea->setActiveSubWindow(window);
        window->raise();
    }
}

void TMDIPager::ContextPopup(const QPoint& pos)
{
    const int index = FPageControl->tabAt(pos);
    if (index < 0)
        return;
    FClickedTab = index;
    FPageControl->setCurrentIndex(index);
    PageChange();
    FPopupMenu->popup(FPageControl->mapToGlobal(pos));
}

void TMDIPager::CloseClick()
{
    if (QMdiSubWindow* window = WindowOfTab(FClickedTab))
        window->close();
}

void TMDIPager::RenameClick()
{
    if (FClickedTab < 0 || FClickedTab >= FPageControl->count())
        return;
    const int id = FPageControl->tabData(FClickedTab).toInt();
    if (!FRenameDlg->Execute(FPageControl->tabText(FClickedTab)))
        return;
    const QString name = FRenameDlg->NewName();
    if (name.trimmed().isEmpty())
        return;
    // The dialog ran modally: find the tab again by its id.
    for (int tab = 0; tab < FPageControl->count(); ++tab) {
        if (FPageControl->tabData(tab).toInt() == id) {
            FPageControl->setTabText(tab, name);
            if (QMdiSubWindow* window = WindowOfId(id)) {
                window->setWindowTitle(name);
                if (window->widget())
                    window->widget()->setWindowTitle(name);
            }
            return;
        }
    }
}

QMdiSubWindow* TMDIPager::WindowOfTab(int index) const
{
    if (index < 0 || index >= FPageControl->count())
        return nullptr;
    return WindowOfId(FPageControl->tabData(index).toInt());
}

QMdiSubWindow* TMDIPager::WindowOfId(int id) const
{
    if (id <= 0)
        return nullptr;
    for (QMdiSubWindow* window : FMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (IdOf(window) == id)
            return window;
    }
    return nullptr;
}

int TMDIPager::TabOfWindow(const QMdiSubWindow* window) const
{
    const int id = IdOf(window);
    for (int tab = 0; id > 0 && tab < FPageControl->count(); ++tab) {
        if (FPageControl->tabData(tab).toInt() == id)
            return tab;
    }
    return -1;
}

bool TMDIPager::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(watched)) {
            // The pager's close replaces the window's own: no question, the
            // window goes.
            GuardedCall([&] { ChildClose(window); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TMDIPager::ChildClose(QMdiSubWindow* window)
{
    const int tab = TabOfWindow(window);
    if (tab >= 0) {
        {
            const QSignalBlocker quiet(FPageControl);
            FPageControl->removeTab(tab);
        }
        if (FPageControl->count() > 0) {
            const int next = tab == 0 ? FPageControl->count() - 1 : tab - 1;
            const QSignalBlocker quiet(FPageControl);
            FPageControl->setCurrentIndex(next);
        }
    }
    window->removeEventFilter(this);
    window->hide();
    FMdiArea->removeSubWindow(window);
    window->deleteLater();
    if (FPageControl->count() > 0)
        PageChange();
    else
        FPageControl->hide();
}

void TMDIPager::FollowActiveWindow(QMdiSubWindow* window)
{
    const int tab = TabOfWindow(window);
    if (tab >= 0 && tab != FPageControl->currentIndex()) {
        const QSignalBlocker quiet(FPageControl);
        FPageControl->setCurrentIndex(tab);
    }
}
