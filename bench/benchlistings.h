#pragma once

#include "core/listings/listfile.h"

#include <QByteArray>
#include <QList>

// The listings the benchmarks save, load and search: count of them, each
// unlike the others, of typical lengths.
inline QList<Listing> MakeListings(int count)
{
    QList<Listing> listings;
    listings.reserve(count);
    for (int n = 1; n <= count; ++n) {
        listings.append({QStringLiteral("www.example-site-%1.com").arg(n), QStringLiteral("user.name.%1").arg(n),
                         QStringLiteral("pw!%1").arg(n)});
    }
    return listings;
}

// A CSV export of rows log-ins with a note each, about 200 bytes a row
// (50,000 rows: 10 MB), lines ending in CRLF.
inline QByteArray MakeCsvExport(int rows)
{
    QByteArray bytes = "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,"
                       "login_totp\r\n";
    bytes.reserve(qsizetype(rows) * 220);
    const QByteArray notes(120, 'n');
    for (int row = 1; row <= rows; ++row) {
        const QByteArray n = QByteArray::number(row);
        bytes += "Work,,login,Site " + n + ",\"" + notes + "\",,0,https://www.example-site-" + n
                 + ".com/login,user.name." + n + ",\"pw\"\"!" + n + "\",\r\n";
    }
    return bytes;
}
