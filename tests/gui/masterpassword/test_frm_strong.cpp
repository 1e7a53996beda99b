// Strong protection as the user meets it: turning it on and off from the
// Tools menu, unlocking a vault, changing its password, Lock/Close.
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/storage/startup.h"
#include "core/storage/vault.h"
#include "core/storage/vault_test_seam.h"
#include "gui/listings/listfixture.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/listings/frm_add.h"
#include "gui/masterpassword/frm_pchange.h"
#include "gui/masterpassword/frm_reveal.h"
#include "gui/masterpassword/frm_strong.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"
#include "support/faultinjection.h"

#include <QAction>
#include <QLineEdit>
#include <QPointer>
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
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Strong Protection"));
    EXPECT_TRUE(messages[0].text.contains("kxplst-backup-20261209-231500.ene")) << qPrintable(messages[0].text);
    EXPECT_TRUE(messages[0].text.contains("cannot wipe")) << qPrintable(messages[0].text);
    EXPECT_EQ(window<frm_strong>("frm_strong"), nullptr);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));
    EXPECT_TRUE(session.isStrong()) << "the key stands in for the password";
    EXPECT_TRUE(session.isStrong());

    // The list in the grid, unsaved row included, is what the vault holds.
    ASSERT_NE(restartAndUnlock("Strong1#Kq9vLz"), nullptr);
    EXPECT_EQ(grid()->Rows(), 4);
    EXPECT_EQ(cell(3, 1), "www.unsaved.com") << "a sealed list keeps no pad spaces";
}

TEST_F(FrmStrongTest, WeakCopiesStayWhenTheUserSaysNo)
{
    writeFile("kxpwfl-backup-20261209-231500.ene", "weak");
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault", "kxpwfl-backup-20261209-231500.ene"}));
}

TEST_F(FrmStrongTest, TurningOnRefusesWhatTheChangeDialogRefusesAndTheOldPassword)
{
    const struct {
        QString current, fresh, confirm;
        QString says;
    } cases[] = {
        {"mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz", "doesn't match"},
        {"Mk1", "Strong1#Kq9vLz", "Strong2", "Do No Match"},
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
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
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

    unlock->txt_password->setText("Strong1#Kq9vLz");
    unlock->Command1->click();
    settle();
    list = frm_list::instance();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(grid()->Rows(), 3);
    EXPECT_TRUE(session.isStrong());
}

TEST_F(FrmStrongTest, ThePasswordChangeSealsTheVaultAgain)
{
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
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
    change->txt_old->setText(" Strong1#Kq9vLz ");
    change->Command1->click();
    settle();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(window<frm_pchange>("frm_pchange"), nullptr);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));

    EXPECT_EQ(restartAndUnlock("Strong1#Kq9vLz"), nullptr);
    EXPECT_NE(restartAndUnlock("Strong2"), nullptr);
}

TEST_F(FrmStrongTest, LockCloseSavesIntoTheVaultAndForgetsTheKey)
{
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
    grid()->AddItem({"3", "www.added.com", "a", "p"});
    QPointer<frm_list> closing(list);
    list->close();
    settle();
    EXPECT_TRUE(closing.isNull());
    list = nullptr;
    EXPECT_FALSE(session.isStrong());
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));
    ASSERT_NE(restartAndUnlock("Strong1#Kq9vLz"), nullptr);
    EXPECT_EQ(grid()->Rows(), 4);
}

TEST_F(FrmStrongTest, TurningOffAsksAndWritesTheDescribedFilesBackUnderANewPassword)
{
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
    for (const bool yes : {false, true}) {
        messages.clear();
        frm_strong* form = openDialog();
        ASSERT_NE(form, nullptr);
        EXPECT_FALSE(form->turnsOn());
        form->txt_old->setText("Strong1#Kq9vLz");
        form->txt_new->setText(" Back1 ");
        form->txt_confirm->setText("Back1");
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
    EXPECT_TRUE(session.isEntry(QStringLiteral("Back1")));
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("Back1"));
    EXPECT_EQ(readDeciphered("kxplst.ene", "Back1"), record("site1", "user1", "pw1") + record("site2", "user2", "pw2"));
}

// What turning off refuses leaves the vault as it was: a new password like
// the vault's, new entries that disagree, listings the earlier format cannot
// hold (named by site, the first few).
TEST_F(FrmStrongTest, TurningOffRefusesWhatTheEarlierFormatCannotTake)
{
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
    grid()->AddItem({"3", QString(76, 'w'), "u", "p"});
    grid()->AddItem({"4", "www.fits.com", "u", "a password far too long"});
    grid()->AddItem({"5", QStringLiteral("Łódź mail"), "u", "p"});
    const QByteArray vault = readFile("kxplst.vault");
    const struct {
        QString fresh, confirm;
        QStringList says;
    } cases[] = {
        {"Strong1#Kq9vLz", "Strong1#Kq9vLz", {"must differ from the current one"}},
        {"Back1", "Back2", {"Do No Match"}},
        {"Back1",
         "Back1",
         {"3 of your listings cannot be kept", "\"" + QString(76, 'w') + "\"", "\"www.fits.com\"",
          QStringLiteral("\"Łódź mail\"")}},
    };
    for (const auto& c : cases) {
        messages.clear();
        frm_strong* form = openDialog();
        ASSERT_NE(form, nullptr);
        form->txt_old->setText("Strong1#Kq9vLz");
        form->txt_new->setText(c.fresh);
        form->txt_confirm->setText(c.confirm);
        MsgBox::setAnswerForTesting(true);
        form->Command1->click();
        settle();
        ASSERT_EQ(messages.size(), 1) << qPrintable(c.says.first());
        for (const QString& part : c.says)
            EXPECT_TRUE(messages[0].text.contains(part)) << qPrintable(messages[0].text);
        EXPECT_NE(window<frm_strong>("frm_strong"), nullptr);
        EXPECT_EQ(readFile("kxplst.vault"), vault);
        EXPECT_TRUE(session.isStrong());
        delete form;
    }
}

// Sealed backups outlive the vault: they are named, and removed only when
// the user says so.
TEST_F(FrmStrongTest, TurningOffOffersToRemoveTheSealedBackups)
{
    for (const bool remove : {false, true}) {
        SCOPED_TRACE(remove);
        const QString vaultPassword = remove ? "Strong2#Wp4xRt" : "Strong1#Kq9vLz";
        turnOn(remove ? "Back1" : "Mk1", vaultPassword, vaultPassword);
        ASSERT_TRUE(session.isStrong());
        writeFile("kxplst-backup-20261201-101500.vault", readFile("kxplst.vault"));
        messages.clear();
        MsgBox::setObserverForTesting([this, remove](const QString& text, const QString& caption) {
            messages.append({text, caption});
            // Yes to turning off, then the case's answer.
            MsgBox::setAnswerForTesting(messages.size() == 1 || remove);
        });
        MsgBox::setAnswerForTesting(true);
        frm_strong* form = openDialog();
        ASSERT_NE(form, nullptr);
        form->txt_old->setText(vaultPassword);
        form->txt_new->setText(remove ? "Back2" : "Back1");
        form->txt_confirm->setText(remove ? "Back2" : "Back1");
        form->Command1->click();
        settle();
        MsgBox::setObserverForTesting([this](const QString& text, const QString& caption) {
            messages.append({text, caption});
        });
        ASSERT_EQ(messages.size(), 2);
        EXPECT_TRUE(messages[1].text.contains("kxplst-backup-20261201-101500.vault")) << qPrintable(messages[1].text);
        EXPECT_EQ(MsgBox::lastDefaultForTesting(), MsgBox::Default::No);
        EXPECT_EQ(exists("kxplst-backup-20261201-101500.vault"), !remove);
        EXPECT_FALSE(session.isStrong());
        EXPECT_TRUE(exists("kxplst.ene"));
    }
}

// With strong protection the master password is the vault's: any script,
// up to 1,024 characters, through turning on, a change and a new start.
TEST_F(FrmStrongTest, AVaultsPasswordTakesAnyScriptAndMoreThanFifteenCharacters)
{
    const QString first = QStringLiteral("Z\u00e1mek \u0141\u00f3d\u017a \u6771\u4eac \u2014 forty characters long");
    const QString second = QString(1024, QChar(0x4e2d));
    ASSERT_GT(first.size(), 15);
    turnOn("Mk1", first, first);
    ASSERT_TRUE(session.isStrong());
    ASSERT_NE(restartAndUnlock(first), nullptr);
    EXPECT_EQ(grid()->Rows(), 3);

    list->cmd_pword->click();
    settle();
    auto* change = window<frm_pchange>("frm_pchange");
    ASSERT_NE(change, nullptr);
    change->txt_old->setText(first);
    change->txt_new->setText(second);
    change->txt_confirm->setText(second);
    messages.clear();
    change->Command1->click();
    settle();
    EXPECT_EQ(window<frm_pchange>("frm_pchange"), nullptr) << qPrintable(messages.value(0).text);
    ASSERT_NE(restartAndUnlock(second), nullptr);
    EXPECT_EQ(grid()->Rows(), 3);
}

// With strong protection a listing holds today's log-ins: longer values and
// any script, kept through a save and a new start; the list file's limits
// hold again once it is off.
TEST_F(FrmStrongTest, ASealedListTakesLongerListingsInAnyScript)
{
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
    const QString user = QStringLiteral("jane.doe.1987@gmail.com");
    const QString password = QStringLiteral("\u0141ukasz-\u6771\u4eac-a-password-longer-than-fifteen");
    list->cmd_add->click();
    settle();
    auto* add = window<frm_add>("frm_add");
    ASSERT_NE(add, nullptr);
    add->txt_program->setText(QStringLiteral("\u0141\u00f3d\u017a mail"));
    add->txt_user->setText(user);
    add->txt_password->setText(password);
    messages.clear();
    add->cmd_add->click();
    settle();
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.value(0).text);
    ASSERT_EQ(grid()->Rows(), 4);
    QPointer<frm_list> closing = list;
    list->cmd_lock->click();
    settle();
    ASSERT_TRUE(closing.isNull() || !closing->isVisible());
    list = nullptr;

    ASSERT_NE(restartAndUnlock("Strong1#Kq9vLz"), nullptr);
    ASSERT_EQ(grid()->Rows(), 4);
    EXPECT_EQ(cell(3, 1), QStringLiteral("\u0141\u00f3d\u017a mail"));
    EXPECT_EQ(cell(3, 2), user);
    EXPECT_EQ(cell(3, 3), password);
}

TEST_F(FrmStrongTest, TurningOffRefusesAWrongPassword)
{
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
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
    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
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
    reveal->txt_password->setText("Strong1#Kq9vLz");
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

namespace {

// Turning strong protection on or off, or changing the master password with
// or without it, failing at any step: the key in memory is the one in force on disk, so
// the list saved at Lock/Close, with a listing added after the failure,
// opens on the next start with exactly one of the passwords.
TEST_F(FrmStrongTest, AFailedChangeOfTheKeyKeepsTheListSavingUnderThePasswordInForce)
{
    const struct {
        const char* name;
        bool strongBefore;
        bool changeDialog; // Change Password, or Tools > Strong Protection
        QString current, fresh;
        QStringList passwords; // one of them is in force afterwards
    } cases[] = {
        {"turning strong protection on", false, false, "Mk1", "Strong1#Kq9vLz", {"Mk1", "Strong1#Kq9vLz"}},
        {"turning strong protection off", true, false, "Strong1#Kq9vLz", "Back1", {"Back1", "Strong1#Kq9vLz"}},
        {"changing the master password", false, true, "Mk1", "New1", {"Mk1", "New1"}},
        {"changing the vault's password", true, true, "Strong1#Kq9vLz", "Strong2", {"Strong1#Kq9vLz", "Strong2"}},
    };
    // Opens the case's dialog and fills it in: the button that carries it out.
    auto fillIn = [this](const auto& c) -> QPushButton* {
        if (c.changeDialog) {
            list->cmd_pword->click();
            settle();
            auto* form = window<frm_pchange>("frm_pchange");
            if (!form)
                return nullptr;
            form->txt_old->setText(c.current);
            form->txt_new->setText(c.fresh);
            form->txt_confirm->setText(c.fresh);
            return form->Command1;
        }
        frm_strong* form = openDialog();
        if (!form || form->turnsOn() == c.strongBefore)
            return nullptr;
        form->txt_old->setText(c.current);
        form->txt_new->setText(c.fresh);
        form->txt_confirm->setText(c.fresh);
        return form->Command1;
    };
    const QStringList listed {"1|site1|user1|pw1", "2|site2|user2|pw2", "3|www.after.com|late|pw3"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QPushButton* ok = nullptr;
        const int steps = FaultInjection::failAtEachStep(
            [&] {
                // A new start on the folder as the fixture set it up.
                delete list;
                list = nullptr;
                settle();
                clearFolder();
                restartFolder();
                writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
                writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
                ASSERT_NE(openWithListings(2), nullptr);
                if (c.strongBefore)
                    turnOn("Mk1", "Strong1#Kq9vLz", "Strong1#Kq9vLz");
                ASSERT_EQ(session.isStrong(), c.strongBefore);
                messages.clear();
                MsgBox::setAnswerForTesting(true);
                ok = fillIn(c);
                ASSERT_NE(ok, nullptr);
            },
            [&] {
                if (ok)
                    ok->click();
                settle();
            },
            [&](const FaultInjection::Attempt& run) {
                SCOPED_TRACE(run.step);
                MsgBox::setAnswerForTesting(false);
                ASSERT_NE(list, nullptr);
                grid()->AddItem({"3", "www.after.com", "late", "pw3"});
                messages.clear();
                QPointer<frm_list> closing(list);
                list->cmd_lock->click();
                settle();
                ASSERT_TRUE(closing.isNull()) << qPrintable(messages.value(0).text);
                list = nullptr;
                EXPECT_EQ(messages, (QList<Message> {{"Bye..", "Sorry to see you go."}}));
                EXPECT_FALSE(session.hasKey());

                // Each password on the folder as Lock/Close left it.
                const QMap<QString, QByteArray> closed = snapshot();
                QStringList opening;
                for (const QString& password : c.passwords) {
                    clearFolder();
                    for (auto file = closed.cbegin(); file != closed.cend(); ++file)
                        writeFile(file.key(), file.value());
                    restartFolder();
                    Startup::prepareFolder(folder());
                    restartSession();
                    if (!unlockWith(password))
                        continue;
                    opening.append(password);
                    list = frm_list::instance();
                    QStringList rows;
                    for (int row = 1; row < grid()->Rows(); ++row) {
                        QStringList cells;
                        for (int column = 0; column < 4; ++column)
                            cells.append(cell(row, column).trimmed());
                        rows.append(cells.join('|'));
                    }
                    EXPECT_EQ(rows, listed) << qPrintable(password);
                    delete list;
                    list = nullptr;
                    settle();
                }
                EXPECT_EQ(opening.size(), 1)
                    << qPrintable(opening.join(", ")) << " open the list among " << qPrintable(closed.keys().join(' '));
            });
        EXPECT_GT(steps, 0);
    }
}

} // namespace
