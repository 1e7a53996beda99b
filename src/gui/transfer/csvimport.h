#pragma once

#include "core/listings/listing.h"
#include "core/storage/storageresult.h"

#include <QList>
#include <QString>

#include <functional>

class ListSession;
class QWidget;

// Tools -> Import...: listings from a CSV file that another program or a
// spreadsheet wrote, added to the open list in one save. The file is only
// read; once the import is saved the user is offered its removal.
namespace CsvImport {

// What the listing window lends the import.
struct Target {
    ListSession& session;
    // Shows listings appended to the session's as rows of the grid.
    std::function<void(const QList<Listing>&)> append;
    // Writes the list the usual way (the grid follows any merge).
    std::function<StorageResult()> save;
    // The grid shows the session's listings again after they changed
    // behind it.
    std::function<void()> refresh;
};

// Imports the file at path into target; true once the listings are saved.
bool importFrom(QWidget* parent, const Target& target, const QString& path);

} // namespace CsvImport
