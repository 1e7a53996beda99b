#include "core/storage/ansi.h"
#include "core/storage/textutil.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    QString input;
    QString expected;
};

TEST(StripNul, CutsAtTheFirstNul)
{
    const TextCase cases[] = {
        {QStringLiteral("abc"), QStringLiteral("abc")},
        {QString::fromUtf16(u"ab\0cd\0e", 7), QStringLiteral("ab")},
        {QString::fromUtf16(u"\0abc", 4), QString()},
        {QString(), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripNul(c.input), c.expected) << qPrintable(c.input);
}

TEST(TrimSpaces, RemovesOnlyTheSpaceCharacter)
{
    const TextCase cases[] = {
        {QStringLiteral("  a b  "), QStringLiteral("a b")},
        {QStringLiteral("     "), QString()},
        {QStringLiteral("\tword\t"), QStringLiteral("\tword\t")},
        {QString::fromUtf16(u"\u00a0word\u00a0"), QString::fromUtf16(u"\u00a0word\u00a0")},
        {QStringLiteral(" \n x \n "), QStringLiteral("\n x \n")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrimSpaces(c.input), c.expected) << qPrintable(c.input);
}

TEST(Ansi, EveryByteRoundTrips)
{
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(char(byte));
    const QString text = Ansi::decode(all);
    ASSERT_EQ(text.size(), 256);
    const auto back = Ansi::encode(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Ansi, UsesWindows1252)
{
    EXPECT_EQ(Ansi::decode("\x80\xe9\x9f"), QString::fromUtf16(u"\u20ac\u00e9\u0178"));
    EXPECT_EQ(Ansi::encode(QString::fromUtf16(u"\u20ac\u00fc")), QByteArray("\x80\xfc"));
}

TEST(Ansi, RefusesCharactersItCannotHold)
{
    const QString text = QString::fromUtf16(u"ab\u0142c\u4e2d");
    EXPECT_FALSE(Ansi::encode(text).has_value());
    ASSERT_TRUE(Ansi::firstUnencodable(text).has_value());
    EXPECT_EQ(*Ansi::firstUnencodable(text), QChar(0x0142));
    EXPECT_TRUE(Ansi::canEncode(QStringLiteral("plain text \t 123")));
}

} // namespace
