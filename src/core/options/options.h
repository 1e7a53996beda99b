#pragma once

#include "core/listings/passwordgenerator.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>

// The user's choices beyond the list: how long a copied secret stays on the
// clipboard, when an idle list locks itself, whether it locks with the
// screen, whether passwords show, the listing window's size and the password
// generator's last settings. Kept in "vellamar.ini" beside the data files.
struct Options {
    static constexpr int kDefaultClipboardSeconds = 10;
    static constexpr int kMaxClipboardSeconds = 86400;
    static constexpr int kDefaultIdleMinutes = 0;
    static constexpr int kMaxIdleMinutes = 1440;
    // Larger than any screen: a bigger stored size is damage.
    static constexpr int kMaxWindowTwips = 300000;

    int clipboardSeconds = kDefaultClipboardSeconds; // 0: never cleared by time
    int idleMinutes = kDefaultIdleMinutes; // 0: never locks when idle
    bool lockOnScreenLock = true; // also when the computer goes to sleep
    bool showPasswords = true;
    // The listing window's client area in twips; invalid: its described size.
    QSize listSize;
    PasswordGenerator::Settings generator;

    friend bool operator==(const Options&, const Options&) = default;
};

// The options file's text: one "key=value" line per setting in named
// sections. A value that is missing, not a whole number in range or not
// "true"/"false" keeps its default; anything unknown is skipped.
namespace OptionsFormat {

inline constexpr auto kFileName = "vellamar.ini";

Options parse(QByteArrayView text);
QByteArray serialise(const Options& options);

} // namespace OptionsFormat
