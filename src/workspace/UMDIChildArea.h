#pragma once

#include <QWidget>

class QMdiArea;
class QMdiSubWindow;
class QTabBar;

// The right side of the main window: the tab strip pgcChild (hidden while
// empty) over the MDI area that holds the child windows, with the ways of
// laying the windows out that the Window menu offers.
class TMDIChildArea : public QWidget {
    Q_OBJECT
public:
    explicit TMDIChildArea(QWidget* parent = nullptr);

    QTabBar* pgcChild;
    QMdiArea* mdiArea;

    // Windows that are neither minimised nor hidden, in creation order.
    QList<QMdiSubWindow*> NormalWindows() const;

    void Cascade();
    // One band per window, stacked from top to bottom.
    void TileHorizontally();
    // One column per window, side by side.
    void TileVertically();
    void MinimizeAll();
    // The minimised windows in a row along the bottom edge.
    void Arrange();

private:
    // The normal windows one after another in direction, each the same size.
    void Tile(Qt::Orientation direction);
};
