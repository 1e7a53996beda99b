#pragma once

#include <QString>

#include <optional>

// The address a "Web Site/Program" cell opens: "http://" and the cell's text
// cut at a NUL and trimmed of spaces, when that text starts with "www." in
// any letter case. Nothing else of the text is examined or changed.
std::optional<QString> WebAddressOf(const QString& cellText);
