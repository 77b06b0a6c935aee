#include "UStreamUtil.h"

#include "base/UException.h"

#include <QBuffer>

namespace UStreamUtil {
namespace {

void RequireStream(const QBuffer* stream)
{
    // A missing buffer is a fault of the caller, not of the value.
    if (!stream)
        throw Exception(QStringLiteral("Assertion failed: no stream given (UStreamUtil)"));
}

void OpenForUse(QBuffer* stream)
{
    if (!stream->isOpen())
        stream->open(QIODevice::ReadWrite);
}

}  // namespace

QVariant StreamToVariant(QBuffer* stream)
{
    RequireStream(stream);
    if (stream->buffer().isEmpty())
        return QVariant();
    return QVariant(stream->buffer());
}

void VariantToStream(const QVariant& value, QBuffer* stream)
{
    RequireStream(stream);
    OpenForUse(stream);
    if (value.isNull() || !value.isValid()) {
        stream->buffer().clear();
    } else {
        stream->buffer() = value.toByteArray();
    }
    stream->seek(0);
}

}  // namespace UStreamUtil
