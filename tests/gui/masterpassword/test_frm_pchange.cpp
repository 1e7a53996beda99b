#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/safewrite.h"
#include "core/storage/startup.h"
#include "gui/listings/listfixture.h"
#include "gui/listings/listio.h"
#include "gui/masterpassword/frm_pchange.h"
#include "support/faultinjection.h"
#include "support/formchecks.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class FrmPchangeTest : public ListWindowTest {
protected:
    void SetUp() override
    {
        ListWindowTest::SetUp();
        // As set-up wrote it: the password padded to 25.
        writeCiphered("kxpwfl.ene", QByteArray("Mk1") + QByteArray(22, ' '), "sx8peu3");
        openWithListings(2);
        listBefore = readFile("kxplst.ene");
        passwordFileBefore = readFile("kxpwfl.ene");
    }
    frm_pchange* openDialog()
    {
        list->cmd_pword->click();
        settle();
        return window<frm_pchange>("frm_pchange");
    }
    void submit(frm_pchange* form, const QString& old, const QString& fresh, const QString& confirm)
    {
        form->txt_old->setText(old);
        form->txt_new->setText(fresh);
        form->txt_confirm->setText(confirm);
        form->Command1->click();
        settle();
    }
    void expectNothingChanged()
    {
        EXPECT_TRUE(session.isEntry(QStringLiteral("Mk1")));
        EXPECT_EQ(readFile("kxpwfl.ene"), passwordFileBefore);
        EXPECT_EQ(readFile("kxplst.ene"), listBefore);
        EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"}));
    }
    QByteArray listBefore;
    QByteArray passwordFileBefore;
    const Message oldWrong {"Please re-enter old password as it doesn't match.", "Boo Boo"};
    const Message newDiffer {"New Password and Confirmed Password Do No Match. Please re-enter.", "Boo Boo"};
};

TEST_F(FrmPchangeTest, ChangeRewritesThePasswordBareAndRekeysTheList)
{
    QPointer<frm_pchange> form = openDialog();
    submit(form, " Mk1 ", "xyz", "xyz ");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(session.isEntry(QStringLiteral("xyz")));
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("xyz"));
    EXPECT_EQ(readDeciphered("kxplst.ene", "xyz"), readDeciphered("kxplst.ene", "xyz").left(220));
    EXPECT_EQ(readDeciphered("kxplst.ene", "xyz"), CipherBytes(listBefore, "Mk1"));
    EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"}));

    // The next start unlocks with the new password and shows the listings.
    delete list;
    EXPECT_EQ(unlockWith("Mk1"), nullptr);
    list = unlockWith("xyz");
    ASSERT_EQ(messages.size(), 1) << "the old password is refused";
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(grid()->Rows(), 3);
}

TEST_F(FrmPchangeTest, SamePasswordAgainShrinksTheFileToItsLength)
{
    submit(openDialog(), "Mk1", "Mk1", "Mk1");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("Mk1"));
}

TEST_F(FrmPchangeTest, OldPasswordIsComparedWithTheFileNotWithMemory)
{
    session.useKeyForTesting(QStringLiteral("in memory"));
    frm_pchange* form = openDialog();
    submit(form, "in memory", "abc", "abc");
    EXPECT_EQ(messages, QList<Message> {oldWrong});
    session.useKeyForTesting(QStringLiteral("Mk1"));
    expectNothingChanged();
}

TEST_F(FrmPchangeTest, WrongOldPasswordEmptiesOnlyItsBoxAndComesFirst)
{
    frm_pchange* form = openDialog();
    form->txt_confirm->setFocus();
    submit(form, "mk1", "abc", "ABC");
    EXPECT_EQ(messages, QList<Message> {oldWrong});
    EXPECT_TRUE(form->txt_old->text().isEmpty());
    EXPECT_EQ(form->txt_new->text(), QStringLiteral("abc"));
    EXPECT_EQ(form->txt_confirm->text(), QStringLiteral("ABC"));
    EXPECT_EQ(form->focusWidget(), form->txt_confirm) << "the focus is not moved";
    expectNothingChanged();
}

TEST_F(FrmPchangeTest, RefusedNewPasswordsEmptyBothNewBoxes)
{
    const struct {
        QString fresh, confirm;
        const char* mentions;
    } cases[] = {
        {"abc", "abC", "Do No Match"},
        {"", "", "cannot be empty"},
        {"   ", " ", "cannot be empty"},
        {QString::fromUtf16(u"p\u0142"), QString::fromUtf16(u"p\u0142"), "cannot hold"},
    };
    frm_pchange* form = openDialog();
    for (const auto& c : cases) {
        messages.clear();
        submit(form, "Mk1", c.fresh, c.confirm);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].text.contains(QString::fromLatin1(c.mentions))) << qPrintable(messages[0].text);
        EXPECT_EQ(form->txt_old->text(), QStringLiteral("Mk1"));
        EXPECT_TRUE(form->txt_new->text().isEmpty());
        EXPECT_TRUE(form->txt_confirm->text().isEmpty());
        EXPECT_TRUE(form->isVisible());
    }
    expectNothingChanged();
}

TEST_F(FrmPchangeTest, CancelChangesNothing)
{
    QPointer<frm_pchange> form = openDialog();
    form->txt_old->setText("Mk1");
    form->txt_new->setText("new");
    form->txt_confirm->setText("new");
    form->Command2->click();
    settle();
    EXPECT_TRUE(form.isNull());
    expectNothingChanged();
}

TEST_F(FrmPchangeTest, AskingAgainBringsTheOpenDialogForward)
{
    frm_pchange* form = openDialog();
    form->txt_old->setText("typed");
    list->mnu_pword->trigger();
    EXPECT_EQ(openWindowCount("frm_pchange"), 1);
    EXPECT_EQ(window<frm_pchange>("frm_pchange")->txt_old->text(), QStringLiteral("typed"));
}

// A change that fails at any step: before the new password file is in
// place nothing changes; after it, the new password holds and the next save
// puts the newest list under it.
TEST_F(FrmPchangeTest, AChangeFailingAtAnyStepKeepsAPairThatOpens)
{
    grid()->AddItem({"3", "www.unsaved.com", "u", "p"});
    const QByteArray unsaved = CipherBytes(listBefore, "Mk1") + record("www.unsaved.com", "u", "p");
    QPointer<frm_pchange> form;
    const int steps = FaultInjection::failAtEachStep(
        [&] {
            messages.clear();
            session.useKeyForTesting(QStringLiteral("Mk1"));
            writeFile("kxpwfl.ene", passwordFileBefore);
            writeFile("kxplst.ene", listBefore);
            form = openDialog();
        },
        [&] { submit(form, "Mk1", "xyz", "xyz"); },
        [&](const FaultInjection::Attempt& run) {
            if (!run.faulted) {
                EXPECT_TRUE(messages.isEmpty());
                EXPECT_TRUE(form.isNull());
                EXPECT_EQ(readDeciphered("kxplst.ene", "xyz"), unsaved);
                return;
            }
            ASSERT_EQ(messages.size(), 1) << run.step;
            if (messages[0].caption == QStringLiteral("Password Not Changed")) {
                EXPECT_TRUE(form && form->isVisible()) << run.step;
                expectNothingChanged();
                return;
            }
            EXPECT_EQ(messages[0].caption, QStringLiteral("Password Changed")) << run.step;
            EXPECT_TRUE(form.isNull()) << run.step;
            EXPECT_TRUE(session.isEntry(QStringLiteral("xyz")));
            EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("xyz"));
            // The list saved now is the one the next start opens.
            grid()->AddItem({"4", "www.later.com", "l", "p"});
            ASSERT_TRUE(SaveList(session, *grid()));
            EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"})) << run.step;
            EXPECT_EQ(readDeciphered("kxplst.ene", "xyz"), unsaved + record("www.later.com", "l", "p"));
            grid()->RemoveItem(4);
        });
    EXPECT_EQ(steps, 10);
}

TEST_F(FrmPchangeTest, AFailedSaveAfterAPartlyFailedChangeKeepsTheFilesInStep)
{
    // The change stops after the new password is in place, before its list
    // is; then the save fails too.
    SafeWrite::setFailingStepForTesting(9);
    submit(openDialog(), "Mk1", "xyz", "xyz");
    ASSERT_TRUE(SafeWrite::failingStepFiredForTesting());
    ASSERT_TRUE(session.isEntry(QStringLiteral("xyz")));
    grid()->AddItem({"3", "www.third.com", "t", "p"});
    SafeWrite::setFailingStepForTesting(1);
    list->close();
    settle();
    ASSERT_TRUE(SafeWrite::failingStepFiredForTesting());
    ASSERT_TRUE(list->isVisible()) << "the failed save keeps the window";

    // Whatever happens now, the stored password opens a whole list.
    delete list;
    restartFolder();
    Startup::prepareFolder(folder());
    QString stored;
    ASSERT_TRUE(DataFiles::readStoredPassword(folder(), &stored));
    EXPECT_EQ(stored, QStringLiteral("xyz"));
    QList<Listing> listings;
    ASSERT_TRUE(ListFile::load(folder(), stored, &listings));
    EXPECT_EQ(listings.size(), 2);
}

TEST_F(FrmPchangeTest, UnreadablePasswordFileKeepsTheListAndTheDialogOpen)
{
    grid()->AddItem({"3", "www.unsaved.com", "u", "p"});
    frm_pchange* form = openDialog();
    QFile::remove(path("kxpwfl.ene"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("kxpwfl.ene"));
    submit(form, "Mk1", "xyz", "xyz");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Password Not Changed"));
    EXPECT_TRUE(messages[0].text.contains("kxpwfl.ene")) << qPrintable(messages[0].text);
    EXPECT_TRUE(faults.isEmpty());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(grid()->Rows(), 4);
    EXPECT_EQ(readFile("kxplst.ene"), listBefore);
}

TEST_F(FrmPchangeTest, ClosingTheListClosesTheDialog)
{
    QPointer<frm_pchange> form = openDialog();
    list->close();
    settle();
    EXPECT_TRUE(form.isNull());
}

} // namespace
