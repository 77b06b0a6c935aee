#include "UCryptUtil.h"

#include "DESUnit.h"
#include "MD5Unit.h"

namespace {

// Every stored password depends on this value: changing it orphans them all.
const QString passphrase = QStringLiteral("41867");

QString KeyText()
{
    return MD5Hex(passphrase);
}

}  // namespace

QString EncryptPassword(const QString& password)
{
    return EncryptToHex(password, KeyText());
}

QString DecryptPassword(const QString& stored)
{
    return DecryptFromHex(stored, KeyText());
}

bool IsStorablePassword(const QString& password)
{
    if (!password.isEmpty() && password.back().unicode() == 0)
        return false;
    for (QChar c : password)
        if (c.unicode() > 0xff)
            return false;
    return true;
}
