#include "core/storage/storageresult.h"

#include <QDir>

StorageResult StorageResult::fileFault(const QString& action, const QString& path, const QString& reason)
{
    return failure(QStringLiteral("Could not %1 \"%2\": %3.").arg(action, QDir::toNativeSeparators(path), reason));
}
