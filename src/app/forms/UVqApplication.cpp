#include "UVqApplication.h"

#include "base/UAppException.h"

TVqApplication::TVqApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool TVqApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        HandleAppException(e);
    } catch (...) {
        HandleAppException(Exception(QStringLiteral("Unknown exception")));
    }
    return false;
}
