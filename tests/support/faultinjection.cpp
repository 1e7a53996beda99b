#include "support/faultinjection.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace FaultInjection {
namespace {

// Far more steps than any operation of the program takes.
constexpr int kMaxSteps = 200;

} // namespace

int failAtEachStep(const std::function<void()>& prepare, const std::function<void()>& action,
                   const std::function<void(const Attempt&)>& check)
{
    for (int n = 1; n <= kMaxSteps; ++n) {
        prepare();
        SafeWrite::setFailingStepForTesting(n);
        action();
        const bool fired = SafeWrite::failingStepFiredForTesting();
        SafeWrite::setFailingStepForTesting(0);
        check({n, fired});
        if (!fired)
            return n - 1;
    }
    ADD_FAILURE() << "the action never finished without a fault";
    return kMaxSteps;
}

#ifdef Q_OS_UNIX
int killAfterEachStep(const std::function<void()>& prepare, const std::function<void()>& action,
                      const std::function<void(const Attempt&)>& check)
{
    constexpr int kKilled = 99;
    for (int n = 1; n <= kMaxSteps; ++n) {
        prepare();
        const pid_t child = fork();
        if (child < 0) {
            ADD_FAILURE() << "fork failed";
            return 0;
        }
        if (child == 0) {
            int reached = 0;
            SafeWrite::setStepHookForTesting([&](SafeWrite::Step, const QString&) {
                if (++reached == n)
                    _exit(kKilled);
            });
            action();
            _exit(0);
        }
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
            ADD_FAILURE() << "the child did not end normally at step " << n;
            return 0;
        }
        const bool killed = WEXITSTATUS(status) == kKilled;
        EXPECT_TRUE(killed || WEXITSTATUS(status) == 0) << "exit status " << WEXITSTATUS(status);
        check({n, killed});
        if (!killed)
            return n - 1;
    }
    ADD_FAILURE() << "the action never finished without being killed";
    return kMaxSteps;
}
#endif

QStringList stepsOf(const std::function<void()>& action)
{
    QStringList steps;
    SafeWrite::setStepHookForTesting([&](SafeWrite::Step step, const QString& path) {
        steps.append(QString::fromLatin1(SafeWrite::stepName(step)) + QLatin1Char(' ')
                     + (step == SafeWrite::Step::SyncFolder ? path : QFileInfo(path).fileName()));
    });
    action();
    SafeWrite::setStepHookForTesting({});
    return steps;
}

} // namespace FaultInjection
