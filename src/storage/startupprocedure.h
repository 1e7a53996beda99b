#pragma once

#include <QString>

// The program's entry: fills the program-wide paths and keys for the
// folder appDir, decides between first run and unlock, and opens the one
// dialog for it. Returns at once; a fault stops the program.
void RunStartup(const QString& appDir);
