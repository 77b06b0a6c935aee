#include "UMDIChildArea.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QVBoxLayout>

TMDIChildArea::TMDIChildArea(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlChildArea"));
    pgcChild = new QTabBar(this);
    pgcChild->setObjectName(QStringLiteral("pgcChild"));
    pgcChild->setAccessibleName(QStringLiteral("Open windows"));
    pgcChild->setExpanding(false);
    pgcChild->setDocumentMode(true);
    pgcChild->hide();
    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName(QStringLiteral("mdiChild"));
    mdiArea->setAccessibleName(QStringLiteral("Child windows"));
    mdiArea->setViewMode(QMdiArea::SubWindowView);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pgcChild);
    layout->addWidget(mdiArea, 1);
}

QList<QMdiSubWindow*> TMDIChildArea::NormalWindows() const
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isHidden() && !window->isMinimized())
            windows << window;
    }
    return windows;
}

void TMDIChildArea::Cascade()
{
    mdiArea->cascadeSubWindows();
}

void TMDIChildArea::TileHorizontally()
{
    Tile(Qt::Vertical);
}

void TMDIChildArea::TileVertically()
{
    Tile(Qt::Horizontal);
}

void TMDIChildArea::Tile(Qt::Orientation direction)
{
    const QList<QMdiSubWindow*> windows = NormalWindows();
    if (windows.isEmpty())
        return;
    const QRect area = mdiArea->viewport()->rect();
    const int count = int(windows.size());
    for (int i = 0; i < count; ++i) {
        windows[i]->showNormal();
        if (direction == Qt::Vertical)
            windows[i]->setGeometry(0, i * (area.height() / count), area.width(), area.height() / count);
        else
            windows[i]->setGeometry(i * (area.width() / count), 0, area.width() / count, area.height());
    }
}

void TMDIChildArea::MinimizeAll()
{
    for (QMdiSubWindow* window : mdiArea->subWindowList(QMdiArea::CreationOrder))
        window->showMinimized();
}

void TMDIChildArea::Arrange()
{
    const QRect area = mdiArea->viewport()->rect();
    int x = 0;
    int y = area.height();
    for (QMdiSubWindow* window : mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized() || window->isHidden())
            continue;
        const QSize size = window->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        window->move(x, y - size.height());
        x += size.width();
    }
}
