#pragma once

#include <QString>

#include <functional>

// Hands a file path or an address to the desktop, which opens it with the
// user's default program. The only way the program opens anything outside
// itself. Returns the shell's answer: above 32 when the hand-over started,
// 32 or less when it could not. Shows nothing.
int OpenDocument(const QString& path);

// Test seam: while set, receives what would be handed over instead.
void setOpenDocumentHandlerForTesting(std::function<int(const QString&)> handler);
