#pragma once

#include "app/termination.h"
#include "gui/ui/clipboardguard.h"
#include "support/guifixture.h"

// A program started as main() starts it: the start installs the handling of
// signals, which must not outlive the test.
class AppTest : public GuiTest {
protected:
    void TearDown() override
    {
        uninstallEndOfSessionHandler();
        GuiTest::TearDown();
    }

    // What main() hands the start: copies go through it.
    ClipboardGuard clipboard;
};
