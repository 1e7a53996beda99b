// Damaged and unusual folders, driven through the whole program as a user
// meets them: start, unlock, add a listing, Lock/Close. Nothing on disk
// changes except what the program's rules say, and every message names
// the file it is about.
#include "app/appfixture.h"
#include "app/startupprocedure.h"
#include "core/storage/filecipher.h"
#include "core/storage/instancelock.h"
#include "core/storage/module1.h"
#include "gui/listings/frm_list.h"
#include "gui/listings/passwordgrid.h"
#include "gui/masterpassword/frm_new.h"
#include "gui/masterpassword/frm_protect.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/ui/msgbox.h"
#include "support/listrecords.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>

namespace {

class UnusualFolderTest : public AppTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        writeCiphered("kxplst.ene", twoListings, "Mk1");
    }

    // Adds a listing and closes; when the save fails, closes once more and
    // leaves without saving.
    void addAndClose(frm_list* list)
    {
        list->grd_password->AddItem({"3", "www.added.com", "me", "pw3"});
        MsgBox::setAnswerForTesting(true);
        QPointer<frm_list> guard(list);
        list->close();
        settle();
        if (guard) {
            guard->close();
            settle();
        }
        EXPECT_TRUE(guard.isNull()) << "the program ends";
        lock.release();
    }

    QByteArray threeListings() const { return twoListings + record("www.added.com", "me", "pw3"); }

    InstanceLock lock;
    const QByteArray twoListings = record("www.a.com", "ann", "pw1") + record("prog", "bob", "pw2");
    const Message bye {"Bye..", "Sorry to see you go."};
};

TEST_F(UnusualFolderTest, TailThatIsNoListing)
{
    writeCiphered("kxplst.ene", twoListings + QByteArray(50, 'x'), "Mk1");
    const QByteArray asFound = readFile("kxplst.ene");
    frm_list* list = startAndUnlock(lock, "Mk1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(messages.size(), 1);
    const QString backup = files().filter("backup").value(0);
    ASSERT_FALSE(backup.isEmpty()) << qPrintable(files().join(' '));
    EXPECT_TRUE(messages[0].text.contains(backup) && messages[0].text.contains("kxplst.ene"))
        << qPrintable(messages[0].text);
    addAndClose(list);
    EXPECT_EQ(readFile(backup), asFound);
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), threeListings());
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", backup, "kxplst.ene", "kxpwfl.ene"}));
}

TEST_F(UnusualFolderTest, NulInAField)
{
    QByteArray withNul = twoListings;
    withNul[77] = '\0';
    writeCiphered("kxplst.ene", withNul, "Mk1");
    const QByteArray asFound = readFile("kxplst.ene");
    frm_list* list = startAndUnlock(lock, "Mk1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains("NUL")) << qPrintable(messages[0].text);
    addAndClose(list);
    const QStringList backups = files().filter("backup");
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(readFile(backups[0]), asFound);
}

TEST_F(UnusualFolderTest, EveryDataFileASymbolicLink)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    for (const QString& name :
         {QStringLiteral("kxinit.ene"), QStringLiteral("kxpwfl.ene"), QStringLiteral("kxplst.ene")}) {
        ASSERT_TRUE(QFile::rename(path(name), path("real/" + name)));
        ASSERT_TRUE(QFile::link("real/" + name, path(name)));
    }
    frm_list* list = startAndUnlock(lock, "Mk1");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(messages.isEmpty());
    addAndClose(list);
    for (const QString& name :
         {QStringLiteral("kxinit.ene"), QStringLiteral("kxpwfl.ene"), QStringLiteral("kxplst.ene")})
        EXPECT_TRUE(QFileInfo(path(name)).isSymLink()) << qPrintable(name);
    EXPECT_EQ(readDeciphered("real/kxplst.ene", "Mk1"), threeListings());
    EXPECT_EQ(QDir(path("real")).entryList(QDir::Files), (QStringList {"kxinit.ene", "kxplst.ene", "kxpwfl.ene"}));
}

TEST_F(UnusualFolderTest, SymbolicLinksThroughASetUp)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    writeCiphered("real/kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze");
    for (const QString& name :
         {QStringLiteral("kxinit.ene"), QStringLiteral("kxpwfl.ene"), QStringLiteral("kxplst.ene")}) {
        QFile::remove(path(name));
        ASSERT_TRUE(QFile::link("real/" + name, path(name)));
    }
    ASSERT_TRUE(start(lock));
    auto* question = window<frm_protect>("frm_protect");
    ASSERT_NE(question, nullptr);
    question->cmd_scrambled->click();
    settle();
    auto* setup = window<frm_new>("frm_new");
    ASSERT_NE(setup, nullptr);
    setup->txt_npassword->setText("abc");
    setup->txt_npasswordc->setText("abc");
    setup->Command1->click();
    settle();
    frm_list* list = frm_list::instance();
    ASSERT_NE(list, nullptr);
    addAndClose(list);
    EXPECT_EQ(readDeciphered("real/kxinit.ene", "hmut58qkze"), QByteArray("VELLA1nty-V1.0.1-NEWSETUP"));
    EXPECT_EQ(readDeciphered("real/kxpwfl.ene", "sx8peu3"), QByteArray("abc") + QByteArray(22, ' '));
    EXPECT_EQ(readDeciphered("real/kxplst.ene", "abc"), record("www.added.com", "me", "pw3"));
    for (const QString& name :
         {QStringLiteral("kxinit.ene"), QStringLiteral("kxpwfl.ene"), QStringLiteral("kxplst.ene")})
        EXPECT_TRUE(QFileInfo(path(name)).isSymLink()) << qPrintable(name);
}

// Read-only by mode, whoever runs the program: the list opens, saving it is
// refused with a message naming the file, and the user may leave without.
TEST_F(UnusualFolderTest, ReadOnlyListFile)
{
    setWritable("kxplst.ene", false);
    const auto before = snapshot();
    frm_list* list = startAndUnlock(lock, "Mk1");
    ASSERT_NE(list, nullptr);
    addAndClose(list);
    ASSERT_EQ(messages.size(), 3);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(messages[i].caption, QStringLiteral("Save Failed"));
        EXPECT_TRUE(messages[i].text.contains("kxplst.ene") && messages[i].text.contains("read-only"))
            << qPrintable(messages[i].text);
    }
    EXPECT_EQ(messages[2], bye);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(QFile::permissions(path("kxplst.ene")) & QFile::WriteOwner, 0) << "the mode stays";
}

TEST_F(UnusualFolderTest, ReadOnlyFolder)
{
    const auto before = snapshot();
    setWritable({}, false);
    frm_list* list = startAndUnlock(lock, "Mk1");
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(lock.isHeld()) << "no lock file in a read-only folder";
    EXPECT_EQ(list->grd_password->Rows(), 3);
    addAndClose(list);
    setWritable({}, true);
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[0].text.contains(dir.path())) << qPrintable(messages[0].text);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(UnusualFolderTest, SecondCopyRunning)
{
    QLockFile other(path("vellamar.lock"));
    ASSERT_TRUE(other.tryLock(0));
    const auto before = snapshot();
    EXPECT_FALSE(start(lock));
    EXPECT_EQ(messages,
              (QList<Message> {{"The password list is already open in another Vellamar window.", "Vellamar"}}));
    EXPECT_EQ(findWindow("frm_password"), nullptr);
    EXPECT_EQ(findWindow("frm_protect"), nullptr);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(UnusualFolderTest, LockOfACopyThatWasKilledIsTakenOver)
{
    // What a killed copy leaves: a lock naming a process that is gone.
    writeFile("vellamar.lock", "999999\nvellamar\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    frm_list* list = startAndUnlock(lock, "Mk1");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(lock.isHeld());
    addAndClose(list);
}

} // namespace
