#include "gui/ui/fault.h"

#include "gui/ui/msgbox.h"

#include <cstdio>
#include <cstdlib>

namespace Fault {
namespace {
std::function<void(const QString&)> testHandler;
std::function<void()> lastStep;
} // namespace

void setHandlerForTesting(std::function<void(const QString&)> handler)
{
    testHandler = std::move(handler);
}

void setLastStep(std::function<void()> step)
{
    lastStep = std::move(step);
}

void stop(const QString& message)
{
    if (testHandler) {
        testHandler(message);
        std::abort();
    }
    std::fprintf(stderr, "vellamar: %s\n", qPrintable(message));
    std::fflush(stderr);
    MsgBox::show(message, QStringLiteral("Vellamar"));
    if (lastStep)
        lastStep();
    // Not exit(): destructors of a half-ended program must not run, nor
    // write anything.
    std::_Exit(EXIT_FAILURE);
}

} // namespace Fault
