#include "core/storage/startup.h"

#include "core/storage/datafiles.h"
#include "core/storage/pairedcommit.h"
#include "core/storage/safewrite.h"


namespace Startup {

void prepareFolder(const DataFolder& folder)
{
    // Failures leave files that the reads still understand, so none of them
    // stops the start.
    PairedCommit::recover(folder);
    DataFiles::adoptLeftoverPlain(folder.startup, folder.startupKey);
    if (folder.hasVault()) {
        // A switch of protection was cut short: the vault wins, and the
        // weaker files it replaces must not linger beside it.
        for (const QString& path : {folder.list.path, folder.password.path})
            SafeWrite::removeFile(path);
        return;
    }
    DataFiles::adoptLeftoverPlain(folder.password, folder.passwordFileKey);
}

StorageResult decide(const DataFolder& folder, Path* path)
{
    // A vault is opened by its password alone, whatever the other files say.
    if (folder.hasVault()) {
        *path = Path::Unlock;
        return StorageResult::success();
    }
    QString record;
    if (auto step = DataFiles::readStartupRecord(folder, &record); !step)
        return step;

    if (DataFiles::hasFirstRunMarker(record)) {
        if (auto step = DataFiles::writeStartupRecord(folder, DataFiles::withMarkerCleared(record)); !step)
            return step;
        *path = Path::FirstRun;
        return StorageResult::success();
    }

    // An empty stored password must never unlock the list.
    QString stored;
    if (auto step = DataFiles::readStoredPassword(folder, &stored); !step)
        return step;
    *path = stored.isEmpty() ? Path::NoPassword : Path::Unlock;
    return StorageResult::success();
}

} // namespace Startup
