#include "UScKey.h"

#include <QCryptographicHash>
#include <QStringList>
#include <optional>

namespace {

// Reads the length-prefixed fields of a key blob one after the other.
class TBlobReader {
public:
    explicit TBlobReader(const QByteArray& blob) : FBlob(blob) {}

    std::optional<QByteArray> Next()
    {
        if (FPos + 4 > FBlob.size())
            return std::nullopt;
        const auto* p = reinterpret_cast<const unsigned char*>(FBlob.constData() + FPos);
        const quint32 length = quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
        if (length > quint32(FBlob.size() - FPos - 4))
            return std::nullopt;
        QByteArray field = FBlob.mid(FPos + 4, qsizetype(length));
        FPos += 4 + qsizetype(length);
        return field;
    }

private:
    const QByteArray& FBlob;
    qsizetype FPos = 0;
};

// The bit length of an unsigned multiple-precision integer (leading zero
// bytes, which keep an mpint positive, do not count).
int MpintBits(const QByteArray& number)
{
    qsizetype i = 0;
    while (i < number.size() && number[i] == 0)
        ++i;
    if (i == number.size())
        return 0;
    int bits = int(number.size() - i - 1) * 8;
    for (unsigned top = uint8_t(number[i]); top != 0; top >>= 1)
        ++bits;
    return bits;
}

}  // namespace

TScKey::TScKey(const QByteArray& blob) : FBlob(blob) {}

TScKey TScKey::FromOpenSSH(const QString& line)
{
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    if (parts.size() < 2)
        return TScKey();
    return TScKey(QByteArray::fromBase64(parts[1].toLatin1()));
}

QString TScKey::Algorithm() const
{
    TBlobReader reader(FBlob);
    const std::optional<QByteArray> name = reader.Next();
    return name ? QString::fromLatin1(*name) : QString();
}

QString TScKey::ToBase64() const
{
    return QString::fromLatin1(FBlob.toBase64());
}

QString TScKey::MD5Fingerprint() const
{
    return QString::fromLatin1(QCryptographicHash::hash(FBlob, QCryptographicHash::Md5).toHex(':'));
}

int TScKey::BitCount() const
{
    TBlobReader reader(FBlob);
    const std::optional<QByteArray> name = reader.Next();
    if (!name)
        return 0;
    if (*name == "ssh-rsa") {
        reader.Next();   // the public exponent
        const std::optional<QByteArray> modulus = reader.Next();
        return modulus ? MpintBits(*modulus) : 0;
    }
    if (*name == "ssh-dss") {
        const std::optional<QByteArray> prime = reader.Next();
        return prime ? MpintBits(*prime) : 0;
    }
    if (name->startsWith("ecdsa-sha2-nistp") || name->startsWith("sk-ecdsa-sha2-nistp")) {
        const QByteArray curve = name->mid(name->indexOf("nistp") + 5);
        return curve.left(3).toInt();
    }
    if (*name == "ssh-ed25519" || name->startsWith("sk-ssh-ed25519"))
        return 256;
    if (*name == "ssh-ed448")
        return 456;
    return 0;
}
