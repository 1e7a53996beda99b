#include "core/transfer/importsource.h"

#include "core/storage/secretbytes.h"

#include <QFile>
#include <QFileInfo>

namespace ImportSource {

Source examine(QByteArrayView bytes)
{
    Source source;
    if (bytes.isEmpty()) {
        source.error = QStringLiteral("it is empty.");
        return source;
    }
    source.table = CsvReader::read(bytes);
    if (!source.table.ok()) {
        source.error = QStringLiteral("it is not a CSV file. %1").arg(source.table.error);
        return source;
    }
    if (source.table.records.isEmpty()) {
        source.error = QStringLiteral("it holds no header row, only empty lines.");
        return source;
    }
    if (source.table.records.front().fields.size() < 2) {
        source.error = QStringLiteral("it is not a CSV file: its first line is not a header row of several columns "
                                      "separated by commas or semicolons.");
        source.table.records.clear();
        return source;
    }
    source.recognised = ImportFormats::recognise(source.table.records.front().fields);
    return source;
}

Source readFile(const QString& path)
{
    Source source;
    // A device or a pipe has no size to check and may never end.
    if (const QFileInfo info(path); info.exists() && !info.isFile()) {
        source.error = QStringLiteral("it is not a file.");
        return source;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        source.error = QStringLiteral("it cannot be read (%1).").arg(file.errorString());
        return source;
    }
    if (file.size() > kMaxBytes) {
        source.error =
            QStringLiteral("it is larger than %1 MB, too large for a list of log-ins.").arg(kMaxBytes / (1024 * 1024));
        return source;
    }
    // Read whole into memory that is wiped: it holds every password.
    const SecretBytes bytes = SecretBytes::adopt(file.read(kMaxBytes + 1));
    if (bytes.bytes().size() > kMaxBytes) {
        source.error =
            QStringLiteral("it is larger than %1 MB, too large for a list of log-ins.").arg(kMaxBytes / (1024 * 1024));
        return source;
    }
    if (file.error() != QFileDevice::NoError) {
        source.error = QStringLiteral("it cannot be read (%1).").arg(file.errorString());
        return source;
    }
    return examine(bytes);
}

} // namespace ImportSource
