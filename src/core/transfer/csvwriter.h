#pragma once

#include "core/listings/listing.h"
#include "core/storage/secretbytes.h"

#include <QList>
#include <QStringView>

// A list as CSV, the text spreadsheets and other programs read (RFC 4180):
// the header row "site,username,password", then a row for each listing;
// a field is quoted when it holds a comma, a quote, a line break or a space
// at either end, its quotes doubled; every row ends with CRLF; UTF-8 with no
// byte-order mark.
namespace CsvWriter {

inline constexpr char kHeader[] = "site,username,password";

// Whether field is written between quotes.
bool needsQuotes(QStringView field);

// The whole list as CSV, in memory that is wiped when let go. A listing of
// the list file (one without an id) is written without its pad spaces.
SecretBytes write(const QList<Listing>& listings);

} // namespace CsvWriter
