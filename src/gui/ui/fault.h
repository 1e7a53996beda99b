#pragma once

#include <QString>

#include <functional>

// A run-time fault that the program cannot go on from: the message names it,
// then the program stops. The data files stay as the last complete write left
// them.
namespace Fault {

// Never returns: after the message, the last step (see setLastStep) runs
// and the program ends with a failure status.
[[noreturn]] void stop(const QString& message);

// What must happen before the program ends this way (a copied secret taken
// off the clipboard): the program's own end is skipped.
void setLastStep(std::function<void()> step);

// Test seam: while set, stop() calls handler instead of showing and ending;
// the handler must not return (a test throws), or the program aborts.
void setHandlerForTesting(std::function<void(const QString&)> handler);

} // namespace Fault
