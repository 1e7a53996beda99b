#include "app/appfixture.h"
#include "app/startupprocedure.h"
#include "core/storage/instancelock.h"
#include "core/storage/module1.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/fault.h"

#include <QClipboard>
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
        {"VELLA1TKY-V1.0.1-NEWSETUP", "", "frm_new"},
        {"VELLA1nty-V1.0.1-NEWSETUP", "", "frm_new"},
        {"VELLA1nty-V1.0.1-NEWSETUP", "abc", "frm_password"},
        {"VELLA1TKY-V1.0.1-NEWSETUP", "abc", "frm_new"},
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
        EXPECT_EQ(openWindowCount("frm_new") + openWindowCount("frm_password"), 1);
        EXPECT_FALSE(exists("kxinit.end"));
        EXPECT_TRUE(faults.isEmpty());
        for (QWidget* window : {findWindow("frm_new"), findWindow("frm_password")})
            delete window;
    }
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
