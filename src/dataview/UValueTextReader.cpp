#include "UValueTextReader.h"

#include "base/UException.h"
#include "base/UTextCodec.h"
#include "platform/dac/UField.h"

#include <QStringDecoder>

namespace {

// The bytes of a UTF-8 text that end on a whole character.
qsizetype WholeUtf8(const QByteArray& bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 4 && back <= size; ++back) {
        const auto b = static_cast<unsigned char>(bytes[size - back]);
        if ((b & 0xC0) == 0x80)
            continue;   // inside a character
        const int length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        return length > back ? size - back : size;
    }
    return size;
}

// The bytes of a UTF-16 text that end on a whole character: never between
// the two halves of a surrogate pair.
qsizetype WholeUtf16(const QByteArray& bytes, bool bigEndian)
{
    qsizetype whole = bytes.size() & ~qsizetype(1);
    if (whole >= 2) {
        const auto high = static_cast<unsigned char>(bytes[whole - (bigEndian ? 2 : 1)]);
        if ((high & 0xFC) == 0xD8)
            whole -= 2;   // a first half: it waits for its second
    }
    return whole;
}

qsizetype WholeCharacters(const QByteArray& bytes, TTextEncoding encoding)
{
    switch (encoding) {
    case TTextEncoding::Utf8:
    case TTextEncoding::Utf8Bom:
        return WholeUtf8(bytes);
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE:
        return WholeUtf16(bytes, encoding == TTextEncoding::Utf16BE);
    case TTextEncoding::Windows1252:
        break;
    }
    return bytes.size();
}

// A piece after the first: a mark there is a character of the text.
QString DecodeLater(const QByteArray& bytes, TTextEncoding encoding)
{
    const auto flags = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    switch (encoding) {
    case TTextEncoding::Utf8:
    case TTextEncoding::Utf8Bom:
        return QStringDecoder(QStringDecoder::Utf8, flags).decode(bytes);
    case TTextEncoding::Utf16LE:
        return QStringDecoder(QStringDecoder::Utf16LE, flags).decode(bytes);
    case TTextEncoding::Utf16BE:
        return QStringDecoder(QStringDecoder::Utf16BE, flags).decode(bytes);
    case TTextEncoding::Windows1252:
        break;
    }
    return DecodeText(bytes, encoding);
}

constexpr qint64 SmallestPiece = 4;   // a whole character and a whole mark

}  // namespace

TValueTextReader::TValueTextReader(std::unique_ptr<QIODevice> value, bool isNull, TFieldType type)
    : FValue(std::move(value))
{
    if (isNull || !FValue)
        FValue.reset();
    FSize = FValue ? FValue->size() : 0;
    FAtEnd = FSize == 0;
    switch (TValueText::KindOf(type)) {
    case TValueTextKind::Wide:
        FResult.FEncoding = TTextEncoding::Utf8;
        break;
    case TValueTextKind::Narrow:
        FResult.FEncoding = TTextEncoding::Windows1252;
        break;
    case TValueTextKind::Bytes:
        if (FAtEnd) {
            FResult.FEncoding = TTextEncoding::Utf8;
            break;
        }
        FResult.FEncoding = DetectTextEncoding(FValue->peek(3));
        if (FResult.FEncoding == TTextEncoding::Utf8 && !IsUtf8(FValue))
            FResult.FEncoding = TTextEncoding::Windows1252;
        break;
    }
}

TValueTextReader::TValueTextReader(const TField& field)
    : TValueTextReader(field.IsNull() ? nullptr : field.CreateReader(), field.IsNull(), field.DataType())
{
}

bool TValueTextReader::IsUtf8(std::unique_ptr<QIODevice>& value)
{
    QByteArray held;
    bool valid = true;
    while (valid) {
        QByteArray bytes = held + value->read(PieceSize);
        if (bytes.size() == held.size())
            break;
        const qsizetype whole = WholeUtf8(bytes);
        held = bytes.mid(whole);
        bytes.truncate(whole);
        valid = InvalidUtf8Offset(bytes) < 0;
    }
    valid = valid && held.isEmpty();
    value->seek(0);
    return valid;
}

QByteArray TValueTextReader::NextBytes(qint64 size)
{
    const QByteArray read = FValue->read(std::max(size, SmallestPiece));
    QByteArray bytes = FHeldBytes + read;
    FHeldBytes.clear();
    FRead += read.size();
    // A value cut short would be shown, and could be saved, as if whole.
    if (read.isEmpty() && FRead < FSize)
        throw EInOutError(QStringLiteral("The value could not be read whole."));
    if (FRead >= FSize) {
        // What is left of a cut character goes out as it is.
        FAtEnd = true;
        return bytes;
    }
    const qsizetype whole = WholeCharacters(bytes, FResult.FEncoding);
    FHeldBytes = bytes.mid(whole);
    bytes.truncate(whole);
    return bytes;
}

QString TValueTextReader::Next(qint64 size)
{
    if (FAtEnd)
        return {};
    const QByteArray bytes = NextBytes(size);
    QString text = FFirst ? DecodeText(bytes, FResult.FEncoding) : DecodeLater(bytes, FResult.FEncoding);
    FFirst = false;
    if (FHeldCr) {
        text.prepend(QLatin1Char('\r'));
        FHeldCr = false;
    }
    if (!FAtEnd && text.endsWith(QLatin1Char('\r'))) {
        text.chop(1);
        FHeldCr = true;
    }
    Count(text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

void TValueTextReader::Count(const QString& text)
{
    FCrLf += text.count(QStringLiteral("\r\n"));
    FCr += text.count(QLatin1Char('\r'));
    FLf += text.count(QLatin1Char('\n'));
    FNul = FNul || text.contains(QChar(0));
    FSeparators = FSeparators || text.contains(QChar(0x2028)) || text.contains(QChar(0x2029));
}

TValueText TValueTextReader::Result() const
{
    TValueText result = FResult;
    result.FLineEnd = FCrLf > 0 ? QStringLiteral("\r\n") : QStringLiteral("\n");
    if (FNul)
        result.FNote = QStringLiteral("Read-only: the value holds NUL characters.");
    else if (FCr != FCrLf || (FCrLf > 0 && FLf != FCrLf))
        result.FNote = QStringLiteral("Read-only: the value mixes line ends.");
    else if (FSeparators)
        result.FNote = QStringLiteral("Read-only: the value holds Unicode line separators.");
    return result;
}
