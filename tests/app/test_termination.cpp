#include "app/termination.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(EndOfSession, SigtermRunsTheHandlerOnceFromTheEventLoop)
{
    int calls = 0;
    installEndOfSessionHandler([&] { ++calls; });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_EQ(calls, 0) << "nothing runs inside the signal handler";
    QDeadlineTimer deadline(5000);
    while (calls == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(calls, 1);

    ASSERT_EQ(std::raise(SIGTERM), 0);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(calls, 1) << "the program ends once";
    installEndOfSessionHandler({});
}

TEST(EndOfSession, HangupAndInterruptEndTheProgramLikeSigterm)
{
    for (const int signal : {SIGHUP, SIGINT}) {
        int calls = 0;
        installEndOfSessionHandler([&] { ++calls; });
        ASSERT_EQ(std::raise(signal), 0);
        QDeadlineTimer deadline(5000);
        while (calls == 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_EQ(calls, 1) << signal;
    }
    installEndOfSessionHandler({});
}

} // namespace
