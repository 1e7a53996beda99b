#pragma once

#include "core/listings/listing.h"
#include "core/storage/vault.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// Another version of the list, as bytes another machine (or a sync tool's
// conflict copy) left: opened with the key in memory or with a password
// the user gives for it.
namespace OtherVersion {

struct Opened {
    bool ok = false;
    QList<Listing> listings;
    QList<ListingRemoval> removals;
    // Its listings carry ids: merged by id rather than by content.
    bool sealed = false;
    // The key it opened with, when it was derived from a password.
    std::optional<Vault::Session> key;
};

// A vault sealed under the same key (the same salt, version and password).
Opened openVault(QByteArrayView file, const Vault::Session& key);
// A vault, with a key derived from password for its own header (slow).
Opened openVault(QByteArrayView file, const QString& password);
// A list file under password: only when it deciphers to whole listings
// that look like text, since its cipher cannot tell a wrong password.
Opened openListFile(QByteArrayView file, QStringView password);

} // namespace OtherVersion
