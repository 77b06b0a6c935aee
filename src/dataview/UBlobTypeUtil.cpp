#include "UBlobTypeUtil.h"

#include "platform/dac/UField.h"

#include <QBuffer>

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
    // Small values come whole; for large ones only the start is wanted, so
    // the value is streamed into a buffer that stops growing.
    if (field.DataSize() <= 4096)
        return field.AsBytes().left(size);
    QByteArray head;
    class THeadBuffer : public QIODevice {
    public:
        THeadBuffer(QByteArray& head, int size) : FHead(head), FSize(size) { open(WriteOnly); }

    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char* data, qint64 len) override
        {
            const qint64 room = FSize - FHead.size();
            if (room > 0)
                FHead.append(data, int(qMin(room, len)));
            return len;
        }

    private:
        QByteArray& FHead;
        int FSize;
    } device(head, size);
    field.WriteTo(device);
    return head;
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
