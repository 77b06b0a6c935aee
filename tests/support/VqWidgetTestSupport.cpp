#include "support/VqWidgetTestSupport.h"

#include <QMouseEvent>
#include <QWidget>

namespace vqtest {

QApplication& WidgetApp()
{
    static int argc = 1;
    static char name[] = "vq-widget-test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: a QApplication torn down among the static destructors
    // after main crashes.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void Click(QWidget* widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

}  // namespace vqtest
