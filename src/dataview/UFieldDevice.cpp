#include "UFieldDevice.h"

#include "platform/dac/UField.h"

TFieldDevice::TFieldDevice(const TField& field) : FReader(field.CreateReader())
{
    // Unbuffered: every read goes to the field's reader as asked.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

TFieldDevice::~TFieldDevice() = default;

qint64 TFieldDevice::size() const
{
    return FReader ? FReader->size() : 0;
}

bool TFieldDevice::seek(qint64 pos)
{
    return QIODevice::seek(pos) && (!FReader || FReader->seek(pos));
}

qint64 TFieldDevice::readData(char* data, qint64 maxSize)
{
    if (!FReader)
        return 0;
    if (FReader->pos() != pos() && !FReader->seek(pos()))
        return -1;
    const qint64 got = FReader->read(data, maxSize);
    if (got > 0)
        FBytesRead += got;
    return got;
}

qint64 TFieldDevice::writeData(const char*, qint64)
{
    return -1;
}
