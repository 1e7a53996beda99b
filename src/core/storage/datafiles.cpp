#include "core/storage/datafiles.h"

#include "core/storage/ansi.h"
#include "core/storage/filecipher.h"
#include "core/storage/safewrite.h"
#include "core/storage/secrettext.h"
#include "core/storage/textutil.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace DataFiles {

StorageResult readPlainAt(const QString& path, QByteArrayView key, SecretBytes* plain)
{
    if (!QFileInfo::exists(path)) {
        *plain = SecretBytes();
        return StorageResult::success();
    }
    QByteArray ciphered;
    if (auto read = SafeWrite::readFile(path, &ciphered); !read)
        return read;
    if (key.isEmpty() && !ciphered.isEmpty())
        return StorageResult::failure(QStringLiteral("Could not read \"%1\": the key is empty.").arg(path));
    // Deciphered where it was read: a large list needs no second buffer.
    *plain = SecretBytes::adopt(std::move(ciphered));
    DecipherInPlace(*plain, key);
    return StorageResult::success();
}

StorageResult readPlain(const DataFile& file, QByteArrayView key, SecretBytes* plain)
{
    if (QFileInfo(file.leftoverPlainPath).isFile()) {
        QByteArray bytes;
        if (auto read = SafeWrite::readFile(file.leftoverPlainPath, &bytes); !read)
            return read;
        *plain = SecretBytes::adopt(std::move(bytes));
        return StorageResult::success();
    }
    return readPlainAt(file.path, key, plain);
}

StorageResult writePlain(const DataFile& file, QByteArrayView plain, QByteArrayView key)
{
    if (key.isEmpty() && !plain.isEmpty())
        return StorageResult::failure(QStringLiteral("Could not write \"%1\": the key is empty.").arg(file.path));
    return SafeWrite::replaceFile(file.path, Encipher(plain, key));
}

StorageResult adoptLeftoverPlain(const DataFile& file, QByteArrayView key, QString* backupPath)
{
    if (backupPath)
        backupPath->clear();
    // A folder of that name is nobody's plain file.
    if (!QFileInfo(file.leftoverPlainPath).isFile())
        return StorageResult::success();
    QByteArray bytes;
    if (auto read = SafeWrite::readFile(file.leftoverPlainPath, &bytes); !read)
        return read;
    const SecretBytes plain = SecretBytes::adopt(std::move(bytes));
    if (auto writable = SafeWrite::checkWritable(file.path); !writable)
        return writable;
    if (QFileInfo::exists(file.path)) {
        const QString backup = file.backupPath(QDateTime::currentDateTime());
        if (auto kept = SafeWrite::renameNoOverwrite(file.path, backup); !kept)
            return kept;
        if (backupPath)
            *backupPath = backup;
    }
    if (auto written = writePlain(file, plain.bytes(), key); !written)
        return written;
    return SafeWrite::removeFile(file.leftoverPlainPath);
}

QString fieldOf(QByteArrayView plain)
{
    QByteArray field(kFieldLength, '\0');
    const qsizetype length = std::min<qsizetype>(plain.size(), kFieldLength);
    std::copy_n(plain.data(), length, field.data());
    QString text = Ansi::decode(field);
    SecretBytes::adopt(std::move(field)).wipe();
    return text;
}

StorageResult readStartupRecord(const DataFolder& folder, QString* record)
{
    SecretBytes plain;
    if (auto read = readPlain(folder.startup, folder.startupKey, &plain); !read)
        return read;
    *record = StripNul(fieldOf(plain.bytes()));
    return StorageResult::success();
}

bool hasFirstRunMarker(const QString& record)
{
    return record.size() >= 9 && record.mid(6, 3).toUpper() == QLatin1String("TKY");
}

QString withMarkerCleared(const QString& record)
{
    QString cleared = record;
    cleared.replace(6, 3, QStringLiteral("nty"));
    return cleared;
}

StorageResult writeStartupRecord(const DataFolder& folder, const QString& record)
{
    const auto bytes = Ansi::encode(record);
    if (!bytes)
        return StorageResult::failure(QStringLiteral("The start-up record holds a character that cannot be stored."));
    return writePlain(folder.startup, *bytes, folder.startupKey);
}

bool storedPasswordIs(const DataFolder& folder, QStringView candidate)
{
    QString stored;
    const bool same = readStoredPassword(folder, &stored) && !stored.isEmpty() && stored == candidate;
    wipeText(stored);
    return same;
}

StorageResult readStoredPassword(const DataFolder& folder, QString* password)
{
    SecretBytes plain;
    if (auto read = readPlain(folder.password, folder.passwordFileKey, &plain); !read)
        return read;
    QString stored = TrimSpaces(StripNul(fieldOf(plain.bytes())));
    // No password the program stores holds a control character: the file
    // was changed, and a wrong-password message would mislead.
    if (std::any_of(stored.cbegin(), stored.cend(), [](QChar c) { return c.unicode() < 0x20; })) {
        stored.fill(QChar(0));
        return StorageResult::failure(
            QStringLiteral("The master-password file \"%1\" is damaged: the password it holds contains a control "
                           "character.\rNothing was changed.")
                .arg(QDir::toNativeSeparators(folder.password.shownPath)));
    }
    *password = stored;
    stored.fill(QChar(0));
    return StorageResult::success();
}

StorageResult passwordFileBytes(const QString& password, PasswordLayout layout, SecretBytes* plain)
{
    const QString text =
        layout == PasswordLayout::PaddedTo25 ? password.leftJustified(kFieldLength, QLatin1Char(' '), true) : password;
    auto bytes = Ansi::encode(text);
    if (!bytes)
        return StorageResult::failure(
            QStringLiteral("The master password cannot hold the character \"%1\".").arg(*Ansi::firstUnencodable(text)));
    *plain = SecretBytes::adopt(std::move(*bytes));
    return StorageResult::success();
}

} // namespace DataFiles
