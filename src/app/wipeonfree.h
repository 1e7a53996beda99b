#pragma once

// Memory the program lets go is overwritten first, wherever it was used:
// Qt's text layouts, undo histories and temporary strings copy what the
// user types in places no code of ours can reach, and a freed block keeps
// its bytes until it is used again. On Linux with glibc every block is
// zeroed as it is freed; elsewhere only what the program wipes itself is.
namespace WipeOnFree {

// Whether freed memory is zeroed in this build.
bool active();

} // namespace WipeOnFree
