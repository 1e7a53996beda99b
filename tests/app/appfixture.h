#pragma once

#include "app/startupprocedure.h"
#include "app/termination.h"
#include "core/storage/instancelock.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/screenlockwatch.h"
#include "support/guifixture.h"

#include <QDBusConnection>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

// A program started as main() starts it: the start installs the handling of
// signals, which must not outlive the test.
class AppTest : public GuiTest {
protected:
    void TearDown() override
    {
        uninstallEndOfSessionHandler();
        GuiTest::TearDown();
        startup.reset();
    }

    // Starts the program on the test's folder, as main() does.
    bool start(InstanceLock& lock)
    {
        startup.reset();
        startup.emplace(lock, clipboard, &screenLock);
        return startup->run(dir.path());
    }

    // Starts the program and unlocks it with entry: the listing window, or
    // nothing when the list did not open.
    frm_list* startAndUnlock(InstanceLock& lock, const QString& entry)
    {
        if (!start(lock)) {
            ADD_FAILURE() << "the start ended";
            return nullptr;
        }
        return unlockStarted(entry);
    }
    // Enters entry in the unlock dialog the start showed: the listing
    // window, or nothing when the list did not open.
    frm_list* unlockStarted(const QString& entry)
    {
        auto* unlock = window<frm_password>("frm_password");
        if (!unlock) {
            ADD_FAILURE() << "no unlock dialog";
            return nullptr;
        }
        unlock->txt_password->setText(entry);
        unlock->Command1->click();
        settle();
        return startup->listWindow();
    }

    // What main() hands the start: copies go through it.
    ClipboardGuard clipboard;
    // No bus here: tests emit its signal themselves.
    ScreenLockWatch screenLock {QDBusConnection(QStringLiteral("none")), QDBusConnection(QStringLiteral("none"))};
    std::optional<StartupProcedure> startup;
};
