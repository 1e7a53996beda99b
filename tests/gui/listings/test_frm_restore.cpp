// Tools -> Restore From Backup as the user meets it: choose a kept copy,
// give its password when asked, agree, and the grid and the list file hold
// it, with the list it replaced kept as a backup.
#include "core/listings/listbackups.h"
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "gui/listings/frm_restore.h"
#include "gui/listings/listfixture.h"
#include "gui/ui/msgbox.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

class FrmRestoreTest : public ListWindowTest {
protected:
    void SetUp() override
    {
        ListWindowTest::SetUp();
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
    }
    void TearDown() override { ListWindowTest::TearDown(); }

    static Vault::Session sessionFor(const QByteArray& password)
    {
        Vault::Session session;
        session.params = Vault::minimumParams();
        session.salt = Vault::newSalt();
        session.key = std::move(*Vault::deriveKey(password, session.params, session.salt));
        return session;
    }
    void writeVault(const QString& name, const QByteArray& records, const QByteArray& password) const
    {
        QByteArray file;
        ASSERT_TRUE(VaultList::seal(ListFile::parse(records), sessionFor(password), &file));
        writeFile(name, file);
    }
    // The list open under strong protection, sealed under "Strong1".
    void openSealed(int count)
    {
        openWithListings(count);
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
        const StrongProtection::TurnedOn turned = session.turnOn("Strong1");
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        ASSERT_TRUE(turned.on && turned.result.ok) << qPrintable(turned.result.error);
        ASSERT_FALSE(exists("kxplst.ene"));
    }

    frm_restore* openDialog()
    {
        list->mnu_restore->trigger();
        settle();
        return window<frm_restore>("frm_restore");
    }
    QStringList backupsShown(frm_restore* form) const
    {
        QStringList rows;
        for (int i = 0; i < form->lst_backups->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = form->lst_backups->topLevelItem(i);
            rows.append(item->text(0) + "|" + item->text(1));
        }
        return rows;
    }
    QStringList newFiles(const QMap<QString, QByteArray>& before) const
    {
        QStringList added;
        for (const QString& name : files()) {
            if (!before.contains(name))
                added.append(name);
        }
        return added;
    }

    const QByteArray three =
        record("www.old.com", "ann", "old1") + record("prog", "bob", "old2") + record("mail", "cy", "old3");
};

TEST_F(FrmRestoreTest, RestoresABackupAndKeepsTheListItReplaces)
{
    const struct {
        const char* name;
        bool sealedList; // strong protection is on
        bool vaultBackup; // the backup is sealed, else described
        bool keptPassword; // a described backup's password file was kept too
        const char* typed; // what the user types (nothing when no question)
    } cases[] = {
        {"described, its password kept", false, false, true, ""},
        {"described, password typed", false, false, false, "Old1"},
        {"vault backup", false, true, false, "Old1"},
        {"described backup into a sealed list", true, false, true, ""},
        {"vault backup into a sealed list", true, true, false, "Old1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clearFolder();
        messages.clear();
        session.useKeyForTesting(QStringLiteral("Mk1"));
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        if (c.sealedList)
            openSealed(2);
        else
            openWithListings(2);
        ASSERT_NE(list, nullptr);
        const QList<Listing> replaced = grid()->listings();
        if (c.vaultBackup) {
            writeVault("kxplst-backup-20250101-100000.vault", three, "Old1");
        } else {
            writeCiphered("kxplst-backup-20250101-100000.ene", three, "Old1");
            if (c.keptPassword)
                writeCiphered("kxpwfl-backup-20250101-100000.ene", "Old1", "sx8peu3");
        }
        const auto before = snapshot();

        frm_restore* form = openDialog();
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(backupsShown(form), (QStringList {QString("2025-01-01 10:00:00|")
                                                    + (c.vaultBackup ? "strong protection" : "earlier format")}));
        form->txt_password->setText(c.typed);
        MsgBox::setAnswerForTesting(true);
        form->Command1->click();
        settle();

        ASSERT_EQ(messages.size(), 2) << qPrintable(messages.value(0).text);
        EXPECT_TRUE(messages[0].text.contains("holds 3 listings")) << qPrintable(messages[0].text);
        EXPECT_EQ(messages[0].caption, "Restore From Backup");
        EXPECT_TRUE(messages[1].text.contains("3 listings")) << qPrintable(messages[1].text);
        EXPECT_EQ(findWindow("frm_restore"), nullptr);
        EXPECT_EQ(::padded(grid()->listings()), ListFile::parse(three));
        // A sealed list keeps the values without the list file's pad spaces.
        EXPECT_EQ(rowText(1),
                  c.sealedList ? QString("1|www.old.com|ann|old1")
                               : "1|" + padded("www.old.com", 75) + "|" + padded("ann", 20) + "|" + padded("old1", 15));

        // Saved as the list in the protection in force.
        const QStringList added = newFiles(before);
        ASSERT_EQ(added.size(), c.sealedList ? 1 : 2) << qPrintable(added.join(' '));
        const QString kept = added.filter("kxplst-backup-").value(0);
        EXPECT_TRUE(messages[1].text.contains(kept)) << qPrintable(messages[1].text);
        if (c.sealedList) {
            EXPECT_FALSE(exists("kxplst.ene"));
            ListSession reopened(folder());
            ASSERT_TRUE(reopened.unlockVault("Strong1").opened);
            ASSERT_TRUE(reopened.load());
            // A sealed list keeps the values without the list file's pad spaces.
            EXPECT_EQ(::padded(reopened.listings()), ListFile::parse(three));
            EXPECT_TRUE(kept.endsWith(".vault"));
        } else {
            EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), three);
            EXPECT_EQ(readFile("kxpwfl.ene"), before.value("kxpwfl.ene"));
            EXPECT_TRUE(kept.endsWith(".ene"));
            EXPECT_EQ(readFile(QString(kept).replace("kxplst", "kxpwfl")), before.value("kxpwfl.ene"));
        }
        // The replaced list opens from its backup under the password in force.
        ListBackups::Backup backup;
        for (const auto& found : ListBackups::find(folder())) {
            if (QFileInfo(found.path).fileName() == kept)
                backup = found;
        }
        ASSERT_FALSE(backup.path.isEmpty());
        const auto contents =
            c.sealedList ? ListBackups::read(backup, "Strong1") : ListBackups::readWithKeptPassword(backup);
        EXPECT_EQ(::padded(contents.listings), ::padded(replaced));
        // Every file that was there is there still, unchanged, but the list.
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (!it.key().startsWith("kxplst.")) {
                EXPECT_EQ(readFile(it.key()), it.value()) << qPrintable(it.key());
            }
        }
        delete list;
        settle();
    }
}

TEST_F(FrmRestoreTest, NothingChangesUntilTheUserAgrees)
{
    openWithListings(2);
    writeCiphered("kxplst-backup-20250101-100000.ene", three, "Old1");
    writeVault("kxplst-backup-20240101-100000.vault", three, "Old1");
    const auto before = snapshot();
    const QList<Listing> shown = grid()->listings();

    frm_restore* form = openDialog();
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(backupsShown(form).size(), 2);
    const struct {
        const char* name;
        int row;
        const char* typed;
        bool agree;
        const char* said;
    } cases[] = {
        {"no password typed", 0, "", true, "Type the password"},
        {"wrong password, described", 0, "Wrong7", true, "does not open"},
        {"wrong password, vault", 1, "Old2", true, "does not open"},
        {"the user says No", 0, "Old1", false, "holds 3 listings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        form->lst_backups->setCurrentItem(form->lst_backups->topLevelItem(c.row));
        form->txt_password->setText(c.typed);
        MsgBox::setAnswerForTesting(c.agree);
        form->Command1->click();
        settle();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].text.contains(c.said)) << qPrintable(messages[0].text);
        EXPECT_EQ(findWindow("frm_restore"), form) << "the dialog stays";
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(grid()->listings(), shown);
    }
    EXPECT_TRUE(form->txt_password->text().isEmpty()) << "a wrong password is not kept";
    form->Command2->click();
    settle();
    EXPECT_EQ(findWindow("frm_restore"), nullptr);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(FrmRestoreTest, AListEqualToTheBackupIsNotKeptAgain)
{
    writeCiphered("kxplst.ene", three, "Mk1");
    list = frm_list::open(session);
    ASSERT_NE(list, nullptr);
    writeCiphered("kxplst-backup-20250101-100000.ene", three, "Mk1");
    const auto before = snapshot();
    frm_restore* form = openDialog();
    ASSERT_NE(form, nullptr);
    form->txt_password->setText("Mk1");
    MsgBox::setAnswerForTesting(true);
    form->Command1->click();
    settle();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_FALSE(messages[1].text.contains("kept as")) << qPrintable(messages[1].text);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(FrmRestoreTest, AFailedSaveLeavesTheListAsItWas)
{
    openWithListings(2);
    writeCiphered("kxplst-backup-20250101-100000.ene", three, "Old1");
    setWritable("kxplst.ene", false);
    const QList<Listing> shown = grid()->listings();
    frm_restore* form = openDialog();
    ASSERT_NE(form, nullptr);
    form->txt_password->setText("Old1");
    MsgBox::setAnswerForTesting(true);
    form->Command1->click();
    settle();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].text.contains("stays as it was")) << qPrintable(messages[1].text);
    EXPECT_EQ(grid()->listings(), shown);
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), record("site1", "user1", "pw1") + record("site2", "user2", "pw2"));
    setWritable("kxplst.ene", true);
}

TEST_F(FrmRestoreTest, DesktopKeysAndFocus)
{
    openWithListings(1);
    writeVault("kxplst-backup-20250101-100000.vault", three, "Old1");
    frm_restore* form = openDialog();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->focusWidget(), form->lst_backups) << "the focus starts in the first box";
    EXPECT_TRUE(form->Command1->isDefault());
    // Return presses the default button: with no password it asks for one.
    QTest::keyClick(form->lst_backups, Qt::Key_Return);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains("Type the password")) << qPrintable(messages[0].text);
    QTest::keyClick(form->txt_password, Qt::Key_Escape);
    settle();
    EXPECT_EQ(findWindow("frm_restore"), nullptr);

    // No backup: nothing to restore.
    QFile::remove(path("kxplst-backup-20250101-100000.vault"));
    form = openDialog();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->Command1->isEnabled());
    EXPECT_TRUE(backupsShown(form).value(0).contains("No backup")) << qPrintable(backupsShown(form).join(','));
}

} // namespace
