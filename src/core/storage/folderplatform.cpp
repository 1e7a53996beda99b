#include "core/storage/folderplatform.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#endif

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FolderPlatform {

#ifdef Q_OS_UNIX
namespace {

// fsync, begun again when a signal broke into it; 0 or the errno.
int fsyncRetrying(int fd)
{
    int result = 0;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

} // namespace
#endif

bool syncFolder(const QString& folder, QString* reason)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const int error = fsyncRetrying(fd);
    ::close(fd);
    // EINVAL: a file system that cannot sync folders; nothing more to do.
    if (error != 0 && error != EINVAL) {
        *reason = QString::fromLocal8Bit(std::strerror(error));
        return false;
    }
    return true;
#else
    // NTFS journals its renames; there is no folder handle to flush.
    Q_UNUSED(folder);
    Q_UNUSED(reason);
    return true;
#endif
}

bool renameReplacing(const QString& from, const QString& to, QString* reason)
{
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(from.utf16()), reinterpret_cast<LPCWSTR>(to.utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *reason = QStringLiteral("system error %1").arg(GetLastError());
    return false;
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
#endif
}

QString resolveLinks(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    // A bound, so a loop of links cannot hang the start.
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
    }
    return current;
}

} // namespace FolderPlatform

namespace FolderPlatform {

bool restrictToOwner(const QString& path, QString* reason)
{
#ifdef Q_OS_UNIX
    // Through a descriptor of the file itself: a link put in its place
    // meanwhile is refused, never followed to some other file.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat info { };
    bool done = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
    const int error = errno;
    ::close(fd);
    if (!done)
        *reason = S_ISREG(info.st_mode) ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("not a file");
    return done;
#else
    // Windows: a new file takes the folder's access list, which is the
    // user's own in the program's folder; there is no mode to narrow.
    Q_UNUSED(path);
    Q_UNUSED(reason);
    return true;
#endif
}

bool createOwnerOnly(const QString& path, QFile* file, QString* reason)
{
#ifdef Q_OS_UNIX
    // The mode is given at creation, so no one else ever gets a moment to
    // open the file; fchmod then sets it exactly whatever the umask took.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (::fchmod(fd, S_IRUSR | S_IWUSR) == 0
        && file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        return true;
    *reason =
        file->error() != QFileDevice::NoError ? file->errorString() : QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    ::unlink(QFile::encodeName(path).constData());
    return false;
#else
    // Windows: a new file takes the folder's access list; there is no mode
    // to narrow. NewOnly never opens a file that is there already.
    file->setFileName(path);
    if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return true;
    *reason = file->errorString();
    return false;
#endif
}

bool syncFile(QFile& file, QString* reason)
{
    if (!file.flush()) {
        *reason = file.errorString();
        return false;
    }
#ifdef Q_OS_UNIX
    if (const int error = fsyncRetrying(file.handle()); error != 0) {
        *reason = QString::fromLocal8Bit(std::strerror(error));
        return false;
    }
    return true;
#else
    if (FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))))
        return true;
    *reason = QStringLiteral("system error %1").arg(GetLastError());
    return false;
#endif
}

} // namespace FolderPlatform
