#include "core/storage/pairedcommit.h"

#include "core/storage/safewrite.h"

#include <QFileInfo>

namespace PairedCommit {
namespace {

bool exists(const QString& path)
{
    return QFileInfo::exists(path);
}

// A pending list that is a folder, a link leading nowhere or a file that
// cannot be read is no list: it is left as found.
bool usable(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

// Removes the pending copies, the list's first: the password's copy is the
// mark that the change never took effect, so it goes last.
void undo(const DataFolder& folder)
{
    SafeWrite::removeFile(folder.list.pendingPath());
    SafeWrite::removeFile(folder.password.pendingPath());
}

} // namespace

Outcome commit(const DataFolder& folder, QByteArrayView cipheredPasswordFile, QByteArrayView cipheredList)
{
    for (const QString& target :
         {folder.password.path, folder.list.path, folder.password.pendingPath(), folder.list.pendingPath()}) {
        if (auto writable = SafeWrite::checkWritable(target); !writable)
            return {writable, false};
    }
    if (auto step = SafeWrite::replaceFile(folder.password.pendingPath(), cipheredPasswordFile); !step) {
        undo(folder);
        return {step, false};
    }
    if (auto step = SafeWrite::replaceFile(folder.list.pendingPath(), cipheredList); !step) {
        undo(folder);
        return {step, false};
    }
    if (auto step = SafeWrite::renameOver(folder.password.pendingPath(), folder.password.path); !step) {
        // A failed sync leaves the rename done: the new password is on disk
        // and the change must be finished, not undone.
        if (!step.inPlace) {
            undo(folder);
            return {step, false};
        }
        SafeWrite::renameOver(folder.list.pendingPath(), folder.list.path);
        return {step, true};
    }
    return {SafeWrite::renameOver(folder.list.pendingPath(), folder.list.path), true};
}

StorageResult recover(const DataFolder& folder)
{
    if (exists(folder.password.pendingPath())) {
        if (auto step = SafeWrite::removeFile(folder.list.pendingPath()); !step)
            return step;
        return SafeWrite::removeFile(folder.password.pendingPath());
    }
    if (usable(folder.list.pendingPath()))
        return SafeWrite::renameOver(folder.list.pendingPath(), folder.list.path);
    return StorageResult::success();
}

bool listIsPending(const DataFolder& folder)
{
    return usable(folder.list.pendingPath()) && !exists(folder.password.pendingPath());
}

QString listReadPath(const DataFolder& folder)
{
    return listIsPending(folder) ? folder.list.pendingPath() : folder.list.path;
}

} // namespace PairedCommit
