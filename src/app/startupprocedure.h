#pragma once

#include <QString>

class ClipboardGuard;
class InstanceLock;

// The program's entry: takes the folder's lock (held in lock until the
// program ends), puts the folder in order, decides between first run and
// unlock, and opens the one dialog for it. Returns at once; false when the
// program must end now because another copy has the list open. A fault
// stops the program. Values the user copies go through clipboard, which is
// cleared, while it still holds them, whenever the program is made to end
// and when it quits.
bool RunStartup(const QString& appDir, InstanceLock& lock, ClipboardGuard& clipboard);
