#include "UValueText.h"

#include "base/UException.h"

#include <QList>

namespace {

QString EncodingName(TTextEncoding encoding)
{
    switch (encoding) {
    case TTextEncoding::Windows1252: return QStringLiteral("Windows-1252");
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE: return QStringLiteral("UTF-16");
    default: return QStringLiteral("UTF-8");
    }
}

}  // namespace

QByteArray EncodeTextStrict(const QString& text, TTextEncoding encoding)
{
    bool lossless = true;
    QByteArray bytes = EncodeText(text, encoding, &lossless);
    if (lossless)
        return bytes;
    for (int i = 0; i < text.size(); ++i) {
        const QString one = text.mid(i, text[i].isHighSurrogate() ? 2 : 1);
        bool ok = true;
        EncodeText(one, encoding, &ok);
        if (!ok) {
            const QString code = QString::number(one.toUcs4().value(0), 16).toUpper().rightJustified(4, QLatin1Char('0'));
            throw Exception(QStringLiteral("The character \"%1\" (U+%2) cannot be stored in %3.")
                                .arg(one, code, EncodingName(encoding)));
        }
    }
    return bytes;
}

TValueTextKind TValueText::KindOf(TFieldType type)
{
    switch (type) {
    case ftWideString:
    case ftFixedWideChar:
    case ftWideMemo:
        return TValueTextKind::Wide;
    case ftString:
    case ftFixedChar:
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
        return TValueTextKind::Narrow;
    default:
        return TValueTextKind::Bytes;
    }
}

TValueText TValueText::Decode(const QByteArray& bytes, bool isNull, TFieldType type)
{
    TValueText result;
    switch (KindOf(type)) {
    case TValueTextKind::Wide:
        result.FEncoding = TTextEncoding::Utf8;
        break;
    case TValueTextKind::Narrow:
        result.FEncoding = TTextEncoding::Windows1252;
        break;
    case TValueTextKind::Bytes:
        result.FEncoding = isNull || bytes.isEmpty() ? TTextEncoding::Utf8 : DetectTextEncoding(bytes);
        break;
    }
    const QString raw = DecodeText(bytes, result.FEncoding);

    const qsizetype crlf = raw.count(QStringLiteral("\r\n"));
    const qsizetype cr = raw.count(QLatin1Char('\r'));
    const qsizetype lf = raw.count(QLatin1Char('\n'));
    if (lf > 0 && crlf == 0)
        result.FLineEnd = QStringLiteral("\n");

    if (raw.contains(QChar(0)))
        result.FNote = QStringLiteral("Read-only: the value holds NUL characters.");
    else if (cr != crlf || (crlf > 0 && lf != crlf))
        result.FNote = QStringLiteral("Read-only: the value mixes line ends.");
    else if (raw.contains(QChar(0x2028)) || raw.contains(QChar(0x2029)))
        result.FNote = QStringLiteral("Read-only: the value holds Unicode line separators.");

    result.FText = raw;
    result.FText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

QByteArray TValueText::Encode(const QString& editedText) const
{
    QString text = editedText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (FLineEnd != QStringLiteral("\n"))
        text.replace(QLatin1Char('\n'), FLineEnd);
    return EncodeTextStrict(text, FEncoding);
}
