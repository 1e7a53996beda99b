#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// Finding a listing by part of its web site or user name; passwords are
// never searched.
namespace ListingSearch {

// What is searched for: the typed text trimmed of spaces, as every entry
// of the program is. Empty means nothing to search for.
QString searchText(const QString& typed);

// The two searched fields of the listing in a row, as the grid holds them.
struct Fields {
    QStringView site;
    QStringView user;
};
using FieldsOf = std::function<Fields(int row)>;

// The column (1 web site, 2 user name) whose text holds text, ignoring
// case and anything after a NUL; 0 when neither does.
int matchingColumn(const Fields& fields, QStringView text);

struct Found {
    int row;
    int column;
};

// The first listing after row current among rows 1 to count whose web site
// or user name holds text, wrapping past the end (current itself comes
// last); row 1 first when current is no listing row. Nothing when text is
// empty or no listing holds it.
std::optional<Found> findNext(QStringView text, int count, int current, const FieldsOf& fieldsOf);

} // namespace ListingSearch
