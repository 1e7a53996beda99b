#pragma once

#include <QString>

#include <functional>

// A run-time fault that the program cannot go on from: the message names it,
// then the program stops. The data files stay as the last complete write left
// them.
namespace Fault {

void stop(const QString& message);

// Test seam: while set, stop() calls handler instead and returns.
void setHandlerForTesting(std::function<void(const QString&)> handler);

} // namespace Fault
