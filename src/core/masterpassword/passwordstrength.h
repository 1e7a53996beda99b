#pragma once

#include "core/storage/vault.h"

#include <QString>
#include <QStringView>

#include <limits>

// How long a master password would hold out against someone who has the
// sealed list and tries passwords: zxcvbn's estimate of its entropy, turned
// into an average time to guess at a stated rate for this version's key
// derivation, a level and a phrase that states the assumption.
namespace PasswordStrength {

enum Level { VeryWeak, Weak, Fair, Strong, VeryStrong };
inline constexpr int kLevelCount = VeryStrong + 1;
// Below this a new master password is warned about (never refused).
inline constexpr Level kWarnBelow = Fair;

// The attacker the phrase names: this many machines working together...
inline constexpr int kMachines = 1000;
// ...each with the memory bandwidth, in bytes a second, of a fast graphics
// card of 2025 (several TB/s). Argon2id is bound by memory traffic: every
// pass writes each block once and reads a pseudo-random earlier one, so one
// key costs about 2 x operations x memory bytes moved, whatever the chip.
// At this version's 6 passes over 128 MiB that is 1.6 GB a key, about 2,500
// keys a second per machine: an upper bound on real crackers, which never
// use the whole bandwidth, so the times shown err on the short side.
inline constexpr double kMachineBytesPerSecond = 4e12;

// The text given to zxcvbn is at most this long. Its estimate grows little
// past it, and a long run of one character can take it 10 ms or more a
// call; the first characters' estimate is a lower bound for the whole.
inline constexpr int kEstimatedLength = 64;

struct Estimate {
    double bits = 0; // zxcvbn's entropy
    double seconds = 0; // the average time to guess at the stated rate
    Level level = VeryWeak;
    // "about 3 centuries to guess for 1,000 machines each deriving 2,500
    // keys a second"; empty for an empty password.
    QString phrase;
};

// Keys a second one machine derives at params, rounded to two figures.
double keysPerMachine(const Vault::Params& params = Vault::writtenParams());

// The estimate for password as the vault would take it: spaces at the ends
// dropped, normalised to NFC. At most cappedBits (the randomness a
// generator put in, when known).
Estimate estimate(QStringView password, double cappedBits = std::numeric_limits<double>::infinity());
// The same for a password of bits of entropy (the commonest passwords have
// none: zxcvbn gives "password" 0 bits).
Estimate fromBits(double bits);

// "Very weak" ... "Very strong".
QString levelName(Level level);
// The level and the phrase as one sentence, as the meter shows them.
QString summary(const Estimate& estimate);
// A time in words: "less than a second", "about 1 minute", "about 3
// centuries", "more than a million years".
QString duration(double seconds);

} // namespace PasswordStrength
