#include "core/listings/passwordgenerator.h"
#include "support/tempappdir.h"

#include <QList>
#include <QMap>
#include <QSet>

#include <cmath>
#include <vector>

namespace {

using PasswordGenerator::Settings;

Settings withLength(int length, Settings settings = {})
{
    settings.length = length;
    return settings;
}

Settings only(bool lower, bool upper, bool digits, bool symbols, int length, bool avoidLookAlikes = false)
{
    return {length, lower, upper, digits, symbols, avoidLookAlikes};
}

QString drawn(const Settings& settings)
{
    return PasswordGenerator::generate(settings).password.view().toString();
}

TEST(PasswordGenerator, EveryDrawMeetsTheRules)
{
    const QString alphabet = PasswordGenerator::alphabet(Settings {});
    EXPECT_EQ(alphabet.size(), 26 + 26 + 10 + 12);
    QSet<QChar> seen;
    for (int draw = 0; draw < 5000; ++draw) {
        const QString password = drawn(withLength(15));
        ASSERT_TRUE(PasswordGenerator::meetsRules(password)) << qPrintable(password);
        for (const QChar c : password)
            seen.insert(c);
    }
    // 75,000 characters from 74: every one turns up.
    EXPECT_EQ(seen.size(), alphabet.size());
}

TEST(PasswordGenerator, RulesTable)
{
    const struct {
        QString password;
        bool meets;
    } cases[] = {
        {"Aa1!Aa1!Aa1!Aa1", true},
        {"~~~~~~~~~~~Zz9", false}, // 14 characters
        {"!!!!!!!!!!!!Zz90", false}, // 16 characters
        {"aaaaaaaaaaaa1!a", false}, // no upper-case letter
        {"AAAAAAAAAAAA1!A", false}, // no lower-case letter
        {"AAAAAAAAAAAAa!A", false}, // no digit
        {"AAAAAAAAAAAAa1A", false}, // no symbol
        {"AAAAAAAAAAA a1!", false}, // a space is not drawn
        {QString::fromUtf16(u"AAAAAAAAAAA\u00e9a1!"), false},
        {"Aa1`Aa1!Aa1!Aa1", false}, // punctuation outside the symbols
        {"Aa1\"Aa1!Aa1!Aa1", false},
        {"azAZ09!#$%*+-=?", true}, // the edges of each range
        {"azAZ09@^_!!!!!!", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PasswordGenerator::meetsRules(c.password), c.meets) << qPrintable(c.password);
}

// A password missing a kind is drawn again whole, not patched.
TEST(PasswordGenerator, DrawsTheWholePasswordAgainUntilItMeetsTheRules)
{
    const QString alphabet = PasswordGenerator::alphabet(Settings {});
    // First password: fifteen "a"; then "Aa1!" repeated.
    QList<quint32> script(15, quint32(alphabet.indexOf('a')));
    for (const QChar c : QStringLiteral("Aa1!Aa1!Aa1!Aa1"))
        script.append(quint32(alphabet.indexOf(c)));
    int calls = 0;
    const auto made = PasswordGenerator::generate(withLength(15), [&](quint32 bound) {
        EXPECT_EQ(bound, quint32(alphabet.size()));
        return script.at(calls++);
    });
    EXPECT_EQ(made.password.view(), QStringLiteral("Aa1!Aa1!Aa1!Aa1"));
    EXPECT_TRUE(made.refusal.isEmpty());
    EXPECT_EQ(calls, 30);
}

// Each case draws many passwords: every one has the length, only chosen
// kinds of character, each of them, and no look-alike when left out.
TEST(PasswordGenerator, SettingsTable)
{
    const struct {
        Settings settings;
        QString alphabet;
    } cases[] = {
        {only(true, false, false, false, 1), "abcdefghijklmnopqrstuvwxyz"},
        {only(false, true, false, false, 7), "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
        {only(false, false, true, false, 15), "0123456789"},
        {only(false, false, false, true, 128), "!#$%*+-=?@^_"},
        {only(false, false, true, false, 6, true), "23456789"},
        {only(true, true, false, false, 2, true), "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz"},
        {only(false, true, true, true, 3, true), "!#$%*+-23456789=?@ABCDEFGHJKLMNPQRSTUVWXYZ^_"},
        {only(true, true, true, true, 4), PasswordGenerator::alphabet(Settings {})},
        {only(true, true, true, true, 24, true), {}},
    };
    for (const auto& c : cases) {
        const QString alphabet = PasswordGenerator::alphabet(c.settings);
        SCOPED_TRACE(qPrintable(QStringLiteral("length %1 of %2").arg(c.settings.length).arg(alphabet)));
        if (!c.alphabet.isEmpty()) {
            EXPECT_EQ(alphabet, c.alphabet);
        }
        if (c.settings.avoidLookAlikes) {
            for (const QChar lookAlike : QStringView(PasswordGenerator::kLookAlikes))
                EXPECT_FALSE(alphabet.contains(lookAlike)) << char(lookAlike.unicode());
        }
        for (int draw = 0; draw < 300; ++draw) {
            const auto made = PasswordGenerator::generate(c.settings);
            const QString password = made.password.view().toString();
            ASSERT_TRUE(made.refusal.isEmpty()) << qPrintable(made.refusal);
            ASSERT_EQ(password.size(), c.settings.length);
            ASSERT_TRUE(PasswordGenerator::meetsRules(password, c.settings)) << qPrintable(password);
            for (const QChar ch : password)
                ASSERT_TRUE(alphabet.contains(ch)) << qPrintable(password);
            if (c.settings.avoidLookAlikes) {
                for (const QChar lookAlike : QStringView(PasswordGenerator::kLookAlikes))
                    ASSERT_FALSE(password.contains(lookAlike)) << qPrintable(password);
            }
        }
    }
}

TEST(PasswordGenerator, RefusesWhatCannotBeMade)
{
    const struct {
        Settings settings;
        const char* reason; // a part of the refusal
    } cases[] = {
        {only(false, false, false, false, 15), "at least one kind"},
        {only(false, false, false, false, 15, true), "at least one kind"},
        {only(true, true, true, true, 3), "Too short to hold 4 kinds"},
        {only(true, false, true, false, 1), "Too short to hold 2 kinds"},
        {only(true, true, true, true, 0), "1 to 128"},
        {only(true, false, false, false, 129), "1 to 128"},
        {only(true, false, false, false, -1), "1 to 128"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        bool drew = false;
        const auto made = PasswordGenerator::generate(c.settings, [&drew](quint32) {
            drew = true;
            return 0u;
        });
        EXPECT_TRUE(made.password.isEmpty());
        EXPECT_TRUE(made.refusal.contains(QLatin1String(c.reason))) << qPrintable(made.refusal);
        EXPECT_FALSE(drew);
        EXPECT_EQ(PasswordGenerator::entropyBits(c.settings), 0.0);
        EXPECT_FALSE(PasswordGenerator::meetsRules(QString(qMax(1, c.settings.length), 'a'), c.settings));
    }
}

TEST(PasswordGenerator, LengthByTheListsFormat)
{
    const struct {
        int kept;
        bool anyText;
        int length;
    } cases[] = {
        {0, false, 15},   {0, true, 24},  {5, false, 5},    {15, false, 15}, {16, false, 15},
        {128, false, 15}, {16, true, 16}, {128, true, 128}, {1, true, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PasswordGenerator::lengthFor(withLength(c.kept), c.anyText), c.length)
            << c.kept << (c.anyText ? " sealed" : " list file");
    EXPECT_EQ(PasswordGenerator::maxLength(false), 15);
    EXPECT_EQ(PasswordGenerator::maxLength(true), 128);
}

// The bits are log2 of the number of passwords the settings accept,
// counted here one by one for small cases.
TEST(PasswordGenerator, EntropyCountsTheAcceptedPasswords)
{
    const Settings cases[] = {
        only(false, false, true, true, 3),
        only(true, false, true, false, 3, true),
        only(false, false, true, false, 4, true),
        only(false, true, true, true, 3, true),
    };
    for (const Settings& settings : cases) {
        const QString alphabet = PasswordGenerator::alphabet(settings);
        SCOPED_TRACE(qPrintable(alphabet));
        const qint64 n = alphabet.size();
        qint64 all = 1;
        for (int i = 0; i < settings.length; ++i)
            all *= n;
        qint64 accepted = 0;
        QString password(settings.length, QChar());
        for (qint64 index = 0; index < all; ++index) {
            qint64 rest = index;
            for (int i = 0; i < settings.length; ++i, rest /= n)
                password[i] = alphabet.at(rest % n);
            accepted += PasswordGenerator::meetsRules(password, settings) ? 1 : 0;
        }
        EXPECT_NEAR(PasswordGenerator::entropyBits(settings), std::log2(double(accepted)), 1e-9);
    }
    EXPECT_NEAR(PasswordGenerator::entropyBits(only(true, false, false, false, 10)), 10 * std::log2(26.0), 1e-9);
}

TEST(PasswordGenerator, StrengthPhrases)
{
    const struct {
        double bits;
        const char* phrase;
    } cases[] = {
        {0, "No password."},
        {20, "20 bits, very weak: found in under a second on average at a trillion guesses a second."},
        {50, "50 bits, weak: found in about 9 minutes on average at a trillion guesses a second."},
        {70, "70 bits, fair: found in about 18 years on average at a trillion guesses a second."},
        {93, "93 bits, strong: found in about 156,911,810 years on average at a trillion guesses a second."},
        {128, "128 bits, very strong: found in more than a billion years on average at a trillion guesses a second."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PasswordGenerator::strengthPhrase(c.bits), QLatin1String(c.phrase));
}

// Chi-square with k - 1 degrees of freedom; the critical values, where the
// chance of a larger value from a fair source is 1e-6, are the regularised
// upper incomplete gamma function solved for that chance (mpmath, 40
// digits). A correct generator fails once in a million runs.
double criticalValue(int degreesOfFreedom)
{
    static const QMap<int, double> values {{7, 40.52183123}, {25, 73.89453862}, {68, 138.4273516}};
    EXPECT_TRUE(values.contains(degreesOfFreedom)) << degreesOfFreedom;
    return values.value(degreesOfFreedom);
}

double chiSquare(const QMap<QChar, int>& counts, const QString& alphabet, const std::vector<double>& expected)
{
    double sum = 0;
    for (qsizetype i = 0; i < alphabet.size(); ++i) {
        const double difference = counts.value(alphabet.at(i)) - expected[i];
        sum += difference * difference / expected[i];
    }
    return sum;
}

// One kind of character: no draw is ever rejected, so the 100,000
// characters are independent and each equally likely.
TEST(PasswordGenerator, OneKindIsUniform)
{
    for (const Settings& settings : {only(true, false, false, false, 10), only(false, false, true, false, 10, true)}) {
        const QString alphabet = PasswordGenerator::alphabet(settings);
        SCOPED_TRACE(qPrintable(alphabet));
        constexpr int kCharacters = 100000;
        QMap<QChar, int> counts;
        for (int draw = 0; draw < kCharacters / settings.length; ++draw) {
            for (const QChar c : drawn(settings))
                ++counts[c];
        }
        const std::vector<double> expected(alphabet.size(), double(kCharacters) / alphabet.size());
        EXPECT_LT(chiSquare(counts, alphabet, expected), criticalValue(int(alphabet.size()) - 1));
    }
}

// The chance that m characters from the alphabet hold every kind in
// wanted, each kind of the given size, by inclusion and exclusion.
double coverChance(const std::vector<int>& wanted, int n, int m)
{
    double chance = 0;
    for (unsigned missing = 0; missing < (1u << wanted.size()); ++missing) {
        int left = 0;
        int sign = 1;
        for (size_t k = 0; k < wanted.size(); ++k) {
            if (missing & (1u << k)) {
                left += wanted[k];
                sign = -sign;
            }
        }
        chance += sign * std::pow(double(n - left) / n, m);
    }
    return chance;
}

int kindOf(QChar c)
{
    return c.isLower() ? 0 : c.isUpper() ? 1 : c.isDigit() ? 2 : 3;
}

// With every kind chosen, accepted passwords are equally likely: the first
// character of each of 100,000 is c with the chance that c and the other
// characters hold every kind, over the chance that any draw does.
TEST(PasswordGenerator, AcceptedPasswordsAreUniform)
{
    // Short, and without look-alikes, so that many draws are rejected.
    const Settings settings = only(true, true, true, true, 8, true);
    const QString alphabet = PasswordGenerator::alphabet(settings);
    std::vector<int> sizes(4, 0);
    for (const QChar c : alphabet)
        ++sizes[kindOf(c)];
    const int n = int(alphabet.size());
    const double accepted = coverChance(sizes, n, settings.length);
    constexpr int kPasswords = 100000;
    std::vector<double> expected;
    for (const QChar c : alphabet) {
        std::vector<int> others = sizes;
        others.erase(others.begin() + kindOf(c));
        expected.push_back(kPasswords * coverChance(others, n, settings.length - 1) / n / accepted);
    }
    QMap<QChar, int> counts;
    for (int draw = 0; draw < kPasswords; ++draw)
        ++counts[drawn(settings).at(0)];
    EXPECT_LT(chiSquare(counts, alphabet, expected), criticalValue(n - 1));
}

} // namespace
