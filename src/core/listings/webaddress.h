#pragma once

#include <QString>

#include <optional>

// The address a "Web Site/Program" cell opens, from its text cut at a NUL
// and trimmed of spaces: that text itself when it starts with "https://" or
// "http://", "https://" and the text when it starts with "www."; letter case
// is ignored in these beginnings and kept in the address. Nothing else of
// the text is examined or changed.
std::optional<QString> WebAddressOf(const QString& cellText);
