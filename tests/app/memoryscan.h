#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Searches this process's own writable memory (/proc/self/maps and
// /proc/self/mem) for byte patterns. The patterns are handed over masked,
// each byte XOR kMask, so that the search itself never holds them in clear
// and cannot find itself.
namespace MemoryScan {

inline constexpr char kMask = char(0xA5);

QByteArray masked(QByteArrayView clear);

// For each pattern found: its label and the region it was found in.
struct Pattern {
    QString label;
    QByteArray maskedBytes;
};
QStringList find(const QList<Pattern>& patterns);

// Whether this platform offers the memory to scan.
bool available();

} // namespace MemoryScan
