#include "core/masterpassword/passwordstrength.h"

#include "core/storage/secretbytes.h"
#include "core/storage/textutil.h"

#include <zxcvbn.h>

#include <QLocale>

#include <array>
#include <cmath>

namespace PasswordStrength {
namespace {

constexpr double kOneMinute = 60, kOneHour = 60 * kOneMinute, kOneDay = 24 * kOneHour, kOneYear = 365.25 * kOneDay;
constexpr double kOneCentury = 100 * kOneYear, kMillionYears = 1e6 * kOneYear;

// The least average time to guess for each level above VeryWeak.
constexpr std::array<double, kLevelCount - 1> kLevelFloors {kOneDay, kOneYear, 1000 * kOneYear, kMillionYears};

QString englishNumber(double amount)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(qlonglong(amount));
}

Level levelFor(double seconds)
{
    int level = VeryWeak;
    while (level < VeryStrong && seconds >= kLevelFloors[level])
        ++level;
    return Level(level);
}

} // namespace

double keysPerMachine(const Vault::Params& params)
{
    const double bytesPerKey = 2.0 * double(params.opsLimit) * double(params.memLimit);
    const double exact = kMachineBytesPerSecond / bytesPerKey;
    if (exact < 10)
        return qMax(1.0, std::round(exact));
    const double scale = std::pow(10.0, std::floor(std::log10(exact)) - 1);
    return std::round(exact / scale) * scale;
}

QString duration(double seconds)
{
    if (seconds < 1)
        return QStringLiteral("less than a second");
    struct Unit {
        double size;
        const char* one;
        const char* many;
    };
    // Each unit until the next one takes over.
    static constexpr std::array<Unit, 6> units {{{1, "second", "seconds"},
                                                 {kOneMinute, "minute", "minutes"},
                                                 {kOneHour, "hour", "hours"},
                                                 {kOneDay, "day", "days"},
                                                 {kOneYear, "year", "years"},
                                                 {kOneCentury, "century", "centuries"}}};
    std::size_t i = units.size() - 1;
    while (i > 0 && seconds < units[i].size)
        --i;
    // Rounding may reach the next unit: 59.6 seconds is about a minute,
    // 364.9 days about a year.
    double count = std::round(seconds / units[i].size);
    if (i + 1 < units.size() && count >= std::round(units[i + 1].size / units[i].size)) {
        ++i;
        count = 1;
    }
    if (count >= std::round(kMillionYears / units[i].size))
        return QStringLiteral("more than a million years");
    return QStringLiteral("about %1 %2")
        .arg(englishNumber(count), QLatin1String(count == 1 ? units[i].one : units[i].many));
}

Estimate fromBits(double bits)
{
    Estimate result;
    result.bits = std::isnan(bits) ? 0 : qMax(0.0, bits);
    const double keys = keysPerMachine();
    // On average half of the passwords are tried before the right one.
    result.seconds = std::exp2(result.bits - 1) / (kMachines * keys);
    result.level = levelFor(result.seconds);
    result.phrase = QStringLiteral("%1 to guess for %2 machines each deriving %3 keys a second")
                        .arg(duration(result.seconds), englishNumber(kMachines), englishNumber(keys));
    return result;
}

Estimate estimate(QStringView password, double cappedBits)
{
    const QStringView kept = TrimSpacesView(password);
    if (kept.isEmpty())
        return {};
    // The bytes the key would be made from; zxcvbn reads up to their NUL,
    // which a QByteArray always has after its last byte. What zxcvbn copies
    // inside is left to the zeroing of freed memory.
    const SecretBytes utf8 = Vault::passwordBytesV2(kept.left(kEstimatedLength));
    const double bits = ZxcvbnMatch(utf8.bytes().constData(), nullptr, nullptr);
    return fromBits(qMin(bits, cappedBits));
}

QString levelName(Level level)
{
    static const std::array<const char*, kLevelCount> names {"Very weak", "Weak", "Fair", "Strong", "Very strong"};
    return QLatin1String(names[level]);
}

QString summary(const Estimate& estimate)
{
    if (estimate.phrase.isEmpty())
        return {};
    return QStringLiteral("%1: %2.").arg(levelName(estimate.level), estimate.phrase);
}

} // namespace PasswordStrength
