#include "core/masterpassword/strongsetup.h"

#include "core/listings/listfile.h"
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/storage/safewrite.h"
#include "core/storage/secretbytes.h"

#include <QDateTime>
#include <QFileInfo>

namespace StrongSetup {
namespace {

QString shownName(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace

Outcome commit(const DataFolder& folder, const QString& password, Vault::Session* session)
{
    Outcome outcome;
    // Whatever is at the vault's place, a link or a read-only described
    // file: the same refusals as turning strong protection on.
    if (outcome.result = StrongProtection::refusalToTurnOn(folder); !outcome.result)
        return outcome;

    const QString& leftoverPath = folder.list.leftoverPlainPath;
    QString leftoverDamage;
    const bool hasLeftover = QFileInfo(leftoverPath).isFile();
    if (hasLeftover) {
        QByteArray bytes;
        if (outcome.result = SafeWrite::readFile(leftoverPath, &bytes); !outcome.result)
            return outcome;
        const SecretBytes plain = SecretBytes::adopt(std::move(bytes));
        leftoverDamage = ListFile::damageOf(plain.bytes());
        outcome.listings = ListFile::parse(plain.bytes());
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (Listing& listing : outcome.listings)
            StampIfNew(listing, now);
    }

    auto fresh = StrongProtection::newSession(password);
    if (!fresh) {
        outcome.result = StrongProtection::noKey();
        return outcome;
    }
    // Only the folder's sync comes after the rename: the vault is in place
    // all the same, and that is what counts here.
    if (const StorageResult saved = VaultList::save(folder, *fresh, outcome.listings); !saved.inPlace) {
        outcome.result = saved;
        return outcome;
    }
    outcome.on = true;
    outcome.result = StorageResult::success();
    *session = std::move(*fresh);

    // Nothing weaker goes before the vault is complete and synced.
    QStringList notes;
    if (hasLeftover) {
        const QString name = shownName(leftoverPath);
        if (!leftoverDamage.isEmpty())
            notes.append(QStringLiteral("\"%1\", a list an earlier version left unprotected, was sealed into your new "
                                        "list as far as it could be read (%2). The file stays as found: remove it "
                                        "once you have checked your list.")
                             .arg(name, leftoverDamage));
        else if (auto removed = SafeWrite::removeFile(leftoverPath); removed)
            notes.append(QStringLiteral("\"%1\", a list an earlier version left unprotected, was sealed into your new "
                                        "list and removed.")
                             .arg(name));
        else
            notes.append(QStringLiteral("\"%1\", a list an earlier version left unprotected, was sealed into your new "
                                        "list, but could not be removed (%2).")
                             .arg(name, removed.error));
    }
    const QFileInfo listFile(folder.list.path);
    if (listFile.isFile() && listFile.size() == 0)
        SafeWrite::removeFile(folder.list.path);
    const StrongProtection::PairMoved pair = StrongProtection::movePairAside(folder);
    if (!pair.moved.isEmpty() || !pair.stayed.isEmpty()) {
        QString text = QStringLiteral("Files of the earlier format were already here. They open only with their own "
                                      "master password and are not part of your new list:");
        if (!pair.moved.isEmpty())
            text += QStringLiteral(" kept %1.").arg(pair.moved.join(QStringLiteral(" and ")));
        if (!pair.stayed.isEmpty())
            text += QLatin1Char(' ') + pair.stayed.join(QStringLiteral("; ")) + QLatin1Char('.');
        notes.append(text);
        outcome.weakCopiesKept = !pair.moved.isEmpty();
    }
    outcome.note = notes.join(QStringLiteral("\r\r"));
    return outcome;
}

} // namespace StrongSetup
