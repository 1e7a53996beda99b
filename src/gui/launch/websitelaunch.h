#pragma once

#include <QString>

#include <optional>

// The address a "Web Site/Program" cell opens: "http://" and the cell's text
// cut at a NUL and trimmed of spaces, when that text starts with "www." in
// any letter case.
std::optional<QString> WebAddressOf(const QString& cellText);

// The grid's double-click on a cell of column holding cellText: opens its
// web site when it is in the "Web Site/Program" column (1), says why not
// when it holds no web site.
void LaunchWebsite(int column, const QString& cellText);
