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

} // namespace

StorageResult readField(const QString& plainPath, QString* field)
{
    QFile file(plainPath);
    if (!file.open(QIODevice::ReadOnly))
        return StorageResult::fileFault(QStringLiteral("read"), plainPath, file.errorString());
    QByteArray bytes = file.read(kFieldLength);
    if (file.error() != QFileDevice::NoError)
        return StorageResult::fileFault(QStringLiteral("read"), plainPath, file.errorString());
    bytes.append(kFieldLength - bytes.size(), '\0');
    *field = Ansi::decode(bytes);
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
        *password = TrimSpaces(StripNul(field));
    return result;
}

StorageResult peekStoredPassword(QString* password)
{
    const bool plainLeft = QFileInfo(Module1::PasswordFilePlainPath).isFile();
    QFile file(plainLeft ? Module1::PasswordFilePlainPath : Module1::PasswordFilePath);
    QByteArray bytes;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return StorageResult::fileFault(QStringLiteral("read"), file.fileName(), file.errorString());
        bytes = file.read(kFieldLength);
        if (!plainLeft) {
            const auto key = Ansi::encode(Module1::PasswordFileKey);
            bytes = CipherBytes(bytes, key.value_or(QByteArray()));
        }
    }
    bytes.append(kFieldLength - bytes.size(), '\0');
    *password = TrimSpaces(StripNul(Ansi::decode(bytes)));
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
