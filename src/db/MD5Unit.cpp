#include "MD5Unit.h"

#include <QCryptographicHash>

QByteArray MD5Digest(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

QString MD5Hex(const QString& text)
{
    QByteArray utf16;
    for (QChar c : text) {
        utf16.append(char(c.unicode() & 0xff));
        utf16.append(char(c.unicode() >> 8));
    }
    return QString::fromLatin1(MD5Digest(utf16.left(text.size())).toHex().toUpper());
}
