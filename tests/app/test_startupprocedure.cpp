#include "app/appfixture.h"
#include "app/startupprocedure.h"
#include "core/masterpassword/strongprotection.h"
#include "gui/listings/passwordgrid.h"
#include "gui/masterpassword/frm_protect.h"
#include "gui/ui/msgbox.h"
#include "core/storage/instancelock.h"
#include "core/storage/module1.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/fault.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>

namespace {

class StartupProcedureTest : public AppTest { };

TEST_F(StartupProcedureTest, OpensTheOneDialogThatFits)
{
    const struct {
        QByteArray record;
        QByteArray password; // empty: no password file
        const char* dialog;
    } cases[] = {
        {"VELLA1TKY-V1.0.1-NEWSETUP", "", "frm_protect"},
        {"VELLA1nty-V1.0.1-NEWSETUP", "", "frm_protect"},
        {"VELLA1nty-V1.0.1-NEWSETUP", "abc", "frm_password"},
        {"VELLA1TKY-V1.0.1-NEWSETUP", "abc", "frm_protect"},
    };
    for (const auto& c : cases) {
        clearFolder();
        writeCiphered("kxinit.ene", c.record, "hmut58qkze");
        if (!c.password.isEmpty())
            writeCiphered("kxpwfl.ene", c.password, "sx8peu3");
        InstanceLock lock;
        EXPECT_TRUE(start(lock));
        EXPECT_TRUE(lock.isHeld());
        EXPECT_EQ(Module1::AppDir, dir.path() + "/");
        EXPECT_NE(findWindow(c.dialog), nullptr) << c.dialog;
        EXPECT_EQ(openWindowCount("frm_protect") + openWindowCount("frm_password"), 1);
        EXPECT_FALSE(exists("kxinit.end"));
        EXPECT_TRUE(faults.isEmpty());
        for (QWidget* window : {findWindow("frm_protect"), findWindow("frm_password")})
            delete window;
    }
}

// A new list, either way it can be protected: the question, the set-up for
// the choice, a listing added, Lock/Close, and the next start unlocking it.
TEST_F(StartupProcedureTest, BothFirstStartPathsLeadToAListThatOpensAgain)
{
    StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    for (const bool strong : {true, false}) {
        SCOPED_TRACE(strong ? "strong" : "scrambled");
        clearFolder();
        writeCiphered("kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze");
        const QString password = strong ? QString::fromUtf16(u"Z\u00FCrich \u65E5\u672C long enough pass") : "Mk1";
        {
            InstanceLock lock;
            ASSERT_TRUE(start(lock));
            auto* question = window<frm_protect>("frm_protect");
            ASSERT_NE(question, nullptr);
            // Going back from the strong set-up asks again.
            question->cmd_strong->click();
            settle();
            ASSERT_NE(findWindow("frm_strongnew"), nullptr);
            findWindow("frm_strongnew")->close();
            settle();
            question = window<frm_protect>("frm_protect");
            ASSERT_NE(question, nullptr);
            (strong ? question->cmd_strong : question->cmd_scrambled)->click();
            settle();
            EXPECT_EQ(findWindow("frm_protect"), nullptr);
            QWidget* setup = findWindow(strong ? "frm_strongnew" : "frm_new");
            ASSERT_NE(setup, nullptr);
            control<QLineEdit>(setup, "txt_npassword")->setText(password);
            control<QLineEdit>(setup, "txt_npasswordc")->setText(password);
            control<QPushButton>(setup, "Command1")->click();
            settle();
            frm_list* list = startup->listWindow();
            ASSERT_NE(list, nullptr);
            const QStringList expected = strong
                                             ? QStringList {"kxinit.ene", "kxplst.vault", "vellamar.lock"}
                                             : QStringList {"kxinit.ene", "kxplst.ene", "kxpwfl.ene", "vellamar.lock"};
            EXPECT_EQ(files(), expected);
            list->grd_password->AddItem({"1", "www.example.com", "jane.doe.1987", "pw"});
            MsgBox::setAnswerForTesting(true);
            list->cmd_lock->click();
            settle();
            EXPECT_EQ(startup->listWindow(), nullptr);
        }
        InstanceLock lock;
        frm_list* list = startAndUnlock(lock, password);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(startup->session().isStrong(), strong);
        EXPECT_EQ(startup->session().listings().value(0).site.trimmed(), "www.example.com");
        delete list;
        settle();
    }
    StrongProtection::setNewVaultParamsForTesting(std::nullopt);
}

// A lock the user did not ask for (idle, screen, sleep) keeps the program
// running: the list is saved and wiped, the unlock dialog comes back, and
// the same password opens it again; only Lock/Close says goodbye and ends.
TEST_F(StartupProcedureTest, AnIdleLockReturnsToTheUnlockDialog)
{
    StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    for (const bool strong : {false, true}) {
        SCOPED_TRACE(strong ? "strong" : "scrambled");
        clearFolder();
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        const QString password = strong ? QStringLiteral("a long strong pass") : QStringLiteral("Mk1");
        if (strong) {
            ListSession setUp(folder());
            ASSERT_TRUE(setUp.setUpStrong(password).result);
        } else {
            writeCiphered("kxpwfl.ene", password.toLatin1(), "sx8peu3");
            writeCiphered("kxplst.ene", "", "Mk1");
        }
        InstanceLock lock;
        QPointer<frm_list> list = startAndUnlock(lock, password);
        ASSERT_FALSE(list.isNull());
        list->grd_password->AddItem({"1", "www.example.com", "jane", "pw1"});
        messages.clear();

        list->idleLock();
        settle();
        settle();
        EXPECT_TRUE(list.isNull());
        EXPECT_EQ(startup->listWindow(), nullptr);
        EXPECT_FALSE(startup->session().hasKey()) << "wiped as Lock/Close does";
        EXPECT_TRUE(startup->session().listings().isEmpty());
        EXPECT_EQ(openWindowCount("frm_password"), 1);
        EXPECT_TRUE(messages.isEmpty()) << "no goodbye";

        list = unlockStarted(password);
        ASSERT_FALSE(list.isNull());
        EXPECT_EQ(startup->session().listings().value(0).site.trimmed(), "www.example.com");
        EXPECT_EQ(openWindowCount("frm_password"), 0);

        // Locked twice in one run, the unlock dialog still comes back.
        list->idleLock();
        settle();
        settle();
        ASSERT_EQ(openWindowCount("frm_password"), 1);
        list = unlockStarted(password);
        ASSERT_FALSE(list.isNull());

        MsgBox::setAnswerForTesting(true);
        list->cmd_lock->click();
        settle();
        EXPECT_TRUE(list.isNull());
        EXPECT_EQ(messages.value(0).text, "Bye..");
        EXPECT_EQ(openWindowCount("frm_password"), 0) << "Lock/Close ends the program";
        startup.reset();
    }
    StrongProtection::setNewVaultParamsForTesting(std::nullopt);
}

// The screen lock (or sleep) locks as the idle lock does while the option
// is on; off, the list stays open. One lock heard twice locks once.
TEST_F(StartupProcedureTest, TheScreenLockLocksWhileTheOptionIsOn)
{
    for (const bool lockWithScreen : {true, false}) {
        SCOPED_TRACE(lockWithScreen ? "on" : "off");
        clearFolder();
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        writeCiphered("kxplst.ene", "", "Mk1");
        if (!lockWithScreen)
            writeFile("vellamar.ini", "[Options]\nLockOnScreenLock=false\n");
        InstanceLock lock;
        QPointer<frm_list> list = startAndUnlock(lock, "Mk1");
        ASSERT_FALSE(list.isNull());
        list->grd_password->AddItem({"1", "www.example.com", "jane", "pw1"});
        emit screenLock.lockRequested();
        emit screenLock.lockRequested();
        settle();
        settle();
        EXPECT_EQ(list.isNull(), lockWithScreen);
        EXPECT_EQ(openWindowCount("frm_password"), lockWithScreen ? 1 : 0);
        EXPECT_EQ(startup->session().hasKey(), !lockWithScreen);
        if (lockWithScreen)
            EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1").left(15), QByteArray("www.example.com"));
        startup.reset();
        if (!list.isNull())
            delete list;
        for (QWidget* unlock = findWindow("frm_password"); unlock; unlock = findWindow("frm_password"))
            delete unlock;
        settle();
    }
}

// A lock that comes while the list's first message is still up (a real box
// runs the event loop) also returns to the unlock dialog.
TEST_F(StartupProcedureTest, ALockWhileTheListOpensReturnsToTheUnlockDialog)
{
    writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
    writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
    writeCiphered("kxplst.ene", QByteArray("www.example.com").leftJustified(110) + "damaged", "Mk1");
    bool lockedDuringTheMessage = false;
    MsgBox::setObserverForTesting([&](const QString&, const QString& caption) {
        if (caption != QLatin1String("Damaged List") || !frm_list::instance())
            return;
        frm_list::instance()->idleLock();
        // What a box the user leaves open does meanwhile.
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        lockedDuringTheMessage = !startup->session().hasKey();
    });
    InstanceLock lock;
    ASSERT_TRUE(start(lock));
    unlockStarted("Mk1");
    settle();
    MsgBox::setObserverForTesting({});
    EXPECT_TRUE(lockedDuringTheMessage);
    EXPECT_EQ(startup->listWindow(), nullptr);
    EXPECT_EQ(openWindowCount("frm_password"), 1) << "the program goes on";
    ASSERT_NE(unlockStarted("Mk1"), nullptr);
    EXPECT_EQ(startup->session().listings().value(0).site.trimmed(), "www.example.com");
}

TEST_F(StartupProcedureTest, ClosingTheQuestionLeavesNoWindowAndWritesNothing)
{
    writeCiphered("kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze");
    InstanceLock lock;
    ASSERT_TRUE(start(lock));
    settle();
    const auto before = snapshot();
    QWidget* question = findWindow("frm_protect");
    ASSERT_NE(question, nullptr);
    QTest::keyClick(question, Qt::Key_Escape);
    settle();
    EXPECT_EQ(findWindow("frm_protect"), nullptr);
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }));
    EXPECT_EQ(snapshot(), before);
}

// However the event loop ends, a copied secret still on the clipboard is
// taken off, and only that.
TEST_F(StartupProcedureTest, QuittingClearsACopiedSecret)
{
    writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
    InstanceLock lock;
    ASSERT_TRUE(start(lock));
    for (const bool userCopiedSince : {false, true}) {
        clipboard.setDelay(std::chrono::hours(1));
        clipboard.copy("secret", true);
        if (userCopiedSince)
            QGuiApplication::clipboard()->setText("mine");
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        EXPECT_EQ(QCoreApplication::exec(), 0);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), userCopiedSince ? QString("mine") : QString());
    }
    QGuiApplication::clipboard()->clear();
}

// A fault ends the program without leaving its event loop: the start's own
// last step still takes a copied secret off the clipboard. The real path
// ends the process, so it runs in a forked child.
class StartupProcedureDeathTest : public AppTest { };

TEST_F(StartupProcedureDeathTest, AFaultTakesACopiedSecretOffTheClipboard)
{
    writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
    InstanceLock lock;
    ASSERT_TRUE(start(lock));
    EXPECT_EXIT(
        {
            Fault::setHandlerForTesting({});
            clipboard.setDelay(std::chrono::hours(1));
            clipboard.copy("secret", true);
            QClipboard* system = QGuiApplication::clipboard();
            std::fprintf(stderr, "before the fault [%s]\n", qPrintable(system->text()));
            QObject::connect(system, &QClipboard::dataChanged, [system] {
                std::fprintf(stderr, "the clipboard now holds [%s]\n", qPrintable(system->text()));
            });
            Fault::stop(QStringLiteral("The disk went away."));
        },
        ::testing::ExitedWithCode(1),
        "before the fault \\[secret\\]\n.*vellamar: The disk went away\\.\n.*the clipboard now holds \\[\\]");
}

} // namespace
