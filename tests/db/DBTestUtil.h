#pragma once

// Small helpers that the database tests share.

#include "base/UException.h"
#include "base/USystemUtil.h"
#include "platform/ssh/UScFileStorage.h"
#include "platform/ssh/UScKey.h"
#include "support/VqTestSupport.h"

#include <QFile>
#include <QString>
#include <functional>
#include <gtest/gtest.h>

namespace dbtest {

inline QString S(const char* text)
{
    return QString::fromUtf8(text);
}

// The message of the exception that action raises; "(nothing raised)" when
// it raises none.
inline QString MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return S("(nothing raised)");
}

// The test sshd's host key, read from its own file; empty when unreadable.
inline TScKey TestSshServerKey()
{
    QFile file(vqtest::TestSshServer().hostKeyFile);
    return file.open(QIODevice::ReadOnly) ? TScKey::FromOpenSSH(QString::fromLatin1(file.readLine())) : TScKey();
}

// The host-key storage of the program, as any process of it opens it.
inline TScFileStorage ProgramKeyStorage()
{
    TScFileStorage storage;
    storage.SetPath(GetProgramDataDir(S("Vantorquill")));
    return storage;
}

// The test sshd's key stored as accepted, for tests about other things.
inline void AcceptTestSshServerKey()
{
    const TScKey key = TestSshServerKey();
    ASSERT_FALSE(key.IsEmpty()) << "the test sshd's host key cannot be read";
    ProgramKeyStorage().AddKey(vqtest::TestSshServer().host, key);
}

}  // namespace dbtest
