#pragma once

#include "core/storage/secrettext.h"

#include <QString>
#include <QStringView>

#include <functional>

// New passwords for listings, drawn from the characters the user chooses:
// lower-case and upper-case letters, digits and a few symbols that web
// sites accept, each chosen kind present at least once.
namespace PasswordGenerator {

// The list file holds at most 15 characters of password; a vault 1,024.
inline constexpr int kMaxListFileLength = 15;
inline constexpr int kMaxSealedLength = 128;
inline constexpr int kDefaultListFileLength = 15;
inline constexpr int kDefaultSealedLength = 24;

// Punctuation that sign-up forms take: no quotes, backslash, angle
// brackets, spaces or separators that some sites refuse or mangle.
inline constexpr auto kSymbols = u"!#$%*+-=?@^_";
// Characters that read alike in many fonts.
inline constexpr auto kLookAlikes = u"Il1O0";

// The user's choice; kept in the options file.
struct Settings {
    int length = 0; // 0: the default of the list's format
    bool lower = true;
    bool upper = true;
    bool digits = true;
    bool symbols = true;
    bool avoidLookAlikes = false;

    friend bool operator==(const Settings&, const Settings&) = default;
};

// The longest password the list's format holds (a vault, when anyText).
int maxLength(bool anyText);
// The length settings ask for in that format: the default for 0, and
// never more than the format holds.
int lengthFor(const Settings& settings, bool anyText);

// The characters settings draw from, in ASCII order.
QString alphabet(const Settings& settings);
// How many kinds of character settings ask for.
int chosenClasses(const Settings& settings);

// A number below bound, every one equally likely.
using Draw = std::function<quint32(quint32 bound)>;

struct Result {
    SecretText password; // empty when refused
    QString refusal; // why nothing was drawn
};

// A password of settings.length characters (which must be given). Draws
// the whole password from the alphabet and draws it again, whole, while a
// chosen kind is missing: every acceptable password is then equally
// likely. (Drawing one of each kind first and shuffling them in would make
// the digits and symbols turn up more often than the letters.)
Result generate(const Settings& settings, const Draw& draw);
// The same from libsodium's random numbers (no modulo bias).
Result generate(const Settings& settings);

// The bits of randomness in a password of these settings: log2 of the
// number of passwords they can give, each equally likely; 0 when refused.
double entropyBits(const Settings& settings);
// What those bits mean, in a few words, with the assumption stated.
QString strengthPhrase(double bits);

// Whether password is one these settings could have given.
bool meetsRules(QStringView password, const Settings& settings);
// The same for the default settings with the list file's length.
bool meetsRules(QStringView password);

} // namespace PasswordGenerator
