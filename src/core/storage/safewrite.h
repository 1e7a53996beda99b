#pragma once

#include "core/storage/storageresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <functional>

// Changes to files in the data folder: a file is replaced whole and at
// once, or not at all; every rename and removal is made durable by syncing
// the folder (a result's inPlace says the change was made, even when that
// sync failed); a new file is readable by its owner only; and a file or
// folder whose owner-write bit is clear is never changed, whoever runs the
// program.
namespace SafeWrite {

// The steps by which the data folder changes: the points where a run can be
// cut short, and where tests make one fail.
enum class Step { Write, Rename, Remove, SyncFolder };
const char* stepName(Step step);

// Writes all of data to device; false when any byte was not written.
bool writeAll(QIODevice& device, QByteArrayView data);

// Reads all of path into data, in one buffer sized once, so that no
// outgrown copy of a secret is left behind.
StorageResult readFile(const QString& path, QByteArray* data);

// Fine when path may be created or replaced: an existing file, and the
// folder it is in, must have their owner-write bits set.
StorageResult checkWritable(const QString& path);

// Replaces (or creates) path with exactly data, then syncs its folder.
StorageResult replaceFile(const QString& path, QByteArrayView data);

// The same for a file that holds secrets in clear, outside the data folder:
// the new file is readable by its owner only from the moment it exists,
// whatever the file it replaces allowed, and a link at path is replaced
// itself, never followed to write elsewhere. On a fault nothing partial is
// left and an existing file at path stays as it was.
StorageResult replaceFileOwnerOnly(const QString& path, QByteArrayView data);

// Removes path (a path that does not exist is fine), then syncs its folder.
StorageResult removeFile(const QString& path);

// Renames from over to, replacing to, then syncs the folder.
StorageResult renameOver(const QString& from, const QString& to);

// Renames from to to, never overwriting an existing to; syncs the folder.
StorageResult renameNoOverwrite(const QString& from, const QString& to);

// Test seams.
// A write budget makes every write past that many bytes fall short, as on
// a full disk (negative: no limit).
void setWriteBudgetForTesting(qint64 bytes);
// Makes the n-th step from now fail (0: none), and tells whether it did.
void setFailingStepForTesting(int n);
bool failingStepFiredForTesting();
// Told after each finished step, so a test can stop the process there.
using StepHook = std::function<void(Step step, const QString& path)>;
void setStepHookForTesting(StepHook hook);

} // namespace SafeWrite
