#include "core/storage/filecipher.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// Known answers worked out by hand from the cipher's definition, so that a
// change of the format fails here whatever the code computes.
TEST(CipherBytes, KnownAnswers)
{
    const struct {
        QByteArray plain;
        QByteArray key;
        QByteArray ciphered; // hex
    } cases[] = {
        {"VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze", "3f2a34347b0f2c38da423f5e5648140f553dc6383a2a2c2d6a"},
        {"abc" + QByteArray(22, ' '), "sx8peu3", "151858544a5b1a545a1b544a5b1a545a1b544a5b1a545a1b54"},
        {"www.a.com", "Mk1", "391a43600c1a2d0259"},
        // Operands past 255 wrap: 0xff + 1 and 0xfe + 2 are both 0.
        {QByteArray("\x00\x01\xff", 3), "\xff\xfe", "0001ff"},
        {"", "key", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CipherBytes(c.plain, c.key).toHex(), c.ciphered) << c.plain.constData();
        EXPECT_EQ(Decipher(QByteArray::fromHex(c.ciphered), c.key).bytes(), c.plain) << c.plain.constData();
    }
}

TEST(CipherBytes, OperandsCycleThroughKeyPositions)
{
    // Two characters p, q: operands p+1, q+2, p+1, q+2, p+1.
    const QByteArray out = CipherBytes(QByteArray(5, '\0'), "pq");
    EXPECT_EQ(out, QByteArray("\x71\x73\x71\x73\x71"));
}

TEST(CipherBytes, IsItsOwnInverseForAnyLength)
{
    QByteArray data(50000, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (auto& byte : data)
        byte = char(rng.bounded(256));
    const QByteArray key = "K\xe9y with spaces";
    const QByteArray ciphered = Encipher(data, key);
    EXPECT_NE(ciphered, data);
    EXPECT_EQ(Decipher(ciphered, key).bytes(), data);
}

TEST(CipherBytes, EmptyKeyNeverGivesThePlainBytesBack)
{
    EXPECT_TRUE(CipherBytes("listing", {}).isEmpty());
    EXPECT_TRUE(Decipher("listing", {}).isEmpty());
}

TEST(CipherKey, IsTheWindows1252BytesOfANonEmptyText)
{
    const auto key = CipherKeyOf(QString::fromUtf16(u"p\u20ac\u00e9"));
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->bytes(), QByteArray("p\x80\xe9"));
    EXPECT_FALSE(CipherKeyOf(QString()).has_value());
    EXPECT_FALSE(CipherKeyOf(QString::fromUtf16(u"\u0142")).has_value());
}

TEST(SecretBytes, WipingNeverTouchesAnotherOwnersBytes)
{
    QByteArray shared("listing");
    SecretBytes secret = SecretBytes::adopt(QByteArray(shared));
    secret.wipe();
    EXPECT_TRUE(secret.isEmpty());
    EXPECT_EQ(shared, QByteArray("listing"));
}

} // namespace
