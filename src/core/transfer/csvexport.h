#pragma once

#include "core/listings/listing.h"
#include "core/storage/datafolder.h"
#include "core/storage/storageresult.h"

#include <QList>
#include <QString>

// Tools -> Export...: the one file the program writes with passwords in
// clear, and only when the user asks for it.
namespace CsvExport {

// Writes listings as CSV to path, whole and in one step, in a file readable
// by its owner only from its creation on; a link at path is replaced, never
// followed. On a fault nothing partial is left, an existing file at path
// stays, and the result names path.
StorageResult write(const QString& path, const QList<Listing>& listings);

// The program's own folder that path would put the export in, or nothing:
// the data folder, or a folder a data file's link leads to (a synced
// folder), or one inside them. Links are followed on both sides: in the
// folders of path, and at path itself.
QString ownFolderHolding(const DataFolder& folder, const QString& path);

} // namespace CsvExport
