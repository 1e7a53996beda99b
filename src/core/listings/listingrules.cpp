#include "core/listings/listingrules.h"

#include "core/listings/listfile.h"
#include "core/storage/ansi.h"
#include "core/storage/vaultpayload.h"

namespace ListingRules {
namespace {

QString fieldRefusal(const QString& value, const QString& field, int limit)
{
    // A NUL would end the field where it stands at the next load.
    if (value.contains(QChar(0)))
        return QStringLiteral("The %1 cannot hold the character NUL.\rPlease remove it.").arg(field);
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

QString sealedRefusal(const QString& value, const QString& field, qsizetype limit)
{
    if (value.contains(QChar(0)))
        return QStringLiteral("The %1 cannot hold the character NUL.\rPlease remove it.").arg(field);
    const qsizetype bytes = value.toUtf8().size();
    if (bytes > limit) {
        return QStringLiteral("The %1 can be at most %2 bytes long in UTF-8 (as many letters of the Latin alphabet, "
                              "fewer of other scripts); this one has %3.\rPlease shorten it.")
            .arg(field)
            .arg(limit)
            .arg(bytes);
    }
    return {};
}

} // namespace

QString caption()
{
    return QStringLiteral("Listing Not Accepted");
}

QString refusal(const QString& site, const QString& user, const QString& password, Format format)
{
    if (format == Format::Sealed) {
        for (const QString& message :
             {sealedRefusal(site, QStringLiteral("Web Site/Program"), VaultPayload::kMaxSiteBytes),
              sealedRefusal(user, QStringLiteral("Username"), VaultPayload::kMaxUserBytes),
              sealedRefusal(password, QStringLiteral("Password"), VaultPayload::kMaxPasswordBytes)}) {
            if (!message.isEmpty())
                return message;
        }
        return {};
    }
    for (const QString& message : {fieldRefusal(site, QStringLiteral("Web Site/Program"), ListFile::kSiteLength),
                                   fieldRefusal(user, QStringLiteral("Username"), ListFile::kUserLength),
                                   fieldRefusal(password, QStringLiteral("Password"), ListFile::kPasswordLength)}) {
        if (!message.isEmpty())
            return message;
    }
    return {};
}

} // namespace ListingRules
