// The signals by which the system ends the program: each saves the list
// without a goodbye and ends the program, once.
#include "app/appfixture.h"
#include "app/startupprocedure.h"
#include "app/termination.h"
#include "core/storage/instancelock.h"
#include "gui/listings/frm_list.h"
#include "gui/listings/passwordgrid.h"
#include "gui/listings/rowcommands.h"
#include "gui/masterpassword/frm_password.h"
#include "support/listrecords.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <csignal>

namespace {

struct EndingSignal {
    int number;
    const char* name;
};
const EndingSignal kEndingSignals[] = {{SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}, {SIGINT, "SIGINT"}};

bool handledByDefault(int signal)
{
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

class EndOfSessionTest : public AppTest {
protected:
    void TearDown() override
    {
        AppTest::TearDown();
        // The test process must still end on these signals afterwards.
        for (const EndingSignal& signal : kEndingSignals)
            EXPECT_TRUE(handledByDefault(signal.number)) << signal.name;
    }
};

TEST_F(EndOfSessionTest, EachSignalRunsTheHandlerOnceFromTheEventLoop)
{
    for (const EndingSignal& signal : kEndingSignals) {
        int calls = 0;
        installEndOfSessionHandler([&] { ++calls; });
        ASSERT_EQ(std::raise(signal.number), 0);
        EXPECT_EQ(calls, 0) << "nothing runs inside the signal handler";
        QDeadlineTimer deadline(5000);
        while (calls == 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_EQ(calls, 1) << signal.name;

        ASSERT_EQ(std::raise(signal.number), 0);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
        EXPECT_EQ(calls, 1) << signal.name << ": the program ends once";
        uninstallEndOfSessionHandler();
        EXPECT_TRUE(handledByDefault(signal.number)) << signal.name;
    }
}

// The whole program: started, unlocked, a listing added, then the signal.
TEST_F(EndOfSessionTest, EachSignalSavesTheListAndEndsTheProgram)
{
    const QByteArray one = record("www.a.com", "ann", "pw1");
    for (const EndingSignal& signal : kEndingSignals) {
        SCOPED_TRACE(signal.name);
        messages.clear();
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        writeCiphered("kxplst.ene", one, "Mk1");
        InstanceLock lock;
        frm_list* list = startAndUnlock(lock, "Mk1");
        ASSERT_NE(list, nullptr);
        list->grd_password->AddItem({"2", "www.b.com", "bob", "pw2"});
        // A password copied through the start's clipboard goes too.
        ASSERT_EQ(list->clipboard(), &clipboard);
        clipboard.setDelay(std::chrono::hours(1));
        list->grd_password->setRow(2);
        list->rowCommands()->mnu_copypassword->trigger();
        ASSERT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("pw2"));

        QTimer::singleShot(0, [&] { std::raise(signal.number); });
        // Should the signal be lost, the loop still ends, with another code.
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
        EXPECT_EQ(QCoreApplication::exec(), 0) << "the program ends";
        EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), one + record("www.b.com", "bob", "pw2"));
        EXPECT_TRUE(messages.isEmpty()) << "no goodbye";
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
        delete list;
        settle();
        uninstallEndOfSessionHandler();
    }
}

} // namespace
