#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Keeps a second running copy of the program off the same folder: two
// copies would each save on close, and the last would undo the other's
// changes.
class InstanceLock {
public:
    enum class Outcome {
        Held,          // this copy holds the lock
        HeldElsewhere, // another running copy holds it
        Unavailable,   // no lock could be made (a read-only folder, a full disk)
    };

    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock file at path without waiting; a lock left by a copy
    // that was killed is taken over.
    Outcome acquire(const QString& path);
    bool isHeld() const;
    // Gives the lock up, as the program's end does.
    void release();

private:
    std::unique_ptr<QLockFile> m_lock;
};
