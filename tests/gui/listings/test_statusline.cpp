// The line under the list: protection in effect, and what was copied.
#include "core/masterpassword/strongprotection.h"
#include "gui/listings/listfixture.h"
#include "gui/listings/rowcommands.h"
#include "gui/listings/statusline.h"
#include "gui/ui/clipboardguard.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>

namespace {

class StatusLineTest : public ListWindowTest { };

TEST_F(StatusLineTest, SaysWhatWasCopiedNeverTheValueAndCountsDown)
{
    openWithListings(2);
    StatusLine* status = list->statusLine();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->lbl_protection->text(),
              QString::fromUtf16(u"Scrambled only \u2014 Tools \u2192 Strong Protection..."));
    EXPECT_TRUE(status->lbl_copied->text().isEmpty());
    list->clipboard()->setDelay(std::chrono::seconds(10));
    const struct {
        QAction* action;
        const char* said;
    } copies[] = {
        {list->rowCommands()->mnu_copypassword, "Password of site2 copied \u2014 cleared in 10 s"},
        {list->rowCommands()->mnu_copyuser, "User name of site2 copied \u2014 cleared in 10 s"},
        {list->rowCommands()->mnu_copysite, "Web site site2 copied \u2014 cleared in 10 s"},
    };
    grid()->setRow(2);
    for (const auto& c : copies) {
        c.action->trigger();
        EXPECT_EQ(status->lbl_copied->text(), QString::fromUtf8(c.said));
        EXPECT_FALSE(status->lbl_copied->text().contains("pw2") || status->lbl_copied->text().contains("user2"))
            << "never the value";
    }
    QGuiApplication::clipboard()->clear();

    StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    ASSERT_TRUE(session.turnOn(QStringLiteral("Strong1")).on);
    StrongProtection::setNewVaultParamsForTesting(std::nullopt);
    status->refresh();
    EXPECT_EQ(status->lbl_protection->text(), "Strong protection");
}

TEST_F(StatusLineTest, TheClientAreaKeepsItsDescribedSize)
{
    openWithListings(1);
    const QSize before = list->centralWidget()->size();
    // A long site makes a long line: it is cut, the window stays.
    list->statusLine()->showCopied(QString(500, 'w'));
    QCoreApplication::processEvents();
    EXPECT_EQ(list->centralWidget()->size(), before);
}

} // namespace
