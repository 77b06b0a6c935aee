#include "UValueText.h"

#include "UValueTextReader.h"
#include "base/UException.h"

#include <QBuffer>
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
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    TValueTextReader reader(std::move(buffer), isNull, type);
    QString text;
    while (!reader.AtEnd())
        text += reader.Next(std::max<qint64>(bytes.size(), 1));
    TValueText result = reader.Result();
    result.FText = text;
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
