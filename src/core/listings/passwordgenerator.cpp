#include "core/listings/passwordgenerator.h"

#include <sodium.h>

#include <QLocale>

#include <array>
#include <cmath>

namespace PasswordGenerator {
namespace {

enum Class { kLower, kUpper, kDigit, kSymbol, kClassCount };

Class classOf(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return kLower;
    if (c >= u'A' && c <= u'Z')
        return kUpper;
    if (c >= u'0' && c <= u'9')
        return kDigit;
    return kSymbol;
}

std::array<bool, kClassCount> chosen(const Settings& settings)
{
    return {settings.lower, settings.upper, settings.digits, settings.symbols};
}

bool isLookAlike(char16_t c)
{
    return QStringView(kLookAlikes).contains(QChar(c));
}

bool inAlphabet(char16_t c, const Settings& settings)
{
    const bool symbol = QStringView(kSymbols).contains(QChar(c));
    const bool alphanumeric = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    if (!symbol && !alphanumeric)
        return false;
    if (!chosen(settings)[classOf(c)])
        return false;
    return !(settings.avoidLookAlikes && isLookAlike(c));
}

// Whether every chosen kind turns up in password.
bool holdsEveryClass(QStringView password, const Settings& settings)
{
    std::array<bool, kClassCount> seen {};
    for (const QChar c : password)
        seen[classOf(c.unicode())] = true;
    const auto wanted = chosen(settings);
    for (int k = 0; k < kClassCount; ++k) {
        if (wanted[k] && !seen[k])
            return false;
    }
    return true;
}

QString refusal(const Settings& settings)
{
    const int classes = chosenClasses(settings);
    if (classes == 0)
        return QStringLiteral("Choose at least one kind of character.");
    if (settings.length < 1 || settings.length > kMaxSealedLength)
        return QStringLiteral("A password has 1 to %1 characters.").arg(kMaxSealedLength);
    if (settings.length < classes)
        return QStringLiteral(
                   "Too short to hold %1 kinds of character: make it at least %1 long, or choose fewer kinds.")
            .arg(classes);
    return {};
}

QString duration(double seconds)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const auto count = [&english](double amount, const char* unit) {
        const qlonglong whole = qMax(1LL, qlonglong(std::floor(amount)));
        return QStringLiteral("about %1 %2%3")
            .arg(english.toString(whole), QLatin1String(unit), whole == 1 ? QString() : QStringLiteral("s"));
    };
    constexpr double kMinute = 60, kHour = 3600, kDay = 86400, kYear = 365.25 * kDay;
    if (seconds < 1)
        return QStringLiteral("under a second");
    if (seconds < kMinute)
        return count(seconds, "second");
    if (seconds < kHour)
        return count(seconds / kMinute, "minute");
    if (seconds < kDay)
        return count(seconds / kHour, "hour");
    if (seconds < kYear)
        return count(seconds / kDay, "day");
    if (seconds < 1e9 * kYear)
        return count(seconds / kYear, "year");
    return QStringLiteral("more than a billion years");
}

} // namespace

int maxLength(bool anyText)
{
    return anyText ? kMaxSealedLength : kMaxListFileLength;
}

int lengthFor(const Settings& settings, bool anyText)
{
    if (settings.length <= 0)
        return anyText ? kDefaultSealedLength : kDefaultListFileLength;
    return qMin(settings.length, maxLength(anyText));
}

QString alphabet(const Settings& settings)
{
    QString characters;
    for (char16_t c = u'!'; c <= u'~'; ++c) {
        if (inAlphabet(c, settings))
            characters += QChar(c);
    }
    return characters;
}

int chosenClasses(const Settings& settings)
{
    int count = 0;
    for (const bool wanted : chosen(settings))
        count += wanted ? 1 : 0;
    return count;
}

Result generate(const Settings& settings, const Draw& draw)
{
    Result result;
    result.refusal = refusal(settings);
    if (!result.refusal.isEmpty())
        return result;
    const QString characters = alphabet(settings);
    const auto bound = quint32(characters.size());
    // On the stack, wiped below: no copy of a rejected draw is left behind.
    std::array<char16_t, kMaxSealedLength> drawn {};
    const QStringView password(drawn.data(), settings.length);
    do {
        for (int i = 0; i < settings.length; ++i)
            drawn[i] = characters.at(draw(bound)).unicode();
    } while (!holdsEveryClass(password, settings));
    result.password.assign(password);
    sodium_memzero(drawn.data(), sizeof drawn);
    return result;
}

Result generate(const Settings& settings)
{
    [[maybe_unused]] const int ready = sodium_init();
    return generate(settings, [](quint32 bound) { return randombytes_uniform(bound); });
}

double entropyBits(const Settings& settings)
{
    if (!refusal(settings).isEmpty())
        return 0;
    // The share of all draws that hold every chosen kind, by inclusion and
    // exclusion over the kinds left out; the accepted draws are that share
    // of alphabet^length, each equally likely.
    std::array<int, kClassCount> sizes {};
    const QString characters = alphabet(settings);
    for (const QChar c : characters)
        ++sizes[classOf(c.unicode())];
    const auto wanted = chosen(settings);
    const double n = characters.size();
    double accepted = 0;
    for (int missing = 0; missing < (1 << kClassCount); ++missing) {
        int left = 0;
        int parity = 1;
        bool possible = true;
        for (int k = 0; k < kClassCount; ++k) {
            if (missing & (1 << k)) {
                possible = possible && wanted[k];
                left += sizes[k];
                parity = -parity;
            }
        }
        if (possible)
            accepted += parity * std::pow((n - left) / n, settings.length);
    }
    return settings.length * std::log2(n) + std::log2(accepted);
}

QString strengthPhrase(double bits)
{
    if (bits <= 0)
        return QStringLiteral("No password.");
    const char* verdict = bits < 40    ? "very weak"
                          : bits < 60  ? "weak"
                          : bits < 75  ? "fair"
                          : bits < 100 ? "strong"
                                       : "very strong";
    // On average half of all the passwords are tried before this one.
    const double seconds = std::exp2(bits - 1) / 1e12;
    return QStringLiteral("%1 bits, %2: found in %3 on average at a trillion guesses a second.")
        .arg(qRound(bits))
        .arg(QLatin1String(verdict), duration(seconds));
}

bool meetsRules(QStringView password, const Settings& settings)
{
    if (!refusal(settings).isEmpty() || password.size() != settings.length)
        return false;
    for (const QChar c : password) {
        if (!inAlphabet(c.unicode(), settings))
            return false;
    }
    return holdsEveryClass(password, settings);
}

bool meetsRules(QStringView password)
{
    Settings defaults;
    defaults.length = kDefaultListFileLength;
    return meetsRules(password, defaults);
}

} // namespace PasswordGenerator
