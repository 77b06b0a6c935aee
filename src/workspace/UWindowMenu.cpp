#include "UWindowMenu.h"

#include "UMDIChildArea.h"
#include "base/UAppException.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

TWindowMenu::TWindowMenu(QMenu* menu, TMDIChildArea* area) : QObject(menu), FMenu(menu), FArea(area)
{
    WindowClose1 = AddWindowAction("WindowClose1", QStringLiteral("C&lose"), QStringLiteral("Close"));
    WindowCascade1 = AddWindowAction("WindowCascade1", QStringLiteral("&Cascade"), QStringLiteral("Cascade"));
    WindowTileHorizontal1 = AddWindowAction("WindowTileHorizontal1", QStringLiteral("Tile &Horizontally"),
                                            QStringLiteral("Tile Horizontal"));
    WindowTileVertical1 =
        AddWindowAction("WindowTileVertical1", QStringLiteral("&Tile Vertically"), QStringLiteral("Tile Vertical"));
    WindowMinimizeAll1 =
        AddWindowAction("WindowMinimizeAll1", QStringLiteral("&Minimize All"), QStringLiteral("Minimize All"));
    WindowArrange1 = AddWindowAction("WindowArrange1", QStringLiteral("&Arrange"), QString());

    QMdiArea* mdi = FArea->mdiArea;
    connect(WindowClose1, &QAction::triggered, mdi, Guarded([mdi](bool) { mdi->closeActiveSubWindow(); }));
    connect(WindowCascade1, &QAction::triggered, FArea, Guarded([this](bool) { FArea->Cascade(); }));
    connect(WindowTileHorizontal1, &QAction::triggered, FArea, Guarded([this](bool) { FArea->TileHorizontally(); }));
    connect(WindowTileVertical1, &QAction::triggered, FArea, Guarded([this](bool) { FArea->TileVertically(); }));
    connect(WindowMinimizeAll1, &QAction::triggered, FArea, Guarded([this](bool) { FArea->MinimizeAll(); }));
    connect(WindowArrange1, &QAction::triggered, FArea, Guarded([this](bool) { FArea->Arrange(); }));
    connect(FMenu, &QMenu::aboutToShow, this, Guarded([this] { Update(); }));
    connect(mdi, &QMdiArea::subWindowActivated, this, Guarded([this](QMdiSubWindow*) { Update(); }));
    FMenu->addSeparator();
    Update();
}

QAction* TWindowMenu::AddWindowAction(const char* name, const QString& caption, const QString& hint)
{
    QAction* action = FMenu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint.isEmpty() ? QString(caption).remove(QLatin1Char('&')) : hint);
    action->setStatusTip(hint);
    return action;
}

void TWindowMenu::Update()
{
    const QList<QMdiSubWindow*> windows = FArea->mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QAction* action : {WindowClose1, WindowCascade1, WindowTileHorizontal1, WindowTileVertical1,
                            WindowMinimizeAll1, WindowArrange1})
        action->setEnabled(!windows.isEmpty());

    // An entry may be the one being triggered: it goes once its signal returns.
    for (QAction* entry : std::as_const(FChildEntries)) {
        FMenu->removeAction(entry);
        entry->deleteLater();
    }
    FChildEntries.clear();
    QMdiSubWindow* active = FArea->mdiArea->activeSubWindow();
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        ++number;
        QString title = window->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const QString text =
            number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title) : QStringLiteral("%1 %2").arg(number).arg(title);
        QAction* entry = FMenu->addAction(text);
        entry->setCheckable(true);
        entry->setChecked(window == active);
        QPointer<QMdiSubWindow> target(window);
        QMdiArea* mdi = FArea->mdiArea;
        connect(entry, &QAction::triggered, this, Guarded([mdi, target](bool) {
                    if (target) {
                        if (target->isMinimized())
                            target->showNormal();
                        mdi->setActiveSubWindow(target);
                    }
                }));
        FChildEntries << entry;
    }
}

QStringList TWindowMenu::ChildEntries() const
{
    QStringList texts;
    for (const QAction* entry : FChildEntries)
        texts << entry->text();
    return texts;
}
