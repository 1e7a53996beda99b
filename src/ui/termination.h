#pragma once

#include <functional>

// Calls onEnd, once, from the event loop when the program is asked to end by
// the system: SIGTERM where there are signals, and the end of the desktop
// session where the platform tells it.
void installEndOfSessionHandler(std::function<void()> onEnd);
