#include "core/transfer/importformats.h"

#include <algorithm>
#include <initializer_list>

namespace ImportFormats {
namespace {

// Bookkeeping columns (times, ids, icons, flags): no user's data is lost
// with them, so the summary does not name them.
bool isBookkeeping(const QString& column)
{
    static const QStringList kNames = {
        QStringLiteral("httprealm"),   QStringLiteral("formactionorigin"), QStringLiteral("guid"),
        QStringLiteral("timecreated"), QStringLiteral("timelastused"),     QStringLiteral("timepasswordchanged"),
        QStringLiteral("icon"),        QStringLiteral("last modified"),    QStringLiteral("created"),
        QStringLiteral("favorite"),    QStringLiteral("reprompt"),         QStringLiteral("reminder"),
    };
    return kNames.contains(column);
}

class Header {
public:
    explicit Header(const QStringList& header)
    {
        m_names.reserve(header.size());
        for (const QString& column : header)
            m_names.append(column.trimmed().toLower());
    }
    int operator[](const char* column) const { return int(m_names.indexOf(QLatin1String(column))); }
    bool has(std::initializer_list<const char*> columns) const
    {
        return std::all_of(columns.begin(), columns.end(), [this](const char* c) { return (*this)[c] >= 0; });
    }
    // The first column whose name is one of names.
    int firstOf(std::initializer_list<const char*> names) const
    {
        for (const char* column : names) {
            if (const int at = (*this)[column]; at >= 0)
                return at;
        }
        return -1;
    }
    // Every column the mapping does not take and that holds more than
    // bookkeeping.
    void fillNotTaken(Mapping& mapping) const
    {
        for (int column = 0; column < m_names.size(); ++column) {
            const bool taken = column == mapping.url || column == mapping.title || column == mapping.user
                               || column == mapping.password || column == mapping.type;
            if (!taken && !m_names[column].isEmpty() && !isBookkeeping(m_names[column]))
                mapping.notTaken.append(column);
        }
    }

private:
    QStringList m_names;
};

} // namespace

Recognised recognise(const QStringList& header)
{
    const Header h(header);
    Recognised found;
    Mapping& m = found.mapping;
    if (h.has({"type", "name", "login_uri", "login_username", "login_password"})) {
        found.kind = Kind::TypedItems;
        m = {h["login_uri"], h["name"], h["login_username"], h["login_password"], h["type"], true, {}};
    } else if (h.has({"group", "title", "username", "password", "url"})) {
        found.kind = Kind::TitledEntries;
        m = {h["url"], h["title"], h["username"], h["password"], -1, false, {}};
    } else if (h.has({"url", "username", "password", "httprealm"})) {
        found.kind = Kind::RealmLogins;
        m = {h["url"], -1, h["username"], h["password"], -1, false, {}};
    } else if (h.has({"name", "url", "username", "password"})) {
        found.kind = Kind::NamedLogins;
        m = {h["url"], h["name"], h["username"], h["password"], -1, false, {}};
    } else if (header.size() == 3 && h.has({"site", "username", "password"})) {
        // What Export writes: a listing back in, as it was.
        found.kind = Kind::OwnExport;
        m = {h["site"], -1, h["username"], h["password"], -1, false, {}};
    } else {
        // A guess the user sees, and changes, in the mapping dialog.
        found.kind = Kind::Generic;
        m.url = h.firstOf({"url", "site", "website", "web site", "login_uri", "uri", "address", "title", "name"});
        m.user = h.firstOf({"username", "user name", "user", "login", "login_username", "email", "e-mail"});
        m.password = h.firstOf({"password", "pass", "login_password", "passwort", "mot de passe"});
    }
    h.fillNotTaken(m);
    return found;
}

QString describe(const QStringList& header, const Mapping& mapping)
{
    auto column = [&header](int at) { return QStringLiteral("\"%1\"").arg(header.value(at).trimmed()); };
    QString site;
    if (mapping.url >= 0 && mapping.title >= 0)
        site = QStringLiteral("site from %1 (or %2 when it is empty)").arg(column(mapping.url), column(mapping.title));
    else if (mapping.url >= 0 || mapping.title >= 0)
        site = QStringLiteral("site from %1").arg(column(std::max(mapping.url, mapping.title)));
    else
        site = QStringLiteral("no site");
    if (mapping.severalUrls && mapping.url >= 0)
        site += QStringLiteral(", the first of several addresses");
    return QStringLiteral("%1, user name from %2, password from %3")
        .arg(site, mapping.user >= 0 ? column(mapping.user) : QStringLiteral("nowhere"),
             mapping.password >= 0 ? column(mapping.password) : QStringLiteral("nowhere"));
}

Mapping chosen(const QStringList& header, int site, int user, int password)
{
    Mapping mapping;
    mapping.url = site;
    mapping.user = user;
    mapping.password = password;
    Header(header).fillNotTaken(mapping);
    return mapping;
}

} // namespace ImportFormats
