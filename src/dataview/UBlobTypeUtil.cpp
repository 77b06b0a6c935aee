#include "UBlobTypeUtil.h"

#include "platform/dac/UField.h"

#include <QIODevice>
#include <memory>

namespace UBlobTypeUtil {

bool IsRtf(const QByteArray& head, bool isNull)
{
    return !isNull && head.left(HeadSize).contains("rtf");
}

bool IsPdf(const QByteArray& head, bool isNull)
{
    return !isNull && head.startsWith("%PDF");
}

QByteArray Head(const TField& field, int size)
{
    if (field.IsNull())
        return {};
    // Only the start is read, however large the value.
    const std::unique_ptr<QIODevice> reader = field.CreateReader();
    return reader ? reader->read(size) : QByteArray();
}

bool IsRtf(const TField& field)
{
    return !field.IsNull() && IsRtf(Head(field), false);
}

bool IsPdf(const TField& field)
{
    return !field.IsNull() && IsPdf(Head(field, 4), false);
}

}  // namespace UBlobTypeUtil
