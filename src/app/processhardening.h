#pragma once

// Keeps the secrets of this process inside it: no other process of the same
// user reads its memory or attaches a debugger, and a crash writes no core
// file holding the list. Called first in main, before any file is read.
namespace ProcessHardening {

void apply();

} // namespace ProcessHardening
