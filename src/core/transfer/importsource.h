#pragma once

#include "core/transfer/csvreader.h"
#include "core/transfer/importformats.h"

#include <QByteArrayView>
#include <QString>

// A file picked for import, read and known by its header row; it is only
// ever read.
namespace ImportSource {

struct Source {
    CsvReader::Table table; // the header row first
    ImportFormats::Recognised recognised;
    // Why the file cannot be imported, to follow its name; empty when it
    // can.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Bigger than any list of log-ins: refused before it is read.
inline constexpr qint64 kMaxBytes = 256LL * 1024 * 1024;

Source examine(QByteArrayView bytes);
Source readFile(const QString& path);

} // namespace ImportSource
