// How a fault ends the program, watched from outside: each case runs in a
// forked child, since the real path ends the process.
#include "gui/ui/fault.h"
#include "support/guifixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>

namespace {

// GoogleTest runs suites named so before the others, while the process has
// the fewest threads to fork.
class FaultDeathTest : public GuiTest {
protected:
    // An abort on purpose must leave no core file behind.
    static void noCoreFile()
    {
        const rlimit none {0, 0};
        setrlimit(RLIMIT_CORE, &none);
    }
};

TEST_F(FaultDeathTest, TheProgramShowsTheMessageRunsTheLastStepAndEndsWithAFailure)
{
    EXPECT_EXIT(
        {
            Fault::setHandlerForTesting({});
            Fault::setLastStep([this] {
                for (const Message& seen : messages)
                    std::fprintf(stderr, "last step after the box [%s|%s]\n", qPrintable(seen.text),
                                 qPrintable(seen.caption));
                std::fflush(stderr);
            });
            Fault::stop(QStringLiteral("The disk went away."));
        },
        ::testing::ExitedWithCode(1),
        "vellamar: The disk went away\\.\n.*last step after the box \\[The disk went away\\.\\|Vellamar\\]");
}

TEST_F(FaultDeathTest, WithoutALastStepTheProgramStillEndsWithAFailure)
{
    EXPECT_EXIT(
        {
            Fault::setHandlerForTesting({});
            Fault::setLastStep({});
            Fault::stop(QStringLiteral("No last step."));
        },
        ::testing::ExitedWithCode(1), "vellamar: No last step\\.");
}

// A test handler must not return: stop() may never go back to its caller.
TEST_F(FaultDeathTest, AHandlerThatReturnsAborts)
{
    EXPECT_EXIT(
        {
            noCoreFile();
            Fault::setHandlerForTesting([](const QString& message) {
                std::fprintf(stderr, "handler saw [%s]\n", qPrintable(message));
                std::fflush(stderr);
            });
            Fault::setLastStep([] {
                std::fprintf(stderr, "the last step ran\n");
                std::fflush(stderr);
            });
            Fault::stop(QStringLiteral("Returned."));
        },
        // Nothing after the handler: the last step is the program's end's.
        ::testing::KilledBySignal(SIGABRT), "handler saw \\[Returned\\.\\]\n$");
}

} // namespace
