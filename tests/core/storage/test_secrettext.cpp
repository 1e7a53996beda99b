#include "core/storage/secrettext.h"

#include <gtest/gtest.h>

namespace {

TEST(SecretText, HoldsItsOwnCopyAndComparesExactly)
{
    QString typed = QStringLiteral("pa\u00e9ss word");
    SecretText secret(typed);
    typed[0] = QLatin1Char('X');
    EXPECT_EQ(secret.view(), QStringLiteral("pa\u00e9ss word"));
    EXPECT_TRUE(secret.equals(u"pa\u00e9ss word"));
    for (const char16_t* other : {u"pa\u00e9ss word ", u"Pa\u00e9ss word", u"pa\u00e9ss wor", u""})
        EXPECT_FALSE(secret.equals(other)) << QString::fromUtf16(other).toStdString();
    secret.wipe();
    EXPECT_TRUE(secret.isEmpty());
    EXPECT_TRUE(secret.equals(u""));
}

// A string shared by two holders: wipeText leaves the other one's copy,
// wipeTextEverywhere overwrites it too. Literals are never written.
TEST(WipeText, OverwritesOnlyWhatItMay)
{
    QString sharedWith = QString::fromLatin1("secret2");
    QString other = sharedWith;

    wipeText(sharedWith);
    EXPECT_TRUE(sharedWith.isEmpty());
    EXPECT_EQ(other, QStringLiteral("secret2")) << "another holder keeps its copy";

    QString again = other;
    wipeTextEverywhere(again);
    EXPECT_TRUE(again.isEmpty());
    EXPECT_EQ(other, QString(7, QChar(0))) << "every holder's copy is overwritten";

    QString literal = QStringLiteral("in read-only memory");
    wipeTextEverywhere(literal);
    EXPECT_TRUE(literal.isEmpty());
    EXPECT_EQ(QStringLiteral("in read-only memory").size(), 19);
}

} // namespace
