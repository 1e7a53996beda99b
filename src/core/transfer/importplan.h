#pragma once

#include "core/listings/listing.h"
#include "core/listings/listingrules.h"
#include "core/transfer/csvreader.h"
#include "core/transfer/importformats.h"

#include <QList>
#include <QString>

// What importing a read CSV table would do to the list, decided before
// anything changes: a pure function of the table, the mapping of its
// columns, the list's listings and the format the list is kept in.
namespace ImportPlan {

// A row the list's format cannot hold.
struct Refused {
    int line = 0; // the file's line the row begins on
    QString site;
    QString reason; // which field, and why
};

// A column the list has no place for, and how many rows held a value in it.
struct NotTaken {
    QString column;
    int rows = 0;
};

struct Plan {
    QList<Listing> toAdd; // trimmed, without stamps
    int alreadyInList = 0; // equal in all three fields to a listing of the list
    int repeatedInFile = 0; // equal to a row earlier in the file
    int notLogins = 0; // rows whose type is not "login"
    int empty = 0; // rows with site, user name and password all empty
    QList<Refused> refused;
    QList<NotTaken> notTaken;
    // A row whose title was left out because its web address became the
    // site, counted under the title's column.
    int titlesLeftOut = 0;
};

// records: the header row first. The site is the web address when there
// is one (the first of several where the mapping says so), else the title.
Plan make(const QList<CsvReader::Record>& records, const ImportFormats::Mapping& mapping, const QList<Listing>& current,
          ListingRules::Format format);

} // namespace ImportPlan
