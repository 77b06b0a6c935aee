#include "UField.h"

#include "UUniDataSet.h"
#include "UUniError.h"
#include "base/UFileUtil.h"

#include <QFile>
#include <QIODevice>
#include <cstring>
#include <QRegularExpression>

namespace {

constexpr qint64 CopyChunk = 1 << 20;

void WriteAll(QIODevice& device, const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 written = device.write(data, size);
        if (written <= 0)
            throw EInOutError(device.errorString());
        data += written;
        size -= written;
    }
}

}  // namespace

TField::TField(TUniDataSet* dataSet, int index, const QString& name, TFieldType type, qint64 size)
    : FDataSet(dataSet), FIndex(index), FName(name), FDataType(type), FSize(size)
{
}

bool TField::IsNull() const
{
    return FDataSet->Cell(FIndex).Null;
}

qint64 TField::DataSize() const
{
    return FDataSet->Cell(FIndex).Length;
}

QByteArray TField::AsBytes() const
{
    const TUniCell cell = FDataSet->Cell(FIndex);
    if (cell.Null)
        return {};
    if (cell.Lazy) {
        QByteArray value(cell.Length, Qt::Uninitialized);
        FDataSet->ReadLazy(FIndex, 0, value.data(), cell.Length);
        return value;
    }
    return QByteArray(cell.Data, cell.Length);
}

QString TField::AsString() const
{
    const TUniCell cell = FDataSet->Cell(FIndex);
    if (cell.Null)
        return {};
    if (cell.Lazy) {
        const QByteArray bytes = AsBytes();
        return FDataSet->DecodeValue(FDataType, bytes.constData(), bytes.size());
    }
    return FDataSet->DecodeValue(FDataType, cell.Data, cell.Length);
}

qint64 TField::AsLargeInt() const
{
    const QString text = AsString().trimmed();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (ok)
        return value;
    const double number = text.toDouble(&ok);
    if (ok)
        return qint64(number);
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

int TField::AsInteger() const
{
    return int(AsLargeInt());
}

double TField::AsFloat() const
{
    const QString text = AsString().trimmed();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

bool TField::AsBoolean() const
{
    const QString text = AsString().trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value != 0;
}

QDateTime TField::AsDateTime() const
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(?:(\\d{4})-(\\d{2})-(\\d{2}))?[ T]?(?:(-?\\d{1,3}):(\\d{2}):(\\d{2})(?:\\.(\\d{1,6}))?)?$"));
    const QString text = AsString().trimmed();
    const QRegularExpressionMatch m = pattern.match(text);
    if (text.isEmpty() || !m.hasMatch())
        return {};
    QDate date(1899, 12, 30);
    if (!m.captured(1).isEmpty()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!date.isValid())
            return {};   // zero dates
    }
    QTime time(0, 0);
    if (!m.captured(4).isEmpty()) {
        const int msec = m.captured(7).leftJustified(3, QLatin1Char('0')).left(3).toInt();
        time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), msec);
        if (!time.isValid())
            return {};
    }
    return QDateTime(date, time);
}

void TField::WriteTo(QIODevice& device) const
{
    const TUniCell cell = FDataSet->Cell(FIndex);
    if (cell.Null || cell.Length == 0)
        return;
    if (!cell.Lazy) {
        WriteAll(device, cell.Data, cell.Length);
        return;
    }
    QByteArray chunk(std::min(CopyChunk, cell.Length), Qt::Uninitialized);
    for (qint64 offset = 0; offset < cell.Length;) {
        const qint64 got = FDataSet->ReadLazy(FIndex, offset, chunk.data(), chunk.size());
        if (got <= 0)
            throw EInOutError(QStringLiteral("The value of field '%1' could not be read").arg(FName));
        WriteAll(device, chunk.constData(), got);
        offset += got;
    }
}

void TField::SaveToFile(const QString& fileName) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw FileError("create", fileName, file.errorString());
    WriteTo(file);
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(file.errorString());
}

void TField::SetAsBytes(const QByteArray& value)
{
    FDataSet->SetCell(FIndex, value.isNull() ? QByteArray("") : value, false);
}

void TField::SetAsString(const QString& value)
{
    FDataSet->SetCell(FIndex, FDataSet->EncodeValue(FDataType, value), false);
}

void TField::Clear()
{
    FDataSet->SetCell(FIndex, {}, true);
}

void TField::LoadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError("open", fileName, file.errorString());
    LoadFromDevice(file);
}

void TField::LoadFromDevice(QIODevice& device)
{
    FDataSet->SetCellFrom(FIndex, device);
}

bool TField::CanModify() const
{
    return !FReadOnly && FDataSet->CanModify();
}

qint64 TField::WidthLimit() const
{
    return FDataSet->WidthLimit(FIndex);
}

namespace {

// Reads the value of one field of one kept row (or of the row being edited)
// in pieces; a unidirectional row is copied, since it is gone at the next move.
class TFieldReader : public QIODevice {
public:
    TFieldReader(const TUniDataSet* dataSet, int index, const TUniCell& cell)
        : FDataSet(dataSet), FIndex(index), FRow(dataSet->UniDirectional() ? -1 : dataSet->RecNo() - 1),
          FSize(cell.Length)
    {
        if (!cell.Lazy && cell.Data)
            FBytes = QByteArray(cell.Data, cell.Length);
        else if (cell.Lazy && dataSet->UniDirectional()) {
            FBytes = QByteArray(cell.Length, Qt::Uninitialized);
            dataSet->ReadLazy(index, 0, FBytes.data(), cell.Length);
        } else {
            FLazy = cell.Lazy;
        }
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return FSize; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 at = pos();
        if (at >= FSize)
            return 0;
        const qint64 size = std::min(maxSize, FSize - at);
        if (!FLazy) {
            std::memcpy(data, FBytes.constData() + at, size_t(size));
            return size;
        }
        return FDataSet->ReadRowLazy(FRow, FIndex, at, data, size);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const TUniDataSet* FDataSet;
    int FIndex;
    qint64 FRow;
    qint64 FSize;
    bool FLazy = false;
    QByteArray FBytes;
};

}  // namespace

std::unique_ptr<QIODevice> TField::CreateReader() const
{
    return std::make_unique<TFieldReader>(FDataSet, FIndex, FDataSet->Cell(FIndex));
}
