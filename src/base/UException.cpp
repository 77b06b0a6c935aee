#include "UException.h"

Exception::Exception(const QString& message)
    : FMessage(message), FWhat(message.toStdString())
{
}

QString ExceptionMessage(const std::exception& e)
{
    if (auto* own = dynamic_cast<const Exception*>(&e))
        return own->Message();
    return QString::fromUtf8(e.what());
}
