#include "core/listings/passwordgenerator.h"
#include "support/tempappdir.h"

#include <QList>
#include <QSet>

namespace {

TEST(PasswordGenerator, EveryDrawMeetsTheRules)
{
    QSet<QChar> seen;
    for (int draw = 0; draw < 5000; ++draw) {
        const QString password = PasswordGenerator::generate();
        ASSERT_TRUE(PasswordGenerator::meetsRules(password)) << qPrintable(password);
        for (const QChar c : password)
            seen.insert(c);
    }
    // 75,000 characters from 94: every one turns up.
    EXPECT_EQ(seen.size(), 94);
}

TEST(PasswordGenerator, RulesTable)
{
    const struct {
        QString password;
        bool meets;
    } cases[] = {
        {"Aa1!Aa1!Aa1!Aa1", true},
        {"~~~~~~~~~~~Zz9", false}, // 14 characters
        {"~~~~~~~~~~~~Zz90", false}, // 16 characters
        {"aaaaaaaaaaaa1!a", false}, // no upper-case letter
        {"AAAAAAAAAAAA1!A", false}, // no lower-case letter
        {"AAAAAAAAAAAAa!A", false}, // no digit
        {"AAAAAAAAAAAAa1A", false}, // no punctuation
        {"AAAAAAAAAAA a1!", false}, // a space is not drawn
        {QString::fromUtf16(u"AAAAAAAAAAA\u00e9a1!"), false},
        {"{|}~!\"#$%&'()*+", false}, // punctuation alone
        {"`Zz0/:;<=>?@[\\]", true}, // the edges of each range
    };
    for (const auto& c : cases)
        EXPECT_EQ(PasswordGenerator::meetsRules(c.password), c.meets) << qPrintable(c.password);
}

// A password missing a kind is drawn again whole, not patched.
TEST(PasswordGenerator, DrawsTheWholePasswordAgainUntilItMeetsTheRules)
{
    // First password: fifteen "a" (index 64); then "Aa1!" repeated.
    QList<quint32> script(15, 'a' - '!');
    const char second[] = "Aa1!Aa1!Aa1!Aa1";
    for (int i = 0; i < 15; ++i)
        script.append(quint32(second[i] - '!'));
    int calls = 0;
    const QString password = PasswordGenerator::generate([&](quint32 bound) {
        EXPECT_EQ(bound, 94u);
        return script.at(calls++);
    });
    EXPECT_EQ(password, QStringLiteral("Aa1!Aa1!Aa1!Aa1"));
    EXPECT_EQ(calls, 30);
}

} // namespace
