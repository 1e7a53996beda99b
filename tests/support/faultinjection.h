#pragma once

#include "core/storage/safewrite.h"

#include <QString>
#include <QStringList>

#include <functional>

// Runs an action again and again with its n-th step in the data folder (a
// write, rename, removal or folder sync) failing, or the process killed
// right after it, for n = 1, 2, 3 ... until a run finishes with no fault
// injected. Every earlier run is checked to have met its fault, so a change
// in the number of steps can never turn a case into a quiet no-op.
namespace FaultInjection {

struct Attempt {
    int step = 0; // the step that failed or was the last before the kill
    bool faulted = true; // false for the final run, which met no fault
};

// The number of steps of a complete run.
int failAtEachStep(const std::function<void()>& prepare, const std::function<void()>& action,
                   const std::function<void(const Attempt&)>& check);

#ifdef Q_OS_UNIX
// The action runs in a forked child that dies right after its n-th step;
// check sees the folder as the child left it.
int killAfterEachStep(const std::function<void()>& prepare, const std::function<void()>& action,
                      const std::function<void(const Attempt&)>& check);
#endif

// The steps an action takes, as "write kxplst.ene", "sync <folder>"...
QStringList stepsOf(const std::function<void()>& action);

} // namespace FaultInjection
