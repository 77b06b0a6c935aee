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
// windows. Opening task files waits for the transfer dialogs.
class TFormManager {
public:
    virtual ~TFormManager() = default;

    virtual void SetActivePage(int index) = 0;
    virtual int PageCount() const = 0;
    // Closes every child window, the last one first.
    virtual void CloseAll() = 0;
};
