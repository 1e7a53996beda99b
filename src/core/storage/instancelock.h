#pragma once

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

class QLockFile;

// Keeps a second running copy of the program off the same folder: two
// copies would each save on close, and the last would undo the other's
// changes.
class InstanceLock {
public:
    enum class Outcome {
        Held, // this copy holds the lock
        HeldElsewhere, // another running copy on this machine holds it
        Odd, // something stands there that is no live copy's lock: see found()
        Unavailable, // no lock could be made (a read-only folder, a full disk)
    };

    // What an odd lock file turned out to be, for the user to judge.
    struct Found {
        QString what; // what stands there, in words
        QString host; // the machine it names (empty: none)
        qint64 pid = 0; // the process it names (0: none)
        std::optional<QDateTime> modified; // when it was last written, if known
        bool otherHost = false; // it names a machine other than this one
    };

    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock file at path without waiting; a lock left by a copy on
    // this machine that was killed is taken over. Anything else that stands
    // at path and is no live copy's lock is left alone: Odd.
    Outcome acquire(const QString& path);
    // After Odd: what was found.
    const Found& found() const { return m_found; }
    // Replaces whatever stands at path (a link itself, never its target)
    // with a lock of this copy: Held, or Unavailable when none can be made.
    Outcome takeOver(const QString& path);

    bool isHeld() const;
    // Gives the lock up, as the program's end does.
    void release();

private:
    Outcome lock(const QString& path);
    // Fills m_found and returns true when path holds no live copy's lock
    // that QLockFile itself could judge.
    bool isOdd(const QString& path);

    std::unique_ptr<QLockFile> m_lock;
    Found m_found;
};
