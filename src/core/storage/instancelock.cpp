#include "core/storage/instancelock.h"

#include "core/storage/safewrite.h"

#include <QLockFile>

InstanceLock::InstanceLock() = default;
InstanceLock::~InstanceLock() = default;

InstanceLock::Outcome InstanceLock::acquire(const QString& path)
{
    m_lock.reset();
    // A folder whose mode says read-only gets no lock file either, even
    // when the system would let the program write there.
    if (!SafeWrite::checkWritable(path))
        return Outcome::Unavailable;
    auto lock = std::make_unique<QLockFile>(path);
    // Only a lock whose owner is gone is stale, never one that is just old.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return Outcome::Held;
    }
    return lock->error() == QLockFile::LockFailedError ? Outcome::HeldElsewhere : Outcome::Unavailable;
}

bool InstanceLock::isHeld() const
{
    return m_lock && m_lock->isLocked();
}

void InstanceLock::release()
{
    m_lock.reset();
}
