#pragma once

#include <QString>
#include <QStringView>

#include <functional>

// New passwords for listings: 15 characters drawn uniformly from the 94
// printable ASCII characters "!" to "~".
namespace PasswordGenerator {

inline constexpr int kLength = 15;

// A number below bound, every one equally likely.
using Draw = std::function<quint32(quint32 bound)>;

// Draws whole passwords until one holds an upper-case letter, a lower-case
// letter, a digit and a punctuation mark; redrawing the whole password
// keeps every accepted password equally likely.
QString generate(const Draw& draw);
// The same from the system's secure random source.
QString generate();

// Whether password has the length, the characters and all four kinds.
bool meetsRules(QStringView password);

} // namespace PasswordGenerator
