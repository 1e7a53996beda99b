#include "gui/transfer/csvimport.h"

#include "core/session/listsession.h"
#include "core/storage/safewrite.h"
#include "core/storage/secrettext.h"
#include "core/transfer/importplan.h"
#include "core/transfer/importsource.h"
#include "gui/transfer/frm_importmap.h"
#include "gui/transfer/importsummary.h"
#include "gui/ui/msgbox.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>

namespace CsvImport {
namespace {

const QString kImportCaption = QStringLiteral("Import");

QByteArray idOf(const Listing& listing)
{
    return QByteArray(reinterpret_cast<const char*>(listing.stamp.id.data()), ListingStamp::kIdSize);
}

// The listings imported go again: the list is as it was before.
void takeBack(const Target& target, const QList<Listing>& imported)
{
    QSet<QByteArray> ids;
    ids.reserve(imported.size());
    for (const Listing& listing : imported)
        ids.insert(idOf(listing));
    target.session.listings().removeIf([&ids](const Listing& listing) { return ids.contains(idOf(listing)); });
    target.refresh();
}

void offerRemoval(const QString& path, qsizetype added)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (!MsgBox::ask(QStringLiteral("%1 added to your list and saved.\r\r\"%2\" holds every password in clear. "
                                    "Remove it now?")
                         .arg(ImportSummary::counted(added, "listing was", "listings were"), shown),
                     kImportCaption, MsgBox::Default::No))
        return;
    // Through a link, the file it leads to holds the passwords: it goes
    // first, then the link.
    QStringList paths;
    if (const QFileInfo info(path); info.isSymLink() && !info.canonicalFilePath().isEmpty())
        paths.append(info.canonicalFilePath());
    paths.append(path);
    for (const QString& each : paths) {
        if (auto removed = SafeWrite::removeFile(each); !removed) {
            MsgBox::show(QStringLiteral("\"%1\" could not be removed.\r%2\rPlease remove it yourself: it holds "
                                        "every password in clear.")
                             .arg(QDir::toNativeSeparators(each), removed.error),
                         kImportCaption);
            return;
        }
    }
}

} // namespace

bool importFrom(QWidget* parent, const Target& target, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    ImportSource::Source source = ImportSource::readFile(path);
    ImportPlan::Plan plan;
    // What was read from the file holds its passwords: wiped however this
    // ends (texts the list now shares are left to it).
    const auto wipeWhatWasRead = qScopeGuard([&source, &plan] {
        for (CsvReader::Record& record : source.table.records) {
            for (QString& field : record.fields)
                wipeText(field);
        }
        for (Listing& listing : plan.toAdd) {
            wipeText(listing.site);
            wipeText(listing.user);
            wipeText(listing.password);
        }
    });
    if (!source.ok()) {
        MsgBox::show(QStringLiteral("\"%1\" cannot be imported: %2\rNothing was changed.").arg(shown, source.error),
                     kImportCaption);
        return false;
    }
    const QList<CsvReader::Record>& records = source.table.records;
    ImportFormats::Mapping mapping = source.recognised.mapping;
    if (source.recognised.kind == ImportFormats::Kind::Generic) {
        const std::optional<ImportFormats::Mapping> chosen =
            frm_importmap::choose(parent, QFileInfo(path).fileName(), records, source.recognised.mapping);
        if (!chosen)
            return false;
        mapping = *chosen;
    }

    const ListingRules::Format format =
        target.session.holdsAnyText() ? ListingRules::Format::Sealed : ListingRules::Format::ListFile;
    plan = ImportPlan::make(records, mapping, target.session.listings(), format);
    const QString summary =
        ImportSummary::text(plan, format, shown, ImportFormats::describe(records.front().fields, mapping));
    if (plan.toAdd.isEmpty()) {
        MsgBox::show(summary + QStringLiteral("\r\rNothing was added to your list."), kImportCaption);
        return false;
    }
    if (!MsgBox::ask(summary + QStringLiteral("\r\rImport them?"), kImportCaption, MsgBox::Default::Yes))
        return false;

    // Each a listing typed in now, as the add dialog makes one.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    StampAllFresh(plan.toAdd, now);
    target.append(plan.toAdd);
    if (auto saved = target.save(); !saved) {
        if (saved.inPlace) {
            // The file holds the import; only the folder's sync failed.
            MsgBox::show(QStringLiteral("Your list was written with the imported listings, but the change may not "
                                        "be on the disk yet.\r%1\rKeep \"%2\" until the list is saved again.")
                             .arg(saved.error, shown),
                         QStringLiteral("Save Failed"));
            return false;
        }
        takeBack(target, plan.toAdd);
        MsgBox::show(QStringLiteral("Your list could not be saved.\r%1\rNothing was imported: the list is as it was "
                                    "before, and the list file on disk is the last one saved.")
                         .arg(saved.error),
                     QStringLiteral("Save Failed"));
        return false;
    }
    offerRemoval(path, plan.toAdd.size());
    return true;
}

} // namespace CsvImport
