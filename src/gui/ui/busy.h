#pragma once

#include <functional>

// Runs work that keeps the user waiting (deriving a key takes about half a
// second) with a wait cursor, while busy is set. Presses that arrive
// meanwhile are handled, and so ignored by handlers that check busy, before
// it is cleared.
namespace Busy {

void run(bool& busy, const std::function<void()>& work);

} // namespace Busy
