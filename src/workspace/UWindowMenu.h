#pragma once

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QMdiSubWindow;
class TMDIChildArea;

// The Window menu: the six window actions, which are enabled while child
// windows exist, and below them one entry per child window (the active one
// checked) that brings it to the front.
class TWindowMenu : public QObject {
    Q_OBJECT
public:
    TWindowMenu(QMenu* menu, TMDIChildArea* area);

    QAction* WindowClose1;
    QAction* WindowCascade1;
    QAction* WindowTileHorizontal1;
    QAction* WindowTileVertical1;
    QAction* WindowMinimizeAll1;
    QAction* WindowArrange1;

    // Enables the actions and lists the child windows as they are now; runs
    // whenever the menu opens and the active child changes.
    void Update();
    // The texts of the child-window entries, as listed by the last Update.
    QStringList ChildEntries() const;

private:
    QAction* AddWindowAction(const char* name, const QString& caption, const QString& hint);

    QMenu* FMenu;
    TMDIChildArea* FArea;
    QList<QAction*> FChildEntries;
};
