// A run killed after any write, rename or delete of a data file leaves files
// from which the next start reads a complete state: the old one or the new.
#include "listings/listfile.h"
#include "masterpassword/passwordchange.h"
#include "masterpassword/setupstore.h"
#include "storage/datafiles.h"
#include "storage/filecipher.h"
#include "storage/safewrite.h"
#include "storage/startup.h"
#include "support/tempappdir.h"

#include <QDir>

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kKilled = 99;

class CrashSafetyTest : public TempAppDirTest {
protected:
    void clearFolder()
    {
        for (const QString& name : files())
            QFile::remove(path(name));
    }

    // Runs action in a child process that dies right after its step-th
    // write, rename or delete, for every step; check sees what is left.
    void killAtEveryStep(const std::function<void()>& prepare, const std::function<void()>& action,
                         const std::function<void(int step)>& check)
    {
        int step = 1;
        for (;; ++step) {
            ASSERT_LT(step, 50) << "the action never completed";
            clearFolder();
            prepare();
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                int reached = 0;
                SafeWrite::setStepHookForTesting([&](const QString&, const QString&) {
                    if (++reached == step)
                        _exit(kKilled);
                });
                action();
                _exit(0);
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            check(step);
            if (WEXITSTATUS(status) == 0)
                break;
            ASSERT_EQ(WEXITSTATUS(status), kKilled);
        }
        EXPECT_GT(step, 2) << "the action was expected to take several steps";
    }

    QList<Listing> loadList(const QString& key)
    {
        QList<Listing> listings;
        const StorageResult result = ListFile::load(key, &listings);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
        return listings;
    }
};

const QList<Listing> kOldList{{"www.old.com", "old", "o"}};
const QList<Listing> kNewList{{"www.new.com", "new", "n"}, {"second", "two", "2"}};

QList<Listing> padded(const QList<Listing>& listings)
{
    QByteArray plain;
    ListFile::serialize(listings, &plain);
    return ListFile::parse(plain);
}

TEST_F(CrashSafetyTest, SavingTheList)
{
    killAtEveryStep([] { ListFile::save(kOldList, "key"); },
                    [] { ListFile::save(kNewList, "key"); },
                    [this](int step) {
                        const QList<Listing> loaded = loadList("key");
                        EXPECT_TRUE(loaded == padded(kOldList) || loaded == padded(kNewList)) << "step " << step;
                        EXPECT_FALSE(exists("kxplst.end")) << "step " << step;
                    });
}

TEST_F(CrashSafetyTest, LoadingTheList)
{
    killAtEveryStep([] { ListFile::save(kOldList, "key"); },
                    [] {
                        QList<Listing> listings;
                        ListFile::load("key", &listings);
                    },
                    [this](int step) { EXPECT_EQ(loadList("key"), padded(kOldList)) << "step " << step; });
}

TEST_F(CrashSafetyTest, WritingThePasswordFile)
{
    killAtEveryStep([] { DataFiles::writePasswordFile("oldpass", DataFiles::PasswordLayout::PaddedTo25); },
                    [] { DataFiles::writePasswordFile("newpass", DataFiles::PasswordLayout::Bare); },
                    [](int step) {
                        QString stored;
                        ASSERT_TRUE(DataFiles::readStoredPassword(&stored));
                        EXPECT_TRUE(stored == "oldpass" || stored == "newpass") << "step " << step;
                    });
}

TEST_F(CrashSafetyTest, RewritingTheFirstRunMarker)
{
    killAtEveryStep([this] { writeCiphered("kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze"); },
                    [] {
                        Startup::Path path;
                        Startup::decide(&path);
                    },
                    [](int step) {
                        QString record;
                        ASSERT_TRUE(DataFiles::readStartupRecord(&record));
                        EXPECT_TRUE(record == "VELLA1TKY-V1.0.1-NEWSETUP" || record == "VELLA1nty-V1.0.1-NEWSETUP")
                            << "step " << step << " " << qPrintable(record);
                    });
}

TEST_F(CrashSafetyTest, SettingUpOverAnEarlierList)
{
    const QByteArray earlier = CipherBytes(QByteArray(330, 'e'), "earlier");
    killAtEveryStep([&] { writeFile("kxplst.ene", earlier); },
                    [] {
                        QString backup;
                        SetupStore::commit("fresh", &backup);
                    },
                    [&](int step) {
                        // The earlier list survives whole, in place or as a backup.
                        bool kept = false;
                        for (const QString& name : files())
                            kept = kept || (name.startsWith("kxplst") && name.endsWith(".ene") && readFile(name) == earlier);
                        EXPECT_TRUE(kept) << "step " << step << " " << qPrintable(files().join(' '));
                    });
}

TEST_F(CrashSafetyTest, ChangingTheMasterPassword)
{
    // The grid holds a change not yet saved: either state must unlock whole.
    killAtEveryStep(
        [] {
            DataFiles::writePasswordFile("oldpass", DataFiles::PasswordLayout::PaddedTo25);
            ListFile::save(kOldList, "oldpass");
        },
        [] {
            bool stored = false;
            PasswordChange::commit("newpass", kNewList, &stored);
        },
        [this](int step) {
            QString stored;
            ASSERT_TRUE(DataFiles::readStoredPassword(&stored));
            ASSERT_TRUE(stored == "oldpass" || stored == "newpass") << "step " << step;
            const QList<Listing> loaded = loadList(stored);
            EXPECT_TRUE(loaded == padded(kOldList) || loaded == padded(kNewList)) << "step " << step;
            if (stored == "newpass") {
                EXPECT_EQ(loaded, padded(kNewList)) << "step " << step;
            }
        });
}

TEST_F(CrashSafetyTest, ChangingTheMasterPasswordWhenAnyWriteOrDeleteFails)
{
    for (const bool failDeletion : {false, true}) {
        for (int failing = 1; failing <= 8; ++failing) {
            clearFolder();
            DataFiles::writePasswordFile("oldpass", DataFiles::PasswordLayout::PaddedTo25);
            ListFile::save(kOldList, "oldpass");
            if (failDeletion)
                SafeWrite::setFailingRemovalForTesting(failing);
            else
                SafeWrite::setFailingReplacementForTesting(failing);
            bool newStored = false;
            const bool ok = PasswordChange::commit("newpass", kNewList, &newStored).ok;
            SafeWrite::setFailingRemovalForTesting(0);
            SafeWrite::setFailingReplacementForTesting(0);

            const std::string where = (failDeletion ? "deletion " : "write ") + std::to_string(failing);
            QString stored;
            ASSERT_TRUE(DataFiles::readStoredPassword(&stored));
            EXPECT_EQ(stored, (ok || newStored) ? "newpass" : "oldpass") << where;
            const QList<Listing> loaded = loadList(stored);
            EXPECT_TRUE(loaded == padded(kOldList) || loaded == padded(kNewList)) << where;
            if (ok) {
                EXPECT_EQ(loaded, padded(kNewList)) << where;
            }
        }
    }
}

} // namespace
