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

} // namespace
