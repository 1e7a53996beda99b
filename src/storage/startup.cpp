#include "storage/startup.h"

#include "storage/datafiles.h"

namespace Startup {

StorageResult decide(Path* path)
{
    QString record;
    if (auto step = DataFiles::readStartupRecord(&record); !step)
        return step;

    if (DataFiles::hasFirstRunMarker(record)) {
        if (auto step = DataFiles::writeStartupRecord(DataFiles::withMarkerCleared(record)); !step)
            return step;
        *path = Path::FirstRun;
        return StorageResult::success();
    }

    // An empty stored password must never unlock the list.
    QString stored;
    if (auto step = DataFiles::readStoredPassword(&stored); !step)
        return step;
    *path = stored.isEmpty() ? Path::NoPassword : Path::Unlock;
    return StorageResult::success();
}

} // namespace Startup
