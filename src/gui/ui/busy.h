#pragma once

#include <functional>

// Runs work that keeps the user waiting (deriving a key takes about half a
// second) off the GUI thread, with a wait cursor. Meanwhile windows still
// paint, but input and the program's socket notifiers (the end signals, the
// session manager) wait; presses that arrived are handled before the call
// returns, and so ignored by handlers that check whether work is running.
namespace Busy {

// The work must not touch widgets; it returns once the work is done.
void wait(const std::function<void()>& work);

// The same, with busy set meanwhile.
void run(bool& busy, const std::function<void()>& work);

} // namespace Busy
