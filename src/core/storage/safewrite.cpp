#include "core/storage/safewrite.h"

#include "core/storage/folderplatform.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sodium.h>

#include <algorithm>

namespace SafeWrite {
namespace {

qint64 writeBudget = -1;
int stepsUntilFailure = 0;
bool failureFired = false;
StepHook stepHook;

const QString kRefused = QStringLiteral("refused for a test");

// Whether the step about to be taken is the one a test made fail.
bool failsNow()
{
    if (stepsUntilFailure <= 0 || --stepsUntilFailure > 0)
        return false;
    failureFired = true;
    return true;
}

void reached(Step step, const QString& path)
{
    if (stepHook)
        stepHook(step, path);
}

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

bool ownerMayWrite(const QFileInfo& info)
{
    return info.permissions().testFlag(QFileDevice::WriteOwner);
}

// The step before it put the change in place; the sync only makes it last.
StorageResult syncFolderOf(const QString& path)
{
    const QString folder = folderOf(path);
    QString reason;
    if (failsNow())
        reason = kRefused;
    else if (FolderPlatform::syncFolder(folder, &reason))
        reason.clear();
    StorageResult result = reason.isEmpty()
                               ? StorageResult::success()
                               : StorageResult::fileFault(QStringLiteral("sync the folder"), folder, reason);
    result.inPlace = true;
    if (result)
        reached(Step::SyncFolder, folder);
    return result;
}

// A name beside path that is not taken yet, for the file that becomes path.
QString besideName(const QString& path)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    [[maybe_unused]] const int ready = sodium_init();
    QString name = path + QLatin1Char('.');
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(kLetters[randombytes_uniform(sizeof kLetters - 1)]);
    return name;
}

// Removes beside, the file that was to become path; the fault's reason
// says when it could not be, as it holds what was written.
QString discardBeside(QFile& file, const QString& beside, const QString& reason)
{
    file.close();
    if (QFile::remove(beside))
        return reason;
    return QStringLiteral("%1; the unfinished copy \"%2\" could not be removed").arg(reason, beside);
}

} // namespace

const char* stepName(Step step)
{
    switch (step) {
    case Step::Write:
        return "write";
    case Step::Rename:
        return "rename";
    case Step::Remove:
        return "remove";
    case Step::SyncFolder:
        return "sync";
    }
    return "?";
}

void setWriteBudgetForTesting(qint64 bytes)
{
    writeBudget = bytes;
}
void setFailingStepForTesting(int n)
{
    stepsUntilFailure = n;
    failureFired = false;
}
bool failingStepFiredForTesting()
{
    return failureFired;
}
void setStepHookForTesting(StepHook hook)
{
    stepHook = std::move(hook);
}

bool writeAll(QIODevice& device, QByteArrayView data)
{
    qint64 done = 0;
    while (done < data.size()) {
        qint64 chunk = data.size() - done;
        if (writeBudget >= 0)
            chunk = std::min(chunk, writeBudget);
        if (chunk <= 0)
            return false;
        const qint64 written = device.write(data.data() + done, chunk);
        if (written <= 0)
            return false;
        if (writeBudget >= 0)
            writeBudget -= written;
        done += written;
    }
    return true;
}

StorageResult readFile(const QString& path, QByteArray* data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return StorageResult::fileFault(QStringLiteral("read"), path, file.errorString());
    QByteArray buffer(file.size(), Qt::Uninitialized);
    qint64 got = 0;
    while (got < buffer.size()) {
        const qint64 read = file.read(buffer.data() + got, buffer.size() - got);
        if (read <= 0)
            break;
        got += read;
    }
    if (file.error() != QFileDevice::NoError)
        return StorageResult::fileFault(QStringLiteral("read"), path, file.errorString());
    // A file cut short meanwhile reads as what was there.
    buffer.truncate(got);
    *data = std::move(buffer);
    return StorageResult::success();
}

StorageResult checkWritable(const QString& path)
{
    const QFileInfo file(path);
    if (file.exists() && !ownerMayWrite(file))
        return StorageResult::fileFault(QStringLiteral("write"), path, QStringLiteral("the file is read-only"));
    const QFileInfo folder(file.absolutePath());
    if (folder.exists() && !ownerMayWrite(folder))
        return StorageResult::fileFault(QStringLiteral("write"), path, QStringLiteral("its folder is read-only"));
    return StorageResult::success();
}

StorageResult replaceFile(const QString& path, QByteArrayView data)
{
    if (auto writable = checkWritable(path); !writable)
        return writable;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return StorageResult::fileFault(QStringLiteral("write"), path, file.errorString());
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // QSaveFile would commit a short write (a full disk) as a success. The
    // size on disk is checked too: some file systems report a full disk only
    // there.
    const bool failOnPurpose = failsNow();
    if (failOnPurpose || !writeAll(file, data) || !file.flush() || file.size() != data.size()) {
        const QString reason = failOnPurpose ? kRefused
                               : file.error() != QFileDevice::NoError
                                   ? file.errorString()
                                   : QStringLiteral("not every byte could be written (is the disk full?)");
        file.cancelWriting();
        return StorageResult::fileFault(QStringLiteral("write"), path, reason);
    }
    reached(Step::Write, path);
    if (failsNow()) {
        file.cancelWriting();
        return StorageResult::fileFault(QStringLiteral("write"), path, kRefused);
    }
    if (!file.commit())
        return StorageResult::fileFault(QStringLiteral("write"), path, file.errorString());
    reached(Step::Rename, path);
    return syncFolderOf(path);
}

StorageResult replaceFileOwnerOnly(const QString& path, QByteArrayView data)
{
    if (auto writable = checkWritable(path); !writable)
        return writable;
    QFile file;
    QString beside;
    QString reason;
    bool created = false;
    // A taken name (a leftover, or a file made meanwhile) is never opened.
    for (int attempt = 0; attempt < 10 && !created; ++attempt) {
        beside = besideName(path);
        created = FolderPlatform::createOwnerOnly(beside, &file, &reason);
    }
    if (!created)
        return StorageResult::fileFault(QStringLiteral("write"), path, reason);
    reason.clear();
    // A short write is checked as replaceFile does; the size on disk too.
    const bool failOnPurpose = failsNow();
    if (failOnPurpose || !writeAll(file, data) || !FolderPlatform::syncFile(file, &reason)
        || file.size() != data.size()) {
        if (failOnPurpose)
            reason = kRefused;
        else if (reason.isEmpty())
            reason = file.error() != QFileDevice::NoError
                         ? file.errorString()
                         : QStringLiteral("not every byte could be written (is the disk full?)");
        return StorageResult::fileFault(QStringLiteral("write"), path, discardBeside(file, beside, reason));
    }
    reached(Step::Write, path);
    file.close();
    // The rename replaces whatever is at path, a link included, in one step.
    if (failsNow())
        reason = kRefused;
    else if (FolderPlatform::renameReplacing(beside, path, &reason))
        reason.clear();
    if (!reason.isEmpty())
        return StorageResult::fileFault(QStringLiteral("write"), path, discardBeside(file, beside, reason));
    reached(Step::Rename, path);
    return syncFolderOf(path);
}

StorageResult removeFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isSymLink() && !file.exists()) {
        // Already gone: as good as removed.
        StorageResult gone = StorageResult::success();
        gone.inPlace = true;
        return gone;
    }
    const QFileInfo folder(folderOf(path));
    if (!ownerMayWrite(folder))
        return StorageResult::fileFault(QStringLiteral("delete"), path, QStringLiteral("its folder is read-only"));
    if (failsNow())
        return StorageResult::fileFault(QStringLiteral("delete"), path, kRefused);
    if (!file.remove())
        return StorageResult::fileFault(QStringLiteral("delete"), path, file.errorString());
    reached(Step::Remove, path);
    return syncFolderOf(path);
}

StorageResult renameOver(const QString& from, const QString& to)
{
    if (auto writable = checkWritable(to); !writable)
        return writable;
    if (failsNow())
        return StorageResult::fileFault(QStringLiteral("rename"), from, kRefused);
    // A rename over the target is the one atomic step that swaps old for new.
    QString reason;
    if (!FolderPlatform::renameReplacing(from, to, &reason))
        return StorageResult::fileFault(QStringLiteral("rename"), from, reason);
    reached(Step::Rename, to);
    return syncFolderOf(to);
}

StorageResult renameNoOverwrite(const QString& from, const QString& to)
{
    if (QFileInfo(to).exists() || QFileInfo(to).isSymLink())
        return StorageResult::fileFault(QStringLiteral("rename to"), to, QStringLiteral("the file exists already"));
    if (auto writable = checkWritable(to); !writable)
        return writable;
    if (failsNow())
        return StorageResult::fileFault(QStringLiteral("rename"), from, kRefused);
    QFile file(from);
    if (!file.rename(to))
        return StorageResult::fileFault(QStringLiteral("rename"), from, file.errorString());
    reached(Step::Rename, to);
    return syncFolderOf(to);
}

} // namespace SafeWrite
