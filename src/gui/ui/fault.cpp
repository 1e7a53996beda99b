#include "gui/ui/fault.h"

#include "gui/ui/msgbox.h"

#include <cstdio>
#include <cstdlib>

namespace Fault {
namespace {
std::function<void(const QString&)> testHandler;
}

void setHandlerForTesting(std::function<void(const QString&)> handler)
{
    testHandler = std::move(handler);
}

void stop(const QString& message)
{
    if (testHandler) {
        testHandler(message);
        return;
    }
    std::fprintf(stderr, "vellamar: %s\n", qPrintable(message));
    std::fflush(stderr);
    MsgBox::show(message, QStringLiteral("Vellamar"));
    std::_Exit(EXIT_FAILURE);
}

} // namespace Fault
