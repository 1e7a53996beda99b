#include "core/listings/listingchoice.h"
#include "core/listings/listingrules.h"
#include "support/choicecases.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

class ListingChoiceTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(ListingChoiceTest, EntriesAgainstFiveListings)
{
    for (const ChoiceCase& c : kChoiceCases) {
        const auto chosen = ParseListingChoice(QString::fromLatin1(c.typed), kChoiceListings);
        EXPECT_EQ(chosen.value_or(0), c.chosen) << '"' << c.typed << '"';
    }
}

TEST_F(ListingChoiceTest, NoListingsRefusesEverything)
{
    for (const char* typed : {"1", "0", "-1"})
        EXPECT_FALSE(ParseListingChoice(typed, 0).has_value()) << typed;
}

TEST_F(ListingChoiceTest, NumbersAreReadInTheUsersLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const ChoiceCase cases[] = {{"2,5", 2},        {"2,6", 3},   {"3", 3},   {"1.000", 1000},
                                {"1.500,4", 1500}, {"4,5e0", 4}, {"2.5", 0}, {"3000", 0}};
    for (const ChoiceCase& c : cases)
        EXPECT_EQ(ParseListingChoice(QString::fromLatin1(c.typed), 2000).value_or(0), c.chosen) << c.typed;
}

TEST(ListingRules, ValuesMustFitTheirFieldsAndTheCodePage)
{
    EXPECT_TRUE(ListingRules::refusal(QString(75, 's'), QString(20, 'u'), QString(15, 'p')).isEmpty());
    EXPECT_TRUE(
        ListingRules::refusal("a\tb", QString::fromUtf16(u"caf\u00e9"), QString::fromUtf16(u"\u20ac")).isEmpty());
    const struct {
        QString site, user, password;
        const char* mentions;
    } refused[] = {
        {QString(76, 's'), "", "", "Web Site/Program can be at most 75"},
        {"", QString(21, 'u'), "", "Username can be at most 20"},
        {"", "", QString(16, 'p'), "Password can be at most 15"},
        {QString::fromUtf16(u"www.\u4e2d.cn"), "", "", "Web Site/Program cannot hold"},
        {"", "", QString::fromUtf16(u"\u0142"), "Password cannot hold"},
    };
    for (const auto& c : refused) {
        const QString message = ListingRules::refusal(c.site, c.user, c.password);
        EXPECT_TRUE(message.contains(QString::fromLatin1(c.mentions))) << qPrintable(message);
    }
}

// Sealed in a vault of version 2: any script, bounded in UTF-8 bytes, no
// NUL; what the list file refuses for its length or code page is taken.
TEST(ListingRules, SealedValuesAreBoundedInUtf8Bytes)
{
    using ListingRules::Format;
    const struct {
        const char* name;
        QString site, user, password;
        const char* mentions; // "" when taken
    } cases[] = {
        {"an ordinary e-mail log-in", "mail.example.com", "jane.doe.1987@gmail.com", "a password of 23 chars!", ""},
        {"any script", QStringLiteral("\u6771\u4eac.jp"), QStringLiteral("\u0141ukasz"), QStringLiteral("\U0001F511x"),
         ""},
        {"at the bounds", QString(2048, 's'), QString(1024, 'u'), QString(1024, 'p'), ""},
        {"site too long", QString(2049, 's'), "u", "p", "Web Site/Program can be at most 2048 bytes"},
        {"user name too long in bytes", "s", QString(513, QChar(0x00e9)), "p", "Username can be at most 1024 bytes"},
        {"password too long", "s", "u", QString(1025, 'p'), "Password can be at most 1024 bytes"},
        {"a NUL", "s", QStringLiteral("a") + QChar(0) + "b", "p", "Username cannot hold the character NUL"},
    };
    for (const auto& c : cases) {
        const QString message = ListingRules::refusal(c.site, c.user, c.password, Format::Sealed);
        if (*c.mentions == 0)
            EXPECT_TRUE(message.isEmpty()) << c.name << ": " << qPrintable(message);
        else
            EXPECT_TRUE(message.contains(QString::fromLatin1(c.mentions))) << c.name << ": " << qPrintable(message);
    }
    EXPECT_FALSE(ListingRules::refusal("s", "jane.doe.1987@gmail.com", "p").isEmpty()) << "the list file keeps 20";
    EXPECT_TRUE(ListingRules::refusal("s", QStringLiteral("a") + QChar(0), "p").contains("NUL"))
        << "the list file would cut the field there";
}

} // namespace
