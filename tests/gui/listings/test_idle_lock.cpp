// The list locks itself when left alone: saved, clipboard cleared, every
// window closed, no goodbye; a failed save hides the passwords instead.
#include "core/storage/safewrite.h"
#include "gui/listings/frm_add.h"
#include "gui/listings/listfixture.h"
#include "gui/listings/rowcommands.h"
#include "gui/masterpassword/frm_reveal.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/idlewatch.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/passwordprompt.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

using namespace std::chrono_literals;

class IdleLockTest : public ListWindowTest {
protected:
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        ListWindowTest::TearDown();
    }
    // The lock as the idle watch starts it, run to its end.
    void lockForIdleness()
    {
        list->idleLock();
        settle();
        settle();
    }
    QString shownPassword(int row) const { return grid()->model()->index(row - 1, 3).data(Qt::DisplayRole).toString(); }
    const QByteArray three =
        record("site1", "user1", "pw1") + record("site2", "user2", "pw2") + record("site3", "user3", "pw3");
};

TEST_F(IdleLockTest, SavesClearsTheClipboardClosesEverythingWithoutGoodbye)
{
    QPointer<frm_list> shownList = openWithListings(3);
    grid()->RemoveItem(2);
    grid()->setRow(1);
    list->rowCommands()->mnu_copypassword->trigger();
    ASSERT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("pw1"));
    list->cmd_add->click();
    settle();
    QPointer<frm_add> add = window<frm_add>("frm_add");
    ASSERT_FALSE(add.isNull());

    lockForIdleness();
    EXPECT_TRUE(shownList.isNull());
    EXPECT_TRUE(add.isNull());
    EXPECT_TRUE(messages.isEmpty()) << "no goodbye, no question";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), record("site1", "user1", "pw1") + record("site3", "user3", "pw3"));
    EXPECT_EQ(files(), QStringList {"kxplst.ene"});
}

TEST_F(IdleLockTest, LeavesWhatTheUserCopiedElsewhere)
{
    QPointer<frm_list> shownList = openWithListings(1);
    grid()->setRow(1);
    list->rowCommands()->mnu_copypassword->trigger();
    QGuiApplication::clipboard()->setText("mine");
    lockForIdleness();
    EXPECT_TRUE(shownList.isNull());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("mine"));
}

// A modal dialog (a password asked, a file to pick) is cancelled first: the
// command that opened it returns before the list goes, and nothing is
// written with the list let go.
TEST_F(IdleLockTest, AModalDialogIsCancelledAndTheLockGoesOn)
{
    QPointer<frm_list> shownList = openWithListings(2);
    grid()->RemoveItem(1);
    bool dialogShown = false;
    QTimer::singleShot(0, [&] {
        dialogShown = qobject_cast<QDialog*>(QApplication::activeModalWidget()) != nullptr;
        shownList->idleLock();
    });
    const std::optional<QString> typed = PasswordPrompt::ask("Password?", "A Question");
    EXPECT_TRUE(dialogShown);
    EXPECT_FALSE(typed.has_value()) << "cancelled by the lock";
    EXPECT_TRUE(session.hasKey()) << "the command that asked returns before the list goes";
    EXPECT_FALSE(shownList.isNull());
    settle();
    settle();
    EXPECT_TRUE(shownList.isNull());
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), record("site2", "user2", "pw2"));
}

// The watch, not the test, starts the lock once no input comes.
TEST_F(IdleLockTest, TheIdleWatchStartsIt)
{
    QPointer<frm_list> shownList = openWithListings(1);
    EXPECT_FALSE(list->idleWatch()->counting()) << "off by default";
    QSignalSpy idle(list->idleWatch(), &IdleWatch::idle);
    list->idleWatch()->setInterval(1ms);
    ASSERT_TRUE(idle.wait(5000));
    settle();
    settle();
    EXPECT_TRUE(shownList.isNull());
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), record("site1", "user1", "pw1"));
}

TEST_F(IdleLockTest, FailedSaveHidesThePasswordsAndKeepsTheWindow)
{
    QPointer<frm_list> shownList = openWithListings(3);
    const QByteArray good = readFile("kxplst.ene");
    grid()->AddItem({"4", "site4", "user4", "pw4"});
    grid()->setRow(4);
    list->rowCommands()->mnu_copypassword->trigger();
    setWritable("kxplst.ene", false);

    // Twice: an idle lock never asks the close-without-saving question.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE(attempt);
        messages.clear();
        lockForIdleness();
        ASSERT_FALSE(shownList.isNull());
        EXPECT_TRUE(list->isVisible());
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].caption, QStringLiteral("Save Failed"));
        EXPECT_TRUE(messages[0].text.contains("kxplst.ene")) << qPrintable(messages[0].text);
        EXPECT_FALSE(messages[0].text.contains("Close without saving?"));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
        EXPECT_TRUE(list->passwordsLocked());
        EXPECT_FALSE(list->mnu_showpasswords->isChecked());
        EXPECT_EQ(shownPassword(4), QString(8, QChar(0x2022)));
        EXPECT_EQ(grid()->Rows(), 5) << "nothing is lost";
    }
    setWritable("kxplst.ene", true);
    EXPECT_EQ(readFile("kxplst.ene"), good);
    EXPECT_FALSE(exists("vellamar.ini")) << "the hidden passwords are no choice of the user's";

    // The next idle period saves and locks.
    messages.clear();
    lockForIdleness();
    EXPECT_TRUE(shownList.isNull());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), three + record("site4", "user4", "pw4"));
}

TEST_F(IdleLockTest, HiddenAfterAFailedSaveTheyShowOnlyForTheMasterPassword)
{
    openWithListings(1);
    SafeWrite::setWriteBudgetForTesting(10);
    lockForIdleness();
    SafeWrite::setWriteBudgetForTesting(-1);
    ASSERT_TRUE(list->passwordsLocked());

    messages.clear();
    list->mnu_showpasswords->trigger();
    settle();
    EXPECT_FALSE(list->mnu_showpasswords->isChecked());
    EXPECT_EQ(shownPassword(1), QString(8, QChar(0x2022)));
    auto* reveal = window<frm_reveal>("frm_reveal");
    ASSERT_NE(reveal, nullptr);
    EXPECT_EQ(reveal->windowTitle(), QStringLiteral("Show Passwords"));
    EXPECT_EQ(reveal->txt_password->echoMode(), QLineEdit::Password);

    reveal->txt_password->setText("wrong");
    reveal->Command1->click();
    EXPECT_EQ(messages, (QList<Message> {{"Sorry password entered is in-correct", "Sorry"}}));
    EXPECT_TRUE(reveal->txt_password->text().isEmpty());
    EXPECT_TRUE(list->passwordsLocked());

    reveal->txt_password->setText("Mk1");
    reveal->Command1->click();
    settle();
    EXPECT_EQ(window<frm_reveal>("frm_reveal"), nullptr);
    EXPECT_FALSE(list->passwordsLocked());
    EXPECT_TRUE(list->mnu_showpasswords->isChecked());
    EXPECT_EQ(shownPassword(1), QStringLiteral("pw1"));
    // Hiding and showing is free again.
    list->mnu_showpasswords->trigger();
    list->mnu_showpasswords->trigger();
    EXPECT_EQ(shownPassword(1), QStringLiteral("pw1"));
    EXPECT_EQ(window<frm_reveal>("frm_reveal"), nullptr);
}

TEST_F(IdleLockTest, CancelKeepsThemHidden)
{
    openWithListings(1);
    SafeWrite::setWriteBudgetForTesting(10);
    lockForIdleness();
    SafeWrite::setWriteBudgetForTesting(-1);
    list->mnu_showpasswords->trigger();
    settle();
    auto* reveal = window<frm_reveal>("frm_reveal");
    ASSERT_NE(reveal, nullptr);
    reveal->Command2->click();
    settle();
    EXPECT_TRUE(list->passwordsLocked());
    EXPECT_FALSE(list->mnu_showpasswords->isChecked());
}

// A box waiting for an answer when the lock comes is closed, and the lock
// goes on once the call that showed it has returned.
class IdleLockWithBoxesTest : public IdleLockTest {
protected:
    void SetUp() override
    {
        IdleLockTest::SetUp();
        safety.setSingleShot(true);
        QObject::connect(&safety, &QTimer::timeout, [] {
            ADD_FAILURE() << "a box stayed open";
            MsgBox::closeOpenBoxes();
        });
        safety.start(20000);
    }
    QTimer safety;
};

TEST_F(IdleLockWithBoxesTest, AnOpenBoxIsClosedAndTheLockGoesOn)
{
    const struct {
        const char* what;
        std::function<void(frm_list*)> showBox;
    } cases[] = {
        {"a message", [](frm_list* list) { list->cmd_nothing->click(); }},
        {"the question after a second failed close",
         [this](frm_list* list) {
             MsgBox::setObserverForTesting([this](const QString& text, const QString& caption) {
                 messages.append({text, caption});
             });
             setWritable("kxplst.ene", false);
             list->close(); // first failure: a message, seen by the observer
             MsgBox::setObserverForTesting({});
             list->close(); // second failure: the question, a real box
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QPointer<frm_list> shownList = openWithListings(2);
        grid()->RemoveItem(1);
        MsgBox::setObserverForTesting({});
        int openBoxes = -1;
        QTimer::singleShot(0, [&] {
            openBoxes = MsgBox::openBoxCount();
            setWritable("kxplst.ene", true);
            shownList->idleLock();
        });
        c.showBox(shownList);
        EXPECT_EQ(openBoxes, 1);
        settle();
        settle();
        EXPECT_TRUE(shownList.isNull()) << "locked after the box";
        EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), record("site2", "user2", "pw2"));
        GuiTest::settle();
    }
}

} // namespace
