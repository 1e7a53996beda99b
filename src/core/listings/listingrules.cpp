#include "core/listings/listingrules.h"

#include "core/listings/listfile.h"
#include "core/storage/ansi.h"

namespace ListingRules {
namespace {

QString fieldRefusal(const QString& value, const QString& field, int limit)
{
    if (value.size() > limit) {
        return QStringLiteral("The %1 can be at most %2 characters long; this one has %3.\r"
                              "Please shorten it.")
            .arg(field)
            .arg(limit)
            .arg(value.size());
    }
    if (const auto bad = Ansi::firstUnencodable(value)) {
        return QStringLiteral("The %1 cannot hold the character \"%2\".\rPlease use another character.")
            .arg(field, *bad);
    }
    return {};
}

} // namespace

QString caption()
{
    return QStringLiteral("Listing Not Accepted");
}

QString refusal(const QString& site, const QString& user, const QString& password)
{
    for (const QString& message : {fieldRefusal(site, QStringLiteral("Web Site/Program"), ListFile::kSiteLength),
                                   fieldRefusal(user, QStringLiteral("Username"), ListFile::kUserLength),
                                   fieldRefusal(password, QStringLiteral("Password"), ListFile::kPasswordLength)}) {
        if (!message.isEmpty())
            return message;
    }
    return {};
}

} // namespace ListingRules
