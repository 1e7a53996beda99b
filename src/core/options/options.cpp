#include "core/options/options.h"

#include <QList>

#include <optional>

namespace OptionsFormat {
namespace {

constexpr QByteArrayView kOptionsSection = "options";
constexpr QByteArrayView kWindowSection = "window";
constexpr QByteArrayView kClipboardKey = "ClipboardClearSeconds";
constexpr QByteArrayView kIdleKey = "IdleLockMinutes";
constexpr QByteArrayView kShowKey = "ShowPasswords";
constexpr QByteArrayView kScreenLockKey = "LockOnScreenLock";
constexpr QByteArrayView kWidthKey = "ListWidthTwips";
constexpr QByteArrayView kHeightKey = "ListHeightTwips";
constexpr QByteArrayView kGeneratorSection = "generator";
constexpr QByteArrayView kLengthKey = "Length";
constexpr QByteArrayView kLowerKey = "LowerCase";
constexpr QByteArrayView kUpperKey = "UpperCase";
constexpr QByteArrayView kDigitsKey = "Digits";
constexpr QByteArrayView kSymbolsKey = "Symbols";
constexpr QByteArrayView kLookAlikesKey = "LeaveOutLookAlikes";

// A whole number from 0 to max written in plain digits; nothing otherwise.
std::optional<int> wholeNumber(QByteArrayView value, int max)
{
    if (value.isEmpty() || value.size() > 9)
        return std::nullopt;
    int number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number > max)
        return std::nullopt;
    return number;
}

std::optional<bool> truthValue(QByteArrayView value)
{
    if (value.compare("true", Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare("false", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

bool named(QByteArrayView key, QByteArrayView name)
{
    return key.compare(name, Qt::CaseInsensitive) == 0;
}

void parseGenerator(QByteArrayView key, QByteArrayView value, PasswordGenerator::Settings& settings)
{
    const PasswordGenerator::Settings defaults;
    if (named(key, kLengthKey))
        settings.length = wholeNumber(value, PasswordGenerator::kMaxSealedLength).value_or(defaults.length);
    else if (named(key, kLowerKey))
        settings.lower = truthValue(value).value_or(defaults.lower);
    else if (named(key, kUpperKey))
        settings.upper = truthValue(value).value_or(defaults.upper);
    else if (named(key, kDigitsKey))
        settings.digits = truthValue(value).value_or(defaults.digits);
    else if (named(key, kSymbolsKey))
        settings.symbols = truthValue(value).value_or(defaults.symbols);
    else if (named(key, kLookAlikesKey))
        settings.avoidLookAlikes = truthValue(value).value_or(defaults.avoidLookAlikes);
}

QByteArray truthText(bool value)
{
    return value ? "true" : "false";
}

} // namespace

Options parse(QByteArrayView text)
{
    Options options;
    int width = 0;
    int height = 0;
    QByteArrayView section;
    for (QByteArrayView line : QByteArray::fromRawData(text.data(), text.size()).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.sliced(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArrayView key = line.first(equals).trimmed();
        const QByteArrayView value = line.sliced(equals + 1).trimmed();
        if (named(section, kOptionsSection)) {
            if (named(key, kClipboardKey))
                options.clipboardSeconds =
                    wholeNumber(value, Options::kMaxClipboardSeconds).value_or(Options::kDefaultClipboardSeconds);
            else if (named(key, kIdleKey))
                options.idleMinutes =
                    wholeNumber(value, Options::kMaxIdleMinutes).value_or(Options::kDefaultIdleMinutes);
            else if (named(key, kShowKey))
                options.showPasswords = truthValue(value).value_or(true);
            else if (named(key, kScreenLockKey))
                options.lockOnScreenLock = truthValue(value).value_or(true);
        } else if (named(section, kWindowSection)) {
            if (named(key, kWidthKey))
                width = wholeNumber(value, Options::kMaxWindowTwips).value_or(0);
            else if (named(key, kHeightKey))
                height = wholeNumber(value, Options::kMaxWindowTwips).value_or(0);
        } else if (named(section, kGeneratorSection)) {
            parseGenerator(key, value, options.generator);
        }
    }
    // Half a size is no size.
    if (width > 0 && height > 0)
        options.listSize = QSize(width, height);
    return options;
}

QByteArray serialise(const Options& options)
{
    QByteArray text;
    text += "; Vellamar's options, written by the program.\n";
    text += "[Options]\n";
    text += kClipboardKey.toByteArray() + '=' + QByteArray::number(options.clipboardSeconds) + '\n';
    text += kIdleKey.toByteArray() + '=' + QByteArray::number(options.idleMinutes) + '\n';
    text += kShowKey.toByteArray() + '=' + (options.showPasswords ? "true" : "false") + '\n';
    // Only when turned off: files of the default stay as they were before.
    if (!options.lockOnScreenLock)
        text += kScreenLockKey.toByteArray() + "=false\n";
    if (options.listSize.isValid() && !options.listSize.isEmpty()) {
        text += "\n[Window]\n";
        text += kWidthKey.toByteArray() + '=' + QByteArray::number(options.listSize.width()) + '\n';
        text += kHeightKey.toByteArray() + '=' + QByteArray::number(options.listSize.height()) + '\n';
    }
    const PasswordGenerator::Settings& generator = options.generator;
    if (generator != PasswordGenerator::Settings {}) {
        text += "\n; the password generator's last settings; Length 0: 15, or 24 with strong protection\n";
        text += "[Generator]\n";
        text += kLengthKey.toByteArray() + '=' + QByteArray::number(generator.length) + '\n';
        text += kLowerKey.toByteArray() + '=' + truthText(generator.lower) + '\n';
        text += kUpperKey.toByteArray() + '=' + truthText(generator.upper) + '\n';
        text += kDigitsKey.toByteArray() + '=' + truthText(generator.digits) + '\n';
        text += kSymbolsKey.toByteArray() + '=' + truthText(generator.symbols) + '\n';
        text += kLookAlikesKey.toByteArray() + '=' + truthText(generator.avoidLookAlikes) + '\n';
    }
    return text;
}

} // namespace OptionsFormat
