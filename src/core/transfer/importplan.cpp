#include "core/transfer/importplan.h"

#include "core/listings/listfile.h"
#include "core/storage/ansi.h"
#include "core/storage/textutil.h"
#include "core/storage/vaultpayload.h"

#include <QHash>
#include <QSet>

namespace ImportPlan {
namespace {

// A listing's three fields, as views: the duplicates are found without a
// copy of any password.
struct Fields {
    QStringView site;
    QStringView user;
    QStringView password;
    friend bool operator==(const Fields&, const Fields&) = default;
};

size_t qHash(const Fields& fields, size_t seed = 0)
{
    return qHashMulti(seed, fields.site, fields.user, fields.password);
}

// The first address of a field that may hold several, one per line or
// separated by commas.
QStringView firstAddress(QStringView value)
{
    for (const QStringView part : value.tokenize(u'\n')) {
        for (const QStringView address : part.tokenize(u',')) {
            if (const QStringView trimmed = address.trimmed(); !trimmed.isEmpty())
                return trimmed;
        }
    }
    return {};
}

// part of field (all of it unless told) without the spaces at its ends; the
// field's own text, shared, when nothing is cut.
QString trimmedPart(const QString& field, QStringView part)
{
    const QStringView trimmed = TrimSpacesView(part);
    return trimmed.size() == field.size() ? field : trimmed.toString();
}

QString trimmedPart(const QString& field)
{
    return trimmedPart(field, field);
}

QString fieldReason(const QString& value, const QString& field, int limit, ListingRules::Format format)
{
    if (format == ListingRules::Format::Sealed) {
        const qsizetype bytes = value.toUtf8().size();
        return bytes > limit ? QStringLiteral("%1 longer than %2 bytes").arg(field).arg(limit) : QString();
    }
    if (value.size() > limit)
        return QStringLiteral("%1 longer than %2 characters").arg(field).arg(limit);
    if (const auto bad = Ansi::firstUnencodable(value))
        return QStringLiteral("%1 holds \"%2\", which is not in Windows-1252").arg(field, *bad);
    return {};
}

// Why the list's format cannot hold the listing, in a few words.
QString reasonFor(const Listing& listing, ListingRules::Format format)
{
    const bool sealed = format == ListingRules::Format::Sealed;
    const struct {
        const QString& value;
        const char* field;
        int limit;
    } fields[] = {
        {listing.site, "site", int(sealed ? VaultPayload::kMaxSiteBytes : ListFile::kSiteLength)},
        {listing.user, "user name", int(sealed ? VaultPayload::kMaxUserBytes : ListFile::kUserLength)},
        {listing.password, "password", int(sealed ? VaultPayload::kMaxPasswordBytes : ListFile::kPasswordLength)},
    };
    for (const auto& f : fields) {
        if (QString reason = fieldReason(f.value, QString::fromLatin1(f.field), f.limit, format); !reason.isEmpty())
            return reason;
    }
    return {};
}

} // namespace

Plan make(const QList<CsvReader::Record>& records, const ImportFormats::Mapping& mapping, const QList<Listing>& current,
          ListingRules::Format format)
{
    Plan plan;
    if (records.isEmpty())
        return plan;
    const QStringList& header = records.front().fields;
    QList<int> notTakenRows(mapping.notTaken.size(), 0);

    QSet<Fields> inList;
    inList.reserve(current.size());
    for (const Listing& listing : current)
        inList.insert({TrimSpacesView(listing.site), TrimSpacesView(listing.user), TrimSpacesView(listing.password)});
    QSet<Fields> inFile;
    inFile.reserve(records.size());
    plan.toAdd.reserve(records.size() - 1);
    const qsizetype room = VaultPayload::kMaxListings - current.size();

    for (qsizetype at = 1; at < records.size(); ++at) {
        const CsvReader::Record& record = records[at];
        static const QString kNone;
        auto field = [&record](int column) -> const QString& {
            return column >= 0 && column < record.fields.size() ? record.fields[column] : kNone;
        };
        auto value = [&field](int column) { return QStringView(field(column)); };
        if (mapping.type >= 0 && value(mapping.type).trimmed().compare(u"login", Qt::CaseInsensitive) != 0) {
            ++plan.notLogins;
            continue;
        }
        for (int k = 0; k < mapping.notTaken.size(); ++k) {
            if (!value(mapping.notTaken[k]).trimmed().isEmpty())
                ++notTakenRows[k];
        }
        const QString& url = field(mapping.url);
        QString site = trimmedPart(url, mapping.severalUrls ? firstAddress(url) : QStringView(url));
        const QStringView title = value(mapping.title);
        if (site.isEmpty())
            site = trimmedPart(field(mapping.title));
        else if (!title.trimmed().isEmpty() && title.trimmed() != site)
            ++plan.titlesLeftOut;
        Listing listing {std::move(site), trimmedPart(field(mapping.user)), trimmedPart(field(mapping.password))};
        if (listing.site.isEmpty() && listing.user.isEmpty() && listing.password.isEmpty()) {
            ++plan.empty;
            continue;
        }
        const Fields fields {listing.site, listing.user, listing.password};
        if (inList.contains(fields)) {
            ++plan.alreadyInList;
            continue;
        }
        if (inFile.contains(fields)) {
            ++plan.repeatedInFile;
            continue;
        }
        if (!ListingRules::refusal(listing.site, listing.user, listing.password, format).isEmpty()) {
            QString reason = reasonFor(listing, format);
            if (reason.isEmpty())
                reason =
                    ListingRules::refusal(listing.site, listing.user, listing.password, format).section(u'\r', 0, 0);
            plan.refused.append({record.line, listing.site, reason});
            continue;
        }
        if (plan.toAdd.size() >= room) {
            plan.refused.append({record.line, listing.site, QStringLiteral("the list is full (1,000,000 listings)")});
            continue;
        }
        plan.toAdd.append(std::move(listing));
        // The view into the appended listing: its text stays where it is.
        const Listing& added = plan.toAdd.back();
        inFile.insert({added.site, added.user, added.password});
    }

    for (int k = 0; k < mapping.notTaken.size(); ++k)
        plan.notTaken.append({header.value(mapping.notTaken[k]).trimmed(), notTakenRows[k]});
    if (mapping.url >= 0 && mapping.title >= 0 && plan.titlesLeftOut > 0)
        plan.notTaken.append({header.value(mapping.title).trimmed(), plan.titlesLeftOut});
    return plan;
}

} // namespace ImportPlan
