// The password cipher: MD5 and DES against their published vectors, the
// stored form pinned against an independent computation, and the edge rules
// of the hexadecimal text.
#include "DBTestUtil.h"
#include "db/DESUnit.h"
#include "db/MD5Unit.h"
#include "db/UCryptUtil.h"

#include <gtest/gtest.h>

using dbtest::MessageOf;
using dbtest::S;

TEST(Cipher, MD5MatchesTheVectorsOfItsRfc)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [input, digest] : vectors)
        EXPECT_EQ(MD5Digest(QByteArray(input)).toHex(), QByteArray(digest)) << input;
    // 55 and 56 bytes: the padding spills into a second block at 56.
    EXPECT_EQ(MD5Digest(QByteArray(55, 'a')).toHex(), QByteArray("ef1772b6dff9a122358552954ad0df65"));
    EXPECT_EQ(MD5Digest(QByteArray(56, 'a')).toHex(), QByteArray("3b0c8ac703f828b04c6c197006d17218"));
}

TEST(Cipher, MD5HexDigestsHalfTheUtf16BytesInUpperCase)
{
    // "abc" is digested as its first three UTF-16LE bytes: 'a', 0, 'b'.
    EXPECT_EQ(MD5Hex(S("abc")), QString::fromLatin1(MD5Digest(QByteArray("a\0b", 3)).toHex().toUpper()));
    EXPECT_EQ(MD5Hex(S("41867")), S("2036516FA570A0E514FA45E57724CFF8"));
}

TEST(Cipher, DESMatchesTheClassicVectorsBothWays)
{
    struct Vector {
        const char* key;
        const char* plain;
        const char* cipher;
    };
    const Vector vectors[] = {
        {"133457799bbcdff1", "0123456789abcdef", "85e813540f0ab405"},
        {"0e329232ea6d0d73", "8787878787878787", "0000000000000000"},
        {"0123456789abcdef", "4e6f772069732074", "3fa40e8a984d4815"},   // "Now is t"
        {"0000000000000000", "0000000000000000", "8ca64de9c1b123a7"},
        {"ffffffffffffffff", "ffffffffffffffff", "7359b2163e4edc58"},
        {"3000000000000000", "1000000000000001", "958e6e627a05557b"},
        {"0101010101010101", "8000000000000000", "95f8a5e5dd31d900"},   // variable plain text
        {"8001010101010101", "0000000000000000", "95a8d72813daa94d"},   // variable key
    };
    for (const Vector& v : vectors) {
        const QByteArray key = QByteArray::fromHex(v.key);
        const QByteArray plain = QByteArray::fromHex(v.plain);
        const QByteArray cipher = QByteArray::fromHex(v.cipher);
        EXPECT_EQ(DESEncryptBlock(plain, key).toHex(), QByteArray(v.cipher)) << v.key;
        EXPECT_EQ(DESDecryptBlock(cipher, key).toHex(), QByteArray(v.plain)) << v.key;
    }
    // The lowest bit of each key byte does not count.
    EXPECT_EQ(DESEncryptBlock(QByteArray::fromHex("0123456789abcdef"), QByteArray::fromHex("123457799abcdff0")),
              QByteArray::fromHex("85e813540f0ab405"));
}

// These texts were computed outside the program (MD5 of the passphrase's
// bytes, then DES-ECB by another implementation). When this test fails, every
// password that users have stored would no longer be readable.
TEST(Cipher, StoredPasswordsArePinned)
{
    const std::pair<const char*, const char*> pinned[] = {
        {"secret", "1bab6badedb93623"},
        {"Pass word 12", "7b01edc144e1a2bfaa22b28324bd2470"},
        {"\xc3\xa9", "0dc7f96fb788dd9c"},   // U+00E9, one byte
    };
    for (const auto& [password, stored] : pinned) {
        EXPECT_EQ(EncryptPassword(S(password)), S(stored)) << password;
        EXPECT_EQ(DecryptPassword(S(stored)), S(password)) << password;
    }
}

TEST(Cipher, EdgeCasesOfTheStoredText)
{
    EXPECT_EQ(EncryptPassword(QString()), QString());
    EXPECT_EQ(DecryptPassword(QString()), QString());
    EXPECT_EQ(EncryptPassword(S("12345678")).size(), 16);
    EXPECT_EQ(EncryptPassword(S("123456789")).size(), 32);

    const QString stored = EncryptPassword(S("Pass word 12"));
    EXPECT_EQ(DecryptPassword(stored.toUpper()), S("Pass word 12")) << "upper-case digits read alike";
    EXPECT_EQ(DecryptPassword(stored + S("7")), S("Pass word 12")) << "a last odd digit is ignored";
    EXPECT_EQ(DecryptPassword(stored.left(16) + S("0123")), S("Pass wor")) << "an incomplete block is ignored";
    EXPECT_EQ(MessageOf([&] { DecryptPassword(stored.left(14) + S("zz")); }), S("Error: not a Hex String"));

    const QString inner = S("a") + QChar(0) + S("b");
    EXPECT_EQ(DecryptPassword(EncryptPassword(inner)), inner) << "a code 0 inside survives";
    EXPECT_EQ(MessageOf([] { EncryptPassword(S("ab") + QChar(0)); }), S("Error: the last char is NULL char."));
    EXPECT_EQ(EncryptToHex(S("ab"), S("key")), EncryptToHex(S("ab"), S("key")));
}

TEST(Cipher, APasswordAboveLatin1IsRefusedNotStoredWrong)
{
    const QString password = S("pa\xc5\x9b\xc5\x9b");   // "paśś": U+015B
    EXPECT_FALSE(IsStorablePassword(password));
    EXPECT_TRUE(IsStorablePassword(S("p\xc3\xa4ss")));
    EXPECT_TRUE(IsStorablePassword(QString()));
    try {
        EncryptPassword(password);
        FAIL() << "a password that would come back as another one was stored";
    } catch (const EWideCharError& e) {
        EXPECT_EQ(e.Message(), S("The password cannot be stored: it contains the character U+015B, and only "
                                 "characters up to U+00FF can be stored."));
    }
}
