#include "UTextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// 0x80-0x9F of Windows-1252. The five bytes the code page leaves undefined
// map to the C1 controls of the same value, so that they survive a round trip.
const char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool StartsWith(const QByteArray& bytes, const char* mark)
{
    return bytes.startsWith(QByteArray(mark));
}

}  // namespace

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
qsizetype InvalidUtf8Offset(const QByteArray& bytes)
{
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* p = begin;
    const auto* end = p + bytes.size();
    while (p < end) {
        const auto* at = p;
        const unsigned char b = *p++;
        if (b < 0x80)
            continue;
        int more;
        unsigned min;
        unsigned code;
        if ((b & 0xE0) == 0xC0) {
            more = 1, min = 0x80, code = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            more = 2, min = 0x800, code = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            more = 3, min = 0x10000, code = b & 0x07;
        } else {
            return at - begin;
        }
        if (end - p < more)
            return at - begin;
        for (int i = 0; i < more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return at - begin;
            code = code << 6 | (p[i] & 0x3F);
        }
        p += more;
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return at - begin;
    }
    return -1;
}

namespace {

QString DecodeWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

QByteArray EncodeWindows1252(const QString& text, bool* lossless)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool exact = true;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        char b = '?';
        bool found = false;
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            b = static_cast<char>(u);
            found = true;
        } else {
            for (int i = 0; i < 32; ++i) {
                if (cp1252High[i] == u) {
                    b = static_cast<char>(0x80 + i);
                    found = true;
                    break;
                }
            }
        }
        exact = exact && found;
        bytes.append(b);
    }
    if (lossless)
        *lossless = exact;
    return bytes;
}

QString DecodeUtf16(const QByteArray& bytes, bool bigEndian)
{
    QStringDecoder decoder(bigEndian ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE,
                           QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}
}

TTextEncoding DetectTextEncoding(const QByteArray& bytes)
{
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        return TTextEncoding::Utf8Bom;
    if (StartsWith(bytes, "\xFF\xFE"))
        return TTextEncoding::Utf16LE;
    if (StartsWith(bytes, "\xFE\xFF"))
        return TTextEncoding::Utf16BE;
    return InvalidUtf8Offset(bytes) < 0 ? TTextEncoding::Utf8 : TTextEncoding::Windows1252;
}

QString DecodeText(const QByteArray& bytes, TTextEncoding encoding)
{
    switch (encoding) {
    case TTextEncoding::Utf8Bom:
        return QString::fromUtf8(bytes.mid(StartsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0));
    case TTextEncoding::Utf16LE:
        return DecodeUtf16(bytes.mid(StartsWith(bytes, "\xFF\xFE") ? 2 : 0), false);
    case TTextEncoding::Utf16BE:
        return DecodeUtf16(bytes.mid(StartsWith(bytes, "\xFE\xFF") ? 2 : 0), true);
    case TTextEncoding::Windows1252:
        return DecodeWindows1252(bytes);
    case TTextEncoding::Utf8:
        break;
    }
    return QString::fromUtf8(bytes);
}

QString DecodeText(const QByteArray& bytes)
{
    return DecodeText(bytes, DetectTextEncoding(bytes));
}

QByteArray EncodeText(const QString& text, TTextEncoding encoding, bool* lossless)
{
    if (lossless)
        *lossless = true;
    switch (encoding) {
    case TTextEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TTextEncoding::Utf16LE: {
        QStringEncoder encoder(QStringEncoder::Utf16LE, QStringConverter::Flag::Stateless);
        return QByteArray("\xFF\xFE", 2) + QByteArray(encoder.encode(text));
    }
    case TTextEncoding::Utf16BE: {
        QStringEncoder encoder(QStringEncoder::Utf16BE, QStringConverter::Flag::Stateless);
        return QByteArray("\xFE\xFF", 2) + QByteArray(encoder.encode(text));
    }
    case TTextEncoding::Windows1252:
        return EncodeWindows1252(text, lossless);
    case TTextEncoding::Utf8:
        break;
    }
    return text.toUtf8();
}

QString DecodeFileName(const QByteArray& bytes)
{
    return DecodeText(bytes, InvalidUtf8Offset(bytes) < 0 ? TTextEncoding::Utf8 : TTextEncoding::Windows1252);
}
