// Strong protection as the user meets it: turning it on and off from the
// Tools menu, unlocking a vault, changing its password, Lock/Close.
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/storage/vault.h"
#include "core/storage/vault_test_seam.h"
#include "gui/listings/listfixture.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/masterpassword/frm_pchange.h"
#include "gui/masterpassword/frm_reveal.h"
#include "gui/masterpassword/frm_strong.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

namespace {

class FrmStrongTest : public ListWindowTest {
protected:
    void SetUp() override
    {
        ListWindowTest::SetUp();
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        openWithListings(2);
    }
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        ListWindowTest::TearDown();
    }
    frm_strong* openDialog()
    {
        list->mnu_strong->trigger();
        settle();
        return window<frm_strong>("frm_strong");
    }
    void turnOn(const QString& current, const QString& fresh, const QString& confirm)
    {
        frm_strong* form = openDialog();
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(form->turnsOn());
        form->txt_old->setText(current);
        form->txt_new->setText(fresh);
        form->txt_confirm->setText(confirm);
        form->Command1->click();
        settle();
    }
    // A new start of the program on this folder, unlocked with entry.
    frm_list* restartAndUnlock(const QString& entry)
    {
        delete list;
        settle();
        restartFolder();
        restartSession();
        list = unlockWith(entry);
        return list;
    }
    const Message oldWrong {"Please re-enter old password as it doesn't match.", "Boo Boo"};
};

TEST_F(FrmStrongTest, TurningOnSealsTheListAndOffersToRemoveTheWeakCopies)
{
    writeFile("kxplst-backup-20261209-231500.ene", "weak");
    grid()->AddItem({"3", "www.unsaved.com", "u", "p"});
    MsgBox::setAnswerForTesting(true);
    turnOn("Mk1", "Strong1", "Strong1");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Strong Protection"));
    EXPECT_TRUE(messages[0].text.contains("kxplst-backup-20261209-231500.ene")) << qPrintable(messages[0].text);
    EXPECT_TRUE(messages[0].text.contains("cannot wipe")) << qPrintable(messages[0].text);
    EXPECT_EQ(window<frm_strong>("frm_strong"), nullptr);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));
    EXPECT_TRUE(session.isStrong()) << "the key stands in for the password";
    EXPECT_TRUE(session.isStrong());

    // The list in the grid, unsaved row included, is what the vault holds.
    ASSERT_NE(restartAndUnlock("Strong1"), nullptr);
    EXPECT_EQ(grid()->Rows(), 4);
    EXPECT_EQ(cell(3, 1), padded("www.unsaved.com", 75));
}

TEST_F(FrmStrongTest, WeakCopiesStayWhenTheUserSaysNo)
{
    writeFile("kxpwfl-backup-20261209-231500.ene", "weak");
    turnOn("Mk1", "Strong1", "Strong1");
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault", "kxpwfl-backup-20261209-231500.ene"}));
}

TEST_F(FrmStrongTest, TurningOnRefusesWhatTheChangeDialogRefusesAndTheOldPassword)
{
    const struct {
        QString current, fresh, confirm;
        QString says;
    } cases[] = {
        {"mk1", "Strong1", "Strong1", "doesn't match"},
        {"Mk1", "Strong1", "Strong2", "Do No Match"},
        {"Mk1", "  ", "  ", "cannot be empty"},
        {"Mk1", "Mk1", "Mk1", "must differ"},
    };
    for (const auto& c : cases) {
        messages.clear();
        turnOn(c.current, c.fresh, c.confirm);
        ASSERT_EQ(messages.size(), 1) << qPrintable(c.says);
        EXPECT_TRUE(messages[0].text.contains(c.says)) << qPrintable(messages[0].text);
        EXPECT_NE(window<frm_strong>("frm_strong"), nullptr);
        EXPECT_FALSE(exists("kxplst.vault"));
        EXPECT_TRUE(session.isEntry(QStringLiteral("Mk1")));
    }
}

TEST_F(FrmStrongTest, UnlockingAVaultTakesTheRightEntryOnlyAndIgnoresPressesMeanwhile)
{
    turnOn("Mk1", "Strong1", "Strong1");
    delete list;
    settle();
    restartFolder();
    restartSession();
    auto* unlock = new frm_password(session, listOpener());
    Forms::showCentred(unlock);
    messages.clear();
    const quint64 derivations = Vault::TestSeam::derivationAttempts();
    unlock->txt_password->setText("strong1");
    // A second press while the key is derived must not count.
    QMetaObject::invokeMethod(unlock->Command1, "click", Qt::QueuedConnection);
    unlock->Command1->click();
    settle();
    EXPECT_EQ(Vault::TestSeam::derivationAttempts(), derivations + 1);
    EXPECT_EQ(messages, (QList<Message> {{"Sorry password entered is in-correct", "Sorry"}}));
    EXPECT_EQ(frm_list::instance(), nullptr);

    unlock->txt_password->setText("Strong1");
    unlock->Command1->click();
    settle();
    list = frm_list::instance();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(grid()->Rows(), 3);
    EXPECT_TRUE(session.isStrong());
}

TEST_F(FrmStrongTest, ThePasswordChangeSealsTheVaultAgain)
{
    turnOn("Mk1", "Strong1", "Strong1");
    messages.clear();
    list->cmd_pword->click();
    settle();
    auto* change = window<frm_pchange>("frm_pchange");
    ASSERT_NE(change, nullptr);
    change->txt_old->setText("Mk1");
    change->txt_new->setText("Strong2");
    change->txt_confirm->setText("Strong2");
    change->Command1->click();
    settle();
    EXPECT_EQ(messages, QList<Message> {oldWrong}) << "the old password is the vault's";
    change->txt_old->setText(" Strong1 ");
    change->Command1->click();
    settle();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(window<frm_pchange>("frm_pchange"), nullptr);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));

    EXPECT_EQ(restartAndUnlock("Strong1"), nullptr);
    EXPECT_NE(restartAndUnlock("Strong2"), nullptr);
}

TEST_F(FrmStrongTest, LockCloseSavesIntoTheVaultAndForgetsTheKey)
{
    turnOn("Mk1", "Strong1", "Strong1");
    grid()->AddItem({"3", "www.added.com", "a", "p"});
    QPointer<frm_list> closing(list);
    list->close();
    settle();
    EXPECT_TRUE(closing.isNull());
    list = nullptr;
    EXPECT_FALSE(session.isStrong());
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));
    ASSERT_NE(restartAndUnlock("Strong1"), nullptr);
    EXPECT_EQ(grid()->Rows(), 4);
}

TEST_F(FrmStrongTest, TurningOffAsksAndWritesTheDescribedFilesBack)
{
    turnOn("Mk1", "Strong1", "Strong1");
    for (const bool yes : {false, true}) {
        messages.clear();
        frm_strong* form = openDialog();
        ASSERT_NE(form, nullptr);
        EXPECT_FALSE(form->turnsOn());
        form->txt_old->setText("Strong1");
        MsgBox::setAnswerForTesting(yes);
        form->Command1->click();
        settle();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].text.startsWith("Turn strong protection off?")) << qPrintable(messages[0].text);
        if (!yes) {
            EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));
            delete form;
        }
    }
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.ene", "kxpwfl.ene"}));
    EXPECT_FALSE(session.isStrong());
    EXPECT_TRUE(session.isEntry(QStringLiteral("Strong1")));
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("Strong1"));
    EXPECT_EQ(readDeciphered("kxplst.ene", "Strong1"),
              record("site1", "user1", "pw1") + record("site2", "user2", "pw2"));
}

TEST_F(FrmStrongTest, TurningOffRefusesAWrongPassword)
{
    turnOn("Mk1", "Strong1", "Strong1");
    messages.clear();
    frm_strong* form = openDialog();
    form->txt_old->setText("Mk1");
    form->Command1->click();
    settle();
    EXPECT_EQ(messages, QList<Message> {oldWrong});
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));
}

} // namespace

namespace {

// The idle lock with strong protection on: it saves into the vault and
// forgets the key; when the save fails, only the vault's password shows the
// hidden passwords again.
TEST_F(FrmStrongTest, IdleLockSavesTheVaultAndAFailedOneAsksForTheVaultsPassword)
{
    turnOn("Mk1", "Strong1", "Strong1");
    setWritable("kxplst.vault", false);
    list->idleLock();
    settle();
    settle();
    ASSERT_TRUE(list->passwordsLocked());
    EXPECT_TRUE(session.isStrong()) << "the list is still open";
    list->mnu_showpasswords->trigger();
    settle();
    auto* reveal = window<frm_reveal>("frm_reveal");
    ASSERT_NE(reveal, nullptr);
    reveal->txt_password->setText("Mk1"); // the password before strong protection
    reveal->Command1->click();
    EXPECT_TRUE(list->passwordsLocked());
    reveal->txt_password->setText("Strong1");
    reveal->Command1->click();
    settle();
    EXPECT_FALSE(list->passwordsLocked());

    setWritable("kxplst.vault", true);
    QPointer<frm_list> locking(list);
    list->idleLock();
    settle();
    settle();
    EXPECT_TRUE(locking.isNull());
    list = nullptr;
    EXPECT_FALSE(session.isStrong()) << "the key goes with the list";
}

} // namespace
