#pragma once

#include "storage/storageresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <functional>

// Safe replacement of data files: a target is replaced whole and at once, or
// not at all, and a new data file is readable by its owner only.
namespace SafeWrite {

// Writes all of data to device; false when any byte was not written.
bool writeAll(QIODevice& device, QByteArrayView data);

// Reads all of path into data.
StorageResult readFile(const QString& path, QByteArray* data);

// Replaces (or creates) path with exactly data, atomically.
StorageResult replaceFile(const QString& path, const QByteArray& data);

// Removes path; a path that does not exist is fine.
StorageResult removeFile(const QString& path);

// Renames from to to; never overwrites an existing to.
StorageResult renameNoOverwrite(const QString& from, const QString& to);

// Test seams. A write budget makes every write past that many bytes fall
// short, as on a full disk (negative: no limit). The step hook is told after
// each write, rename and delete, so a test can stop the process there.
void setWriteBudgetForTesting(qint64 bytes);
// Makes the n-th file replacement from now on fall short, or the n-th
// deletion fail (0: none).
void setFailingReplacementForTesting(int n);
void setFailingRemovalForTesting(int n);
using StepHook = std::function<void(const QString& step, const QString& path)>;
void setStepHookForTesting(StepHook hook);

} // namespace SafeWrite
