#pragma once

#include "storage/storageresult.h"

// The start-up decision between the first-run set-up and the unlock dialog.
namespace Startup {

enum class Path {
    FirstRun,   // the record carried the first-run marker, now cleared
    NoPassword, // no master password is stored: set one up again
    Unlock,
};

// Reads the start-up record; on a first run rewrites the marker before
// anything else is shown, so a later start never takes the first-run path.
StorageResult decide(Path* path);

} // namespace Startup
