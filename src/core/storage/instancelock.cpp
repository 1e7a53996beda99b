#include "core/storage/instancelock.h"

#include "core/storage/folderplatform.h"
#include "core/storage/safewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

namespace {

// The folder's mode decides, as for every file the program writes; an odd
// lock file, even a read-only one, is the user's to judge.
bool folderMayBeWritten(const QString& path)
{
    return SafeWrite::checkWritable(QFileInfo(path).absolutePath() + QStringLiteral("/.")).ok;
}

} // namespace

InstanceLock::InstanceLock() = default;
InstanceLock::~InstanceLock() = default;

InstanceLock::Outcome InstanceLock::acquire(const QString& path)
{
    m_lock.reset();
    m_found = {};
    // A folder whose mode says read-only gets no lock file either, even
    // when the system would let the program write there.
    if (!folderMayBeWritten(path))
        return Outcome::Unavailable;
    if (isOdd(path))
        return Outcome::Odd;
    return lock(path);
}

InstanceLock::Outcome InstanceLock::takeOver(const QString& path)
{
    m_lock.reset();
    if (!folderMayBeWritten(path))
        return Outcome::Unavailable;
    const QFileInfo info(path);
    // The link itself goes, never the file it points to.
    const bool removed = info.isSymLink() || !info.isDir() ? QFile::remove(path) : QDir().rmdir(path);
    if (!removed && (info.exists() || info.isSymLink()))
        return Outcome::Unavailable;
    return lock(path);
}

InstanceLock::Outcome InstanceLock::lock(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path);
    // Only a lock whose owner is gone is stale, never one that is just old.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        // It names this machine and process, nothing more, yet it is
        // nobody else's business; a file system without modes keeps it as made.
        QString ignored;
        FolderPlatform::restrictToOwner(path, &ignored);
        m_lock = std::move(lock);
        return Outcome::Held;
    }
    return lock->error() == QLockFile::LockFailedError ? Outcome::HeldElsewhere : Outcome::Unavailable;
}

bool InstanceLock::isOdd(const QString& path)
{
    const QFileInfo info(path);
    Found found;
    if (info.isSymLink()) {
        found.what = info.exists()
                         ? QStringLiteral("a link to \"%1\"").arg(QDir::toNativeSeparators(info.symLinkTarget()))
                         : QStringLiteral("a link to \"%1\", which cannot be reached")
                               .arg(QDir::toNativeSeparators(info.symLinkTarget()));
        m_found = found;
        return true;
    }
    if (!info.exists())
        return false;
    if (info.lastModified().isValid())
        found.modified = info.lastModified();
    if (info.isDir()) {
        found.what = QStringLiteral("a folder");
    } else if (!info.isFile()) {
        found.what = QStringLiteral("something that is not a file");
    } else {
        qint64 pid = 0;
        QString host;
        QString app;
        QLockFile probe(path);
        if (!probe.getLockInfo(&pid, &host, &app)) {
            QFile file(path);
            if (info.size() == 0)
                found.what = QStringLiteral("an empty file");
            else if (!file.open(QIODevice::ReadOnly))
                found.what = QStringLiteral("a file that cannot be read");
            else
                found.what = QStringLiteral("a file that is no lock Vellamar writes");
        } else {
            found.pid = pid;
            found.host = host;
            // A lock of this machine is judged by its process, as QLockFile does.
            if (!host.isEmpty() && host == QSysInfo::machineHostName())
                return false;
            found.otherHost = !host.isEmpty();
            found.what = host.isEmpty() ? QStringLiteral("a lock that names no computer")
                                        : QStringLiteral("the lock of a Vellamar window on another computer");
        }
    }
    m_found = found;
    return true;
}

bool InstanceLock::isHeld() const
{
    return m_lock && m_lock->isLocked();
}

void InstanceLock::release()
{
    m_lock.reset();
}
