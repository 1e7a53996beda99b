#include "gui/listings/conflictcopies.h"

#include "core/session/listsession.h"
#include "core/session/syncconflicts.h"
#include "core/storage/safewrite.h"
#include "core/storage/secrettext.h"
#include "gui/listings/listio.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/passwordprompt.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace ConflictCopies {
namespace {

const QString kCaption = QStringLiteral("List Merged");

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Opens path with the key in memory, a password file beside it, or a
// password the user gives, and merges it in; nothing when the user gave up.
std::optional<ListSession::Merged> openAndMerge(ListSession& session, const QString& path, const QString& caption)
{
    bool opened = false;
    ListSession::Merged merged = session.mergeFile(path, std::nullopt, &opened);
    if (!opened) {
        if (std::optional<QString> beside = SyncConflicts::companionPassword(session.folder(), path)) {
            merged = session.mergeFile(path, beside, &opened);
            wipeText(*beside);
        }
    }
    if (!opened
        && !PasswordPrompt::askUntilTaken(
            QStringLiteral("\"%1\" does not open with your master password. Enter the password it was saved "
                           "under to merge it into your list.")
                .arg(shown(path)),
            caption, shown(path), [&](const QString& typed) {
                merged = session.mergeFile(path, typed, &opened);
                return opened;
            }))
        return std::nullopt;
    return merged;
}

// The merge goes into the list on disk, then the grid shows it.
bool saveMerge(ListSession& session, PasswordGrid& grid, const ListSession::Merged& merged, const QString& path)
{
    grid.viewRecords(&session.listings());
    if (auto saved = SaveList(session, grid); !saved) {
        MsgBox::show(QStringLiteral("The merge of \"%1\" could not be saved.\r%2").arg(shown(path), saved.error),
                     kCaption);
        return false;
    }
    MsgBox::show(merged.note.isEmpty()
                     ? QStringLiteral("Every listing of \"%1\" was already in your list.").arg(shown(path))
                     : merged.note,
                 kCaption);
    return true;
}

} // namespace

void offer(ListSession& session, PasswordGrid& grid)
{
    for (const QString& path : SyncConflicts::find(session.folder())) {
        if (!MsgBox::ask(QStringLiteral("\"%1\" is another version of your list, left when two computers changed it "
                                        "at once.\r\rMerge it into your list? It is kept as a backup afterwards.")
                             .arg(shown(path)),
                         QStringLiteral("Conflict Copy Found"), MsgBox::Default::Yes))
            continue;
        const std::optional<ListSession::Merged> merged =
            openAndMerge(session, path, QStringLiteral("Conflict Copy Found"));
        if (!merged || !saveMerge(session, grid, *merged, path))
            continue;
        // Kept under a backup name, never deleted.
        const QString suffix = QStringLiteral(".") + QFileInfo(path).suffix().toLower();
        const QString backup = backupPaths({QFileInfo(path).dir().filePath(QStringLiteral("kxplst-backup-")), suffix},
                                           QDateTime::currentDateTime())
                                   .value(0);
        if (auto moved = SafeWrite::renameNoOverwrite(path, backup); !moved.inPlace)
            MsgBox::show(QStringLiteral("\"%1\" was merged but stays where it is (%2): it will be offered again.")
                             .arg(shown(path), moved.error),
                         kCaption);
    }
}

bool mergeFrom(ListSession& session, PasswordGrid& grid, const QString& path)
{
    const std::optional<ListSession::Merged> merged = openAndMerge(session, path, QStringLiteral("Merge From"));
    return merged && saveMerge(session, grid, *merged, path);
}

} // namespace ConflictCopies
