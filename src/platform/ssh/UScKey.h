#pragma once

#include <QByteArray>
#include <QString>

// A public SSH key in its wire form (RFC 4253: the algorithm name, then the
// key's own fields), as a server offers it and as the key storage keeps it.
class TScKey {
public:
    TScKey() = default;
    explicit TScKey(const QByteArray& blob);
    // "algorithm base64 [comment]", the form of an OpenSSH .pub file.
    static TScKey FromOpenSSH(const QString& line);

    bool IsEmpty() const { return FBlob.isEmpty(); }
    const QByteArray& Blob() const { return FBlob; }
    QString Algorithm() const;   // "ssh-ed25519", "ssh-rsa", ...
    QString ToBase64() const;

    // The MD5 of the blob as lower-case hex pairs joined by ":".
    QString MD5Fingerprint() const;
    // The key's size in bits, read from the key: the modulus of RSA, the prime
    // of DSA, the curve of ECDSA, 256 for Ed25519; 0 when unknown.
    int BitCount() const;

    bool operator==(const TScKey& other) const { return FBlob == other.FBlob; }
    bool operator!=(const TScKey& other) const { return FBlob != other.FBlob; }

private:
    QByteArray FBlob;
};
