#include "storage/safewrite.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace SafeWrite {
namespace {

qint64 writeBudget = -1;
int replacementsUntilFailure = 0;
int removalsUntilFailure = 0;

bool failsNow(int& countdown)
{
    return countdown > 0 && --countdown == 0;
}
StepHook stepHook;

void reached(const char* step, const QString& path)
{
    if (stepHook)
        stepHook(QString::fromLatin1(step), path);
}

} // namespace

void setWriteBudgetForTesting(qint64 bytes) { writeBudget = bytes; }
void setFailingReplacementForTesting(int n) { replacementsUntilFailure = n; }
void setFailingRemovalForTesting(int n) { removalsUntilFailure = n; }
void setStepHookForTesting(StepHook hook) { stepHook = std::move(hook); }

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
    *data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return StorageResult::fileFault(QStringLiteral("read"), path, file.errorString());
    return StorageResult::success();
}

StorageResult replaceFile(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return StorageResult::fileFault(QStringLiteral("write"), path, file.errorString());
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const bool failOnPurpose = failsNow(replacementsUntilFailure);
    // QSaveFile would commit a short write (a full disk) as a success.
    // The size on disk is checked too: some file systems report a full disk
    // only there.
    if (failOnPurpose || !writeAll(file, data) || !file.flush() || file.size() != data.size()) {
        const QString reason = file.error() != QFileDevice::NoError
                                   ? file.errorString()
                                   : QStringLiteral("not every byte could be written (is the disk full?)");
        file.cancelWriting();
        return StorageResult::fileFault(QStringLiteral("write"), path, reason);
    }
    reached("write", path);
    if (!file.commit())
        return StorageResult::fileFault(QStringLiteral("write"), path, file.errorString());
    reached("rename", path);
    return StorageResult::success();
}

StorageResult removeFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return StorageResult::success();
    if (failsNow(removalsUntilFailure))
        return StorageResult::fileFault(QStringLiteral("delete"), path, QStringLiteral("refused for a test"));
    if (!file.remove())
        return StorageResult::fileFault(QStringLiteral("delete"), path, file.errorString());
    reached("delete", path);
    return StorageResult::success();
}

StorageResult renameNoOverwrite(const QString& from, const QString& to)
{
    QFile file(from);
    if (QFile::exists(to))
        return StorageResult::fileFault(QStringLiteral("rename to"), to, QStringLiteral("the file exists already"));
    if (!file.rename(to))
        return StorageResult::fileFault(QStringLiteral("rename"), from, file.errorString());
    reached("rename", to);
    return StorageResult::success();
}

} // namespace SafeWrite
