#pragma once

#include <QString>

// Outcome of a step that touches the disk: either fine, or a message that
// names the file and the fault, ready to show to the user.
struct StorageResult {
    bool ok = true;
    QString error;
    // For a change of the data folder: the file was replaced, renamed or
    // removed, even when the folder's sync after it failed (then ok is
    // false, yet the change holds).
    bool inPlace = false;

    static StorageResult success() { return {}; }
    static StorageResult failure(const QString& message) { return {false, message, false}; }
    // A fault of the file at path, with the system's reason.
    static StorageResult fileFault(const QString& action, const QString& path, const QString& reason);

    explicit operator bool() const { return ok; }
};
