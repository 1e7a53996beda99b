#pragma once

#include <QString>

// The grid's double-click on a cell of column holding cellText: opens its
// web address (see WebAddressOf) when it is in the "Web Site/Program"
// column (1), says why not when it holds none.
void LaunchWebsite(int column, const QString& cellText);
