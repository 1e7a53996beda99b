#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The CSV files whose header row is known, and which columns of a row make
// a listing.
namespace ImportFormats {

enum class Kind {
    TitledEntries, // Group,Title,Username,Password,URL,Notes,...
    TypedItems, // folder,favorite,type,name,notes,fields,...,login_uri,login_username,login_password,login_totp
    NamedLogins, // name,url,username,password,...
    RealmLogins, // url,username,password,httpRealm,...
    OwnExport, // site,username,password: this program's export, taken as written
    Generic, // any other header: the user maps the columns
};

// Column indexes (-1: none).
struct Mapping {
    int url = -1; // the site when it holds a value
    int title = -1; // the site otherwise
    int user = -1;
    int password = -1;
    int type = -1; // a row is a log-in only when this column says "login"
    bool severalUrls = false; // the url column may hold several: the first is taken
    // Columns whose values the list has no place for: the summary says
    // how many rows held one.
    QList<int> notTaken;
};

struct Recognised {
    Kind kind = Kind::Generic;
    Mapping mapping; // for a Generic file: a guess from the column names
};

// The header names compare trimmed and without regard to case.
Recognised recognise(const QStringList& header);

// The names of the columns a mapping takes, for the user: "site from
// \"URL\" (or \"Title\" when it is empty), ...".
QString describe(const QStringList& header, const Mapping& mapping);

// A mapping the user chose for a Generic file (site may be -1); every
// other column is not taken.
Mapping chosen(const QStringList& header, int site, int user, int password);

} // namespace ImportFormats
