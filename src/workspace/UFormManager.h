#pragma once

#include <QString>
#include <QWidget>
#include <functional>

// A form class: makes a new window widget without parent. A maker that throws
// means the window cannot be created.
using TFormClass = std::function<QWidget*()>;

template <class T>
TFormClass FormClassOf()
{
    return [] { return new T(); };
}

// The window manager as the main window sees it: the tabs of its child
// windows, and the files it knows how to open.
class TFormManager {
public:
    virtual ~TFormManager() = default;

    // Opens a file of a kind this manager knows; any other does nothing.
    virtual void OpenFile(const QString& fileName) { Q_UNUSED(fileName); }

    virtual void SetActivePage(int index) = 0;
    virtual int PageCount() const = 0;
    // Closes every child window, the last one first.
    virtual void CloseAll() = 0;
};
