#include "core/listings/passwordgenerator.h"
#include "core/masterpassword/passwordstrength.h"

#include <cmath>
#include <limits>

namespace {

using PasswordStrength::Level;

QString randomPassword(int length)
{
    PasswordGenerator::Settings settings;
    settings.length = length;
    return PasswordGenerator::generate(settings).password.view().toString();
}

TEST(PasswordStrength, LevelsOfKnownPasswords)
{
    const struct {
        const char* name;
        QString password;
        Level atLeast, atMost;
    } cases[] = {
        {"the commonest password", QStringLiteral("password"), Level::VeryWeak, Level::VeryWeak},
        {"a word, a capital and a digit", QStringLiteral("Password1"), Level::VeryWeak, Level::VeryWeak},
        {"a keyboard row", QStringLiteral("qwertyuiop"), Level::VeryWeak, Level::VeryWeak},
        {"a phrase and a year", QStringLiteral("iloveyou2024"), Level::VeryWeak, Level::VeryWeak},
        {"a word with substitutions", QStringLiteral("Tr0ub4dor&3"), Level::VeryWeak, Level::Weak},
        {"four common words", QStringLiteral("correct horse battery staple"), Level::Fair, Level::VeryStrong},
        {"20 random characters", randomPassword(20), Level::Strong, Level::VeryStrong},
        {"1,024 times one letter", QString(1024, QLatin1Char('a')), Level::VeryWeak, Level::VeryWeak},
        {"1,024 characters of a phrase said over and over",
         QStringLiteral("correct horse battery staple ").repeated(36).left(1024), Level::Fair, Level::VeryStrong},
        {"1,024 random characters", randomPassword(128).repeated(8), Level::VeryStrong, Level::VeryStrong},
        {"Cyrillic, Greek and Japanese words",
         QString::fromUtf16(u"\u043A\u043B\u044E\u0447 \u0394\u03B5\u03BB\u03C4\u03B1 \u65E5\u672C\u8A9E"), Level::Fair,
         Level::VeryStrong},
        {"spaces at the ends are no part of it", QStringLiteral("  password  "), Level::VeryWeak, Level::VeryWeak},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PasswordStrength::Estimate estimate = PasswordStrength::estimate(c.password);
        EXPECT_GE(estimate.level, c.atLeast) << estimate.bits << " bits";
        EXPECT_LE(estimate.level, c.atMost) << estimate.bits << " bits";
        EXPECT_FALSE(estimate.phrase.isEmpty());
    }
}

TEST(PasswordStrength, EstimatesThePasswordTheVaultTakes)
{
    const struct {
        const char* name;
        QString typed, taken;
    } cases[] = {
        {"spaces at the ends", QStringLiteral("  Tr0ub4dor&3 "), QStringLiteral("Tr0ub4dor&3")},
        // e and a combining acute accent, as some input methods type it.
        {"decomposed letters", QString::fromUtf16(u"cafe\u0301 cre\u0300me br\u00FBle\u0301e"),
         QString::fromUtf16(u"caf\u00E9 cr\u00E8me br\u00FBl\u00E9e")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(PasswordStrength::estimate(c.typed).bits, PasswordStrength::estimate(c.taken).bits);
    }
}

TEST(PasswordStrength, NothingTypedHasNoPhrase)
{
    for (const QString& typed : {QString(), QStringLiteral("   ")}) {
        const PasswordStrength::Estimate estimate = PasswordStrength::estimate(typed);
        EXPECT_EQ(estimate.level, Level::VeryWeak);
        EXPECT_EQ(estimate.bits, 0);
        EXPECT_TRUE(estimate.phrase.isEmpty());
        EXPECT_TRUE(PasswordStrength::summary(estimate).isEmpty());
    }
}

TEST(PasswordStrength, NeverMoreThanTheBitsGivenAsItsCeiling)
{
    const QString strong = randomPassword(20);
    ASSERT_GT(PasswordStrength::estimate(strong).bits, 40);
    EXPECT_DOUBLE_EQ(PasswordStrength::estimate(strong, 40).bits, 40);
}

TEST(PasswordStrength, TheRateFollowsTheKeyDerivationSettings)
{
    constexpr quint64 kMiB = 1024 * 1024;
    const struct {
        const char* name;
        Vault::Params params;
        double keys;
    } cases[] = {
        // 4 TB/s over 2 x 6 x 128 MiB a key: 2,484, two figures kept.
        {"this version's settings", Vault::writtenParams(), 2500},
        {"twice the passes", {12, 128 * kMiB}, 1200},
        {"half the passes and half the memory", {3, 64 * kMiB}, 9900},
        {"libsodium's least", Vault::minimumParams(), 240'000'000},
        {"more than a machine can do once a second", {4096, 4096 * kMiB}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PasswordStrength::keysPerMachine(c.params), c.keys);
    }
    EXPECT_EQ(Vault::writtenParams(), (Vault::Params {6, 128 * kMiB}))
        << "the settings changed: the rate in the phrases follows them, check that the levels still fit";
}

TEST(PasswordStrength, PhrasesStateTheTimeAndTheAssumption)
{
    const QString attacker = QStringLiteral(" to guess for 1,000 machines each deriving 2,500 keys a second.");
    // At 2.5 million keys a second in all, half of 2^bits on average.
    const struct {
        double bits;
        Level level;
        const char* time;
    } cases[] = {
        {0, Level::VeryWeak, "Very weak: less than a second"},
        {22, Level::VeryWeak, "Very weak: less than a second"},
        {30, Level::VeryWeak, "Very weak: about 4 minutes"},
        {40, Level::Weak, "Weak: about 3 days"},
        {50, Level::Fair, "Fair: about 7 years"},
        {60, Level::Strong, "Strong: about 73 centuries"},
        {70, Level::VeryStrong, "Very strong: more than a million years"},
        {600, Level::VeryStrong, "Very strong: more than a million years"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        const PasswordStrength::Estimate estimate = PasswordStrength::fromBits(c.bits);
        EXPECT_EQ(estimate.level, c.level);
        EXPECT_EQ(PasswordStrength::summary(estimate), QLatin1String(c.time) + attacker);
    }
}

TEST(PasswordStrength, DurationsInWords)
{
    constexpr double kDay = 86400, kYear = 365.25 * kDay;
    const struct {
        double seconds;
        const char* words;
    } cases[] = {
        {0, "less than a second"},
        {0.999, "less than a second"},
        {1, "about 1 second"},
        {1.4, "about 1 second"},
        {42, "about 42 seconds"},
        {59.6, "about 1 minute"},
        {90, "about 2 minutes"},
        {3599, "about 1 hour"},
        {5 * 3600, "about 5 hours"},
        {3 * kDay, "about 3 days"},
        {364.9 * kDay, "about 1 year"},
        {5 * kYear, "about 5 years"},
        {99.7 * kYear, "about 1 century"},
        {250 * kYear, "about 3 centuries"},
        {123'456 * kYear, "about 1,235 centuries"},
        {999'999 * kYear, "more than a million years"},
        {1e7 * kYear, "more than a million years"},
        {std::numeric_limits<double>::infinity(), "more than a million years"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(PasswordStrength::duration(c.seconds), QLatin1String(c.words));
    }
}

} // namespace
