#include "support/VqWidgetTestSupport.h"

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

}  // namespace vqtest
