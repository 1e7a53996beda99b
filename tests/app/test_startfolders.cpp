// Odd folders at the start, as a careful user or a stray tool leaves them:
// each runs through the real start and unlock, and afterwards every list
// file as it was found is still in the folder, byte for byte. A case whose
// name holds "ReadOnly" runs again as an unprivileged user.
#include "app/appfixture.h"
#include "app/startupprocedure.h"
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/storage/ansi.h"
#include "core/storage/instancelock.h"
#include "core/storage/module1.h"
#include "core/storage/vault.h"
#include "gui/listings/frm_list.h"
#include "gui/listings/passwordgrid.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/ui/msgbox.h"
#include "support/listrecords.h"

#include <QDir>
#include <QFile>

#include <functional>

namespace {

const QByteArray kTwoListings = record("www.a.com", "ann", "pw1") + record("prog", "bob", "pw2");
const QByteArray kThreeListings = kTwoListings + record("www.c.com", "cy", "pw3");

// What a case expects once the start and the unlock are done.
struct Expected {
    int listings = -1; // in the open list; -1: the start ends, no list opens
    QStringList told; // each is in the one message after unlock (or in the fault when the start ends)
    QStringList filesAfter; // names (or name prefixes ending in '*') that must be there afterwards
};

class StartFoldersTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    }
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        AppTest::TearDown();
    }

    // The described pair under "Mk1", two listings.
    void pair() const
    {
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        writeCiphered("kxplst.ene", kTwoListings, "Mk1");
    }
    // A vault of this program holding plain records under password.
    static QByteArray vaultOf(const QByteArray& password, const QByteArray& records)
    {
        const Vault::Salt salt = Vault::newSalt();
        auto key = Vault::deriveKey(password, Vault::minimumParams(), salt);
        EXPECT_TRUE(key.has_value());
        return Vault::seal(records, *key, Vault::minimumParams(), salt);
    }
    void link(const QString& target, const QString& name) const { ASSERT_TRUE(QFile::link(target, path(name))); }

    // Every regular file's bytes, links followed, as a list could be read.
    QList<QByteArray> listFilesFound() const
    {
        QList<QByteArray> found;
        for (const QString& name : files()) {
            const QFileInfo info(path(name));
            if ((name.startsWith("kxplst") || name.startsWith("kxpwfl")) && info.isFile() && info.isReadable())
                found.append(readFile(name));
        }
        return found;
    }

    void run(const char* name, const std::function<void()>& setUp, const char* entry, const Expected& expected,
             bool readOnlyFolder = false)
    {
        SCOPED_TRACE(name);
        setWritable({}, true);
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        setUp();
        const QList<QByteArray> before = listFilesFound();
        const QStringList namesBefore = files();
        if (readOnlyFolder)
            setWritable({}, false);
        messages.clear();
        faults.clear();
        InstanceLock lock;
        bool started = false;
        try {
            started = start(lock);
        } catch (const FaultStopped&) {
            // The program would have ended here; the fault is checked below.
        }
        auto* unlock = window<frm_password>("frm_password");
        if (expected.listings < 0) {
            EXPECT_FALSE(started && unlock) << "the start ends";
            ASSERT_EQ(faults.size(), 1) << qPrintable(messages.value(0).text);
            for (const QString& part : expected.told)
                EXPECT_TRUE(faults[0].contains(part)) << qPrintable(part) << " in " << qPrintable(faults[0]);
            QStringList now = files();
            now.removeAll("vellamar.lock"); // held while the program runs
            EXPECT_EQ(now, namesBefore) << "nothing was changed";
        } else {
            ASSERT_NE(unlock, nullptr) << qPrintable(faults.join(' '));
            MsgBox::setAnswerForTesting(false);
            frm_list* list = unlockStarted(QString::fromLatin1(entry));
            ASSERT_NE(list, nullptr) << qPrintable(faults.join(' ')) << qPrintable(messages.value(0).text);
            EXPECT_EQ(list->grd_password->Rows() - 1, expected.listings);
            EXPECT_TRUE(faults.isEmpty()) << qPrintable(faults.join(' '));
            QStringList texts;
            for (const Message& message : messages)
                texts.append(message.text);
            for (const QString& part : expected.told)
                EXPECT_TRUE(texts.join(' ').contains(part))
                    << qPrintable(part) << " in " << qPrintable(texts.join('|'));
            if (expected.told.isEmpty()) {
                EXPECT_TRUE(messages.isEmpty()) << qPrintable(texts.join('|'));
            }
            for (const QString& text : texts)
                EXPECT_FALSE(text.contains("in-correct")) << qPrintable(text);
        }
        for (const QString& wanted : expected.filesAfter) {
            const bool prefix = wanted.endsWith('*');
            EXPECT_FALSE((prefix
                              ? files().filter(QRegularExpression("^" + QRegularExpression::escape(wanted.chopped(1))))
                              : files().filter(QRegularExpression("^" + QRegularExpression::escape(wanted) + "$")))
                             .isEmpty())
                << qPrintable(wanted) << " in " << qPrintable(files().join(' '));
        }
        const QList<QByteArray> after = listFilesFound();
        for (const QByteArray& bytes : before)
            EXPECT_TRUE(after.contains(bytes)) << "a list file as found is gone: " << qPrintable(namesBefore.join(' '))
                                               << " -> " << qPrintable(files().join(' '));
        // Without saving: what the program wrote at start and unlock is checked.
        if (frm_list* list = frm_list::instance())
            delete list;
        delete window<frm_password>("frm_password");
        settle();
        lock.release();
        uninstallEndOfSessionHandler();
        setWritable({}, true);
    }
};

TEST_F(StartFoldersTest, EachFolderOpensWhatItHoldsAndLosesNoList)
{
    const auto vaultHeaderOverGarbage = [] {
        QByteArray bytes = vaultOf("Other1", kTwoListings);
        for (qsizetype i = Vault::kHeaderSize; i < bytes.size(); ++i)
            bytes[i] = char(i * 7);
        return bytes;
    };
    run("the described pair", [&] { pair(); }, "Mk1", {2, {}, {"kxplst.ene", "kxpwfl.ene"}});
    for (const QByteArray& stray : {QByteArray(), QByteArray("hello")}) {
        run("an empty or foreign vault beside the pair",
            [&] {
                pair();
                writeFile("kxplst.vault", stray);
            },
            "Mk1",
            {2, {"kxplst.vault", "cannot be read", "stays as found"}, {"kxplst.ene", "kxpwfl.ene", "kxplst.vault"}});
    }
    run("a vault header over garbage beside the pair",
        [&] {
            pair();
            writeFile("kxplst.vault", vaultHeaderOverGarbage());
        },
        "Mk1", {2, {"kxplst.vault", "did not open", "kxplst-backup-"}, {"kxplst.ene", "kxplst-backup-*"}});
    run("a cut-short vault beside the pair",
        [&] {
            pair();
            writeFile("kxplst.vault", vaultOf("Other1", kTwoListings).chopped(3));
        },
        "Mk1", {2, {"kxplst.vault", "damaged", "kxplst-backup-"}, {"kxplst.ene", "kxplst-backup-*"}});
    run("a vault that is a link into a missing folder, beside the pair",
        [&] {
            pair();
            link("/nonexistent-drive/kxplst.vault", "kxplst.vault");
        },
        "Mk1", {2, {"kxplst.vault", "not there", "stays as found"}, {"kxplst.vault"}});
    run("a vault that is a link loop, beside the pair",
        [&] {
            pair();
            link("loop.vault", "kxplst.vault");
            link("kxplst.vault", "loop.vault");
        },
        "Mk1", {2, {"kxplst.vault", "loop"}, {"kxplst.vault"}});
    run("a vault that is a folder, beside the pair",
        [&] {
            pair();
            QDir(dir.path()).mkdir("kxplst.vault");
        },
        "Mk1", {2, {"kxplst.vault", "folder"}, {}});
    run("a sealed vault beside the pair: the vault's password",
        [&] {
            pair();
            writeFile("kxplst.vault", vaultOf("Strong1", kThreeListings));
        },
        "Strong1",
        {3,
         {"kxplst.vault", "kxplst-backup-", "kxpwfl-backup-", "Remove them now?"},
         {"kxplst.vault", "kxplst-backup-*", "kxpwfl-backup-*"}});
    run("a sealed vault beside the pair: the pair's password",
        [&] {
            pair();
            writeFile("kxplst.vault", vaultOf("Strong1", kThreeListings));
        },
        "Mk1", {2, {"kxplst.vault", "kxplst-backup-"}, {"kxplst.ene", "kxpwfl.ene", "kxplst-backup-*"}});

    // No pair beside a vault that cannot be read: the start names it and ends.
    run("a vault alone, a link into a missing folder",
        [&] {
            writeCiphered("kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze");
            link("/nonexistent-drive/kxplst.vault", "kxplst.vault");
        },
        nullptr, {-1, {"kxplst.vault", "Nothing was changed"}, {}});
    run("a vault alone, a folder", [&] { QDir(dir.path()).mkdir("kxplst.vault"); }, nullptr,
        {-1, {"kxplst.vault", "Nothing was changed"}, {}});
    run("a vault alone, foreign", [&] { writeFile("kxplst.vault", "hello"); }, nullptr,
        {-1, {"kxplst.vault", "Nothing was changed"}, {"kxplst.vault"}});
    run("a vault alone, extended", [&] { writeFile("kxplst.vault", vaultOf("Strong1", kTwoListings) + "x"); }, nullptr,
        {-1, {"kxplst.vault", "damaged", "length"}, {"kxplst.vault"}});

    // Leftover pending lists.
    run("an empty pending list over a good list",
        [&] {
            pair();
            writeFile("kxplst-pending.ene", {});
        },
        "Mk1", {0, {"kxplst-backup-", "kxpwfl-backup-"}, {"kxplst-backup-*", "kxpwfl-backup-*"}});
    run("a cut-short pending list over a good list",
        [&] {
            pair();
            writeCiphered("kxplst-pending.ene", kThreeListings.first(250), "Mk1");
        },
        "Mk1", {2, {"kxplst-backup-", "not a whole number"}, {"kxplst-backup-*"}});
    run("a pending list that is a folder",
        [&] {
            pair();
            QDir(dir.path()).mkdir("kxplst-pending.ene");
        },
        "Mk1", {2, {"kxplst-pending.ene"}, {"kxplst.ene"}});
    run("a pending list that is a link leading nowhere",
        [&] {
            pair();
            link("/nonexistent-drive/p.ene", "kxplst-pending.ene");
        },
        "Mk1", {2, {"kxplst-pending.ene"}, {"kxplst.ene", "kxplst-pending.ene"}});
    run("a pending list with the same bytes as the list",
        [&] {
            pair();
            writeCiphered("kxplst-pending.ene", kTwoListings, "Mk1");
        },
        "Mk1", {2, {}, {"kxplst.ene"}});

    // Links that lead nowhere: named, nothing written, the link stays.
    run("the list a link into a missing folder",
        [&] {
            pair();
            QFile::remove(path("kxplst.ene"));
            link("/nonexistent-drive/kxplst.ene", "kxplst.ene");
        },
        nullptr, {-1, {"kxplst.ene", "cannot be reached"}, {"kxplst.ene"}});
    run("the list a link to a file not there",
        [&] {
            pair();
            QFile::remove(path("kxplst.ene"));
            link("gone.ene", "kxplst.ene");
        },
        nullptr, {-1, {"kxplst.ene", "cannot be reached"}, {"kxplst.ene"}});
    run("the list a link loop",
        [&] {
            pair();
            QFile::remove(path("kxplst.ene"));
            link("kxplst.ene", "kxplst.ene");
        },
        nullptr, {-1, {"kxplst.ene", "loop"}, {"kxplst.ene"}});
    run("the password file a link loop",
        [&] {
            pair();
            QFile::remove(path("kxpwfl.ene"));
            link("kxpwfl.ene", "kxpwfl.ene");
        },
        nullptr, {-1, {"kxpwfl.ene", "loop"}, {"kxpwfl.ene"}});

    // A password file that no set-up wrote.
    run("a stored password with a control character",
        [&] {
            pair();
            writeCiphered("kxpwfl.ene", "Mk\t1", "sx8peu3");
        },
        nullptr, {-1, {"kxpwfl.ene", "damaged"}, {"kxpwfl.ene"}});
}

// The same as the user nobody: the system refuses too.
TEST_F(StartFoldersTest, ReadOnlyFoldersKeepEveryFileAsFound)
{
    run(
        "ReadOnly folder: a sealed vault beside the pair",
        [&] {
            pair();
            writeFile("kxplst.vault", vaultOf("Strong1", kThreeListings));
        },
        "Strong1", {3, {"kxplst.vault", "stays as found"}, {"kxplst.ene", "kxpwfl.ene", "kxplst.vault"}}, true);
    run("ReadOnly vault beside the pair: the pair's password",
        [&] {
            pair();
            writeFile("kxplst.vault", vaultOf("Strong1", kThreeListings));
            setWritable("kxplst.vault", false);
        },
        "Mk1", {2, {"kxplst.vault", "stays as found"}, {"kxplst.ene", "kxplst.vault"}});
    run("ReadOnly list file beside a sealed vault: the vault's password",
        [&] {
            pair();
            writeFile("kxplst.vault", vaultOf("Strong1", kThreeListings));
            setWritable("kxplst.ene", false);
        },
        "Strong1", {3, {"kxplst.ene", "stays as found"}, {"kxplst.ene", "kxpwfl-backup-*"}});
    run(
        "ReadOnly folder: an empty pending list over a good list",
        [&] {
            pair();
            writeFile("kxplst-pending.ene", {});
        },
        "Mk1", {0, {}, {"kxplst.ene", "kxplst-pending.ene"}}, true);
}

} // namespace
