#include "storage/filecipher.h"

#include "storage/ansi.h"
#include "storage/safewrite.h"

#include <QFileInfo>

QByteArray CipherBytes(QByteArrayView data, QByteArrayView key)
{
    QByteArray out(data.size(), Qt::Uninitialized);
    if (data.isEmpty())
        return out;
    const qsizetype keyLength = key.size();
    char* target = out.data();
    qsizetype c = 0; // zero-based key position; the operand uses c + 1
    for (qsizetype b = 0; b < data.size(); ++b) {
        const uchar operand = uchar(uchar(key[c]) + c + 1);
        target[b] = char(uchar(data[b]) ^ operand);
        if (++c == keyLength)
            c = 0;
    }
    return out;
}

namespace {

QString withExtension(const QString& path, const QString& extension)
{
    // Only the file name's four-character extension changes, never a dot
    // elsewhere in the folder names.
    return path.left(path.size() - 4) + extension;
}

StorageResult transform(const QString& sourcePath, const QString& targetPath, const QString& key)
{
    if (!QFileInfo::exists(sourcePath)) {
        // A missing source reads as an empty one: nothing is written into
        // an existing target.
        if (QFileInfo::exists(targetPath))
            return StorageResult::success();
        return SafeWrite::replaceFile(targetPath, QByteArray());
    }

    QByteArray source;
    if (auto read = SafeWrite::readFile(sourcePath, &source); !read)
        return read;

    const auto keyBytes = Ansi::encode(key);
    if (!keyBytes)
        return StorageResult::failure(
            QStringLiteral("The key of \"%1\" holds a character that cannot be stored.").arg(sourcePath));
    if (keyBytes->isEmpty() && !source.isEmpty())
        return StorageResult::failure(
            QStringLiteral("Could not cipher \"%1\": the key is empty.").arg(sourcePath));

    if (auto written = SafeWrite::replaceFile(targetPath, CipherBytes(source, *keyBytes)); !written)
        return written;
    return SafeWrite::removeFile(sourcePath);
}

} // namespace

QString PlainTwinPath(const QString& cipheredPath)
{
    return withExtension(cipheredPath, QStringLiteral(".end"));
}

QString CipheredTwinPath(const QString& plainPath)
{
    return withExtension(plainPath, QStringLiteral(".ene"));
}

QString FreeBackupPath(const QString& cipheredPath, const QDateTime& when)
{
    const QString stem = cipheredPath.left(cipheredPath.size() - 4);
    QDateTime stamp = when;
    for (;;) {
        const QString candidate = stem + QStringLiteral("-backup-")
                                  + stamp.toString(QStringLiteral("yyyyMMdd-HHmmss"))
                                  + QStringLiteral(".ene");
        if (!QFileInfo::exists(candidate))
            return candidate;
        stamp = stamp.addSecs(1);
    }
}

StorageResult Decipher(const QString& sourcePath, const QString& key)
{
    const QString target = PlainTwinPath(sourcePath);
    if (QFileInfo::exists(sourcePath) && QFileInfo(target).isFile()) {
        // Left by an interrupted run: the plain twin was written last.
        return SafeWrite::renameNoOverwrite(sourcePath,
                                            FreeBackupPath(sourcePath, QDateTime::currentDateTime()));
    }
    return transform(sourcePath, target, key);
}

StorageResult Encipher(const QString& sourcePath, const QString& key)
{
    return transform(sourcePath, CipheredTwinPath(sourcePath), key);
}
