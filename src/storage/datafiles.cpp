#include "storage/datafiles.h"

#include "storage/ansi.h"
#include "storage/filecipher.h"
#include "storage/module1.h"
#include "storage/safewrite.h"
#include "storage/textutil.h"

#include <QFile>
#include <QFileInfo>

namespace DataFiles {
namespace {

// Decipher, read the field, encipher again.
StorageResult readCipheredField(const QString& cipheredPath, const QString& plainPath,
                                const QString& key, QString* field)
{
    if (auto step = Decipher(cipheredPath, key); !step)
        return step;
    if (auto step = readField(plainPath, field); !step)
        return step;
    return Encipher(plainPath, key);
}

StorageResult writeCipheredText(const QString& text, const QString& plainPath, const QString& key)
{
    const auto bytes = Ansi::encode(text);
    if (!bytes)
        return StorageResult::failure(
            QStringLiteral("\"%1\" cannot hold the character \"%2\".")
                .arg(plainPath, *Ansi::firstUnencodable(text)));
    // The plain twin is complete before the ciphered file is replaced.
    if (auto step = SafeWrite::replaceFile(plainPath, *bytes); !step)
        return step;
    if (auto step = Encipher(plainPath, key); !step) {
        SafeWrite::removeFile(plainPath);
        return step;
    }
    return StorageResult::success();
}

// The stored password in a 25-character field.
QString passwordOf(const QString& field)
{
    return TrimSpaces(StripNul(field));
}

// The first 25 bytes as characters; positions past the end read as NUL.
QString fieldOf(QByteArray bytes)
{
    bytes.truncate(kFieldLength);
    bytes.append(kFieldLength - bytes.size(), '\0');
    return Ansi::decode(bytes);
}

} // namespace

StorageResult readField(const QString& plainPath, QString* field)
{
    QFile file(plainPath);
    if (!file.open(QIODevice::ReadOnly))
        return StorageResult::fileFault(QStringLiteral("read"), plainPath, file.errorString());
    const QByteArray bytes = file.read(kFieldLength);
    if (file.error() != QFileDevice::NoError)
        return StorageResult::fileFault(QStringLiteral("read"), plainPath, file.errorString());
    *field = fieldOf(bytes);
    return StorageResult::success();
}

StorageResult readStartupRecord(QString* record)
{
    QString field;
    auto result = readCipheredField(Module1::StartupFilePath, Module1::StartupFilePlainPath,
                                    Module1::StartupKey, &field);
    if (result)
        *record = StripNul(field);
    return result;
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

StorageResult writeStartupRecord(const QString& record)
{
    return writeCipheredText(record, Module1::StartupFilePlainPath, Module1::StartupKey);
}

StorageResult readStoredPassword(QString* password)
{
    QString field;
    auto result = readCipheredField(Module1::PasswordFilePath, Module1::PasswordFilePlainPath,
                                    Module1::PasswordFileKey, &field);
    if (result)
        *password = passwordOf(field);
    return result;
}

StorageResult peekStoredPassword(QString* password)
{
    const bool plainLeft = QFileInfo(Module1::PasswordFilePlainPath).isFile();
    const QString path = plainLeft ? Module1::PasswordFilePlainPath : Module1::PasswordFilePath;
    QByteArray bytes;
    if (QFileInfo::exists(path)) {
        if (auto read = SafeWrite::readFile(path, &bytes); !read)
            return read;
        if (!plainLeft)
            bytes = CipherBytes(bytes.left(kFieldLength), Ansi::encode(Module1::PasswordFileKey).value_or(QByteArray()));
    }
    *password = passwordOf(fieldOf(bytes));
    return StorageResult::success();
}

StorageResult writePasswordFile(const QString& password, PasswordLayout layout)
{
    const QString text = layout == PasswordLayout::PaddedTo25
                             ? password.leftJustified(kFieldLength, QLatin1Char(' '), true)
                             : password;
    return writeCipheredText(text, Module1::PasswordFilePlainPath, Module1::PasswordFileKey);
}

} // namespace DataFiles
