#pragma once

#include <functional>

// Calls onEnd, once, from the event loop when the system asks the program to
// end (SIGTERM, SIGHUP or SIGINT where there are signals). Calls onSaveRequest whenever the
// desktop session asks programs to save their data (before a logout, which
// may still be cancelled).
void installEndOfSessionHandler(std::function<void()> onEnd, std::function<void()> onSaveRequest = {});

// Gives the three signals back their default handling and forgets both
// calls, as when no handler was ever installed.
void uninstallEndOfSessionHandler();
