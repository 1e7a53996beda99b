// A run killed right after any write, rename, removal or folder sync leaves
// files from which the next start reads a complete state, the old one or the
// new, under the password in force; and no plain file ever appears.
#include "core/listings/listfile.h"
#include "core/masterpassword/passwordchange.h"
#include "core/masterpassword/setupstore.h"
#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/pairedcommit.h"
#include "core/storage/startup.h"
#include "support/faultinjection.h"
#include "support/listrecords.h"
#include "support/tempappdir.h"

#include <QDir>

namespace {

using FaultInjection::Attempt;

const QList<Listing> kOldList {{"www.old.com", "old", "o"}};
const QList<Listing> kNewList {{"www.new.com", "new", "n"}, {"second", "two", "2"}};

// Where the step named by its start ("rename kxplst.ene") comes among an
// action's steps, counted from 1 as the runs count them; no such step fails.
int stepNumber(const QStringList& steps, const QString& name)
{
    for (int n = 1; n <= steps.size(); ++n) {
        if (steps[n - 1].startsWith(name))
            return n;
    }
    ADD_FAILURE() << "no step " << qPrintable(name) << " among " << qPrintable(steps.join(", "));
    return 0;
}

class CrashSafetyTest : public TempAppDirTest {
protected:
    struct State {
        QString password;
        QList<Listing> list;
    };

    // What the next start finds: the folder put in order, the password in
    // force, the list read under it.
    State nextStart()
    {
        restartFolder();
        Startup::prepareFolder(folder());
        State state;
        EXPECT_TRUE(DataFiles::readStoredPassword(folder(), &state.password));
        if (!state.password.isEmpty()) {
            EXPECT_TRUE(ListFile::load(folder(), state.password, &state.list));
        }
        return state;
    }

    // The pair, and besides it only backups; every list file as it was
    // before the start is still in some file of the folder.
    void expectPairAndKept(const QList<QByteArray>& listsBefore, int step)
    {
        QStringList others = files();
        others.removeIf([](const QString& name) { return name.contains("-backup-"); });
        EXPECT_EQ(others, (QStringList {"kxplst.ene", "kxpwfl.ene"})) << step;
        for (const QByteArray& list : listsBefore) {
            bool kept = false;
            for (const QString& name : files())
                kept = kept || readFile(name) == list;
            EXPECT_TRUE(kept) << step << " " << qPrintable(files().join(' '));
        }
    }

    void expectNoPlainFile(const Attempt& run)
    {
        for (const QString& name : files())
            EXPECT_FALSE(name.endsWith(".end")) << qPrintable(name) << " at step " << run.step;
    }

    void storePair(const QString& password, const QList<Listing>& listings)
    {
        writeCiphered("kxpwfl.ene", password.toLatin1(), "sx8peu3");
        ASSERT_TRUE(ListFile::save(folder(), listings, password));
    }
};

TEST_F(CrashSafetyTest, SavingTheList)
{
    auto prepare = [&] {
        clearFolder();
        storePair("key", kOldList);
    };
    auto save = [&] { ListFile::save(folder(), kNewList, u"key"); };
    prepare();
    const QStringList taken = FaultInjection::stepsOf(save);
    const int listInPlace = stepNumber(taken, "rename kxplst.ene");
    const int steps = FaultInjection::killAfterEachStep(prepare, save, [&](const Attempt& run) {
        const State state = nextStart();
        EXPECT_EQ(state.list, padded(run.faulted && run.step < listInPlace ? kOldList : kNewList)) << run.step;
        expectNoPlainFile(run);
    });
    EXPECT_EQ(steps, taken.size());
}

TEST_F(CrashSafetyTest, SavingWhileAChangedPasswordWaitsForItsList)
{
    // A change of password that stopped after its password file was in place.
    QByteArray oldListFile;
    auto unfinishedChange = [&] {
        clearFolder();
        storePair("old", kOldList);
        oldListFile = readFile("kxplst.ene");
        writeCiphered("kxpwfl.ene", "new", "sx8peu3");
        SecretBytes plain;
        ListFile::serialize(kOldList, &plain);
        writeCiphered("kxplst-pending.ene", plain.bytes(), "new");
    };
    auto save = [&] { ListFile::save(folder(), kNewList, u"new"); };
    unfinishedChange();
    const QStringList taken = FaultInjection::stepsOf(save);
    const int pendingHasNew = stepNumber(taken, "rename kxplst-pending.ene");
    const int pendingInPlace = stepNumber(taken, "rename kxplst.ene");
    const int steps = FaultInjection::killAfterEachStep(unfinishedChange, save, [&](const Attempt& run) {
        const State state = nextStart();
        EXPECT_EQ(state.password, QStringLiteral("new"));
        // Once the pending list has the new listings, nothing may bring back the old.
        EXPECT_EQ(state.list, padded(run.faulted && run.step < pendingHasNew ? kOldList : kNewList)) << run.step;
        // The start that rolls the pending list forward keeps the list it
        // replaces; once the save itself renamed the pending list into
        // place, the old list was replaced by an ordinary save.
        const bool savedInPlace = !run.faulted || run.step >= pendingInPlace;
        expectPairAndKept(savedInPlace ? QList<QByteArray> {} : QList<QByteArray> {oldListFile}, run.step);
    });
    EXPECT_EQ(steps, taken.size());
}

TEST_F(CrashSafetyTest, RewritingTheFirstRunMarker)
{
    auto prepare = [&] {
        clearFolder();
        writeCiphered("kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze");
    };
    auto decide = [&] {
        Startup::Path path;
        Startup::decide(folder(), &path);
    };
    prepare();
    const int markerInPlace = stepNumber(FaultInjection::stepsOf(decide), "rename kxinit.ene");
    FaultInjection::killAfterEachStep(prepare, decide, [&](const Attempt& run) {
        QString record;
        ASSERT_TRUE(DataFiles::readStartupRecord(folder(), &record));
        EXPECT_EQ(record,
                  run.faulted && run.step < markerInPlace ? "VELLA1TKY-V1.0.1-NEWSETUP" : "VELLA1nty-V1.0.1-NEWSETUP")
            << run.step;
        expectNoPlainFile(run);
    });
}

TEST_F(CrashSafetyTest, SettingUpOverAnEarlierList)
{
    const QByteArray earlier = CipherBytes(QByteArray(330, 'e'), "earlier");
    FaultInjection::killAfterEachStep(
        [&] {
            clearFolder();
            writeFile("kxplst.ene", earlier);
        },
        [&] { SetupStore::commit(folder(), "fresh"); },
        [&](const Attempt& run) {
            // The earlier list survives whole, in place or as a backup.
            bool kept = false;
            for (const QString& name : files())
                kept = kept || (name.startsWith("kxplst") && name.endsWith(".ene") && readFile(name) == earlier);
            EXPECT_TRUE(kept) << run.step << " " << qPrintable(files().join(' '));
            // Either set-up is still to come, or it is done with an empty list.
            const State state = nextStart();
            EXPECT_TRUE(state.password.isEmpty() || (state.password == "fresh" && state.list.isEmpty())) << run.step;
            expectNoPlainFile(run);
        });
}

TEST_F(CrashSafetyTest, SettingUpAdoptsAPlainListOfAnEarlierVersion)
{
    SecretBytes plain;
    ListFile::serialize(kOldList, &plain);
    FaultInjection::killAfterEachStep(
        [&] {
            clearFolder();
            writeFile("kxplst.end", plain.bytes());
        },
        [&] { SetupStore::commit(folder(), "fresh"); },
        [&](const Attempt& run) {
            const State state = nextStart();
            if (state.password.isEmpty()) {
                // Set-up comes again, and finds the plain list still there.
                EXPECT_EQ(readFile("kxplst.end"), plain.bytes()) << run.step;
            } else {
                EXPECT_EQ(state.password, QStringLiteral("fresh"));
                EXPECT_EQ(state.list, padded(kOldList)) << run.step;
            }
        });
}

TEST_F(CrashSafetyTest, ChangingTheMasterPassword)
{
    // The grid holds changes not yet saved: either state must unlock whole.
    auto prepare = [&] {
        clearFolder();
        storePair("oldpass", kOldList);
    };
    auto change = [&] { PasswordChange::commit(folder(), "newpass", kNewList); };
    prepare();
    const QStringList taken = FaultInjection::stepsOf(change);
    // The new password file in place decides: the pending list is then rolled forward.
    const int passwordInPlace = stepNumber(taken, "rename kxpwfl.ene");
    const int steps = FaultInjection::killAfterEachStep(prepare, change, [&](const Attempt& run) {
        const State state = nextStart();
        const bool changed = !run.faulted || run.step >= passwordInPlace;
        EXPECT_EQ(state.password, changed ? "newpass" : "oldpass") << run.step;
        EXPECT_EQ(state.list, padded(changed ? kNewList : kOldList)) << run.step;
        expectNoPlainFile(run);
    });
    EXPECT_EQ(steps, taken.size());
}

// The recovery at start can itself be cut short, at any of its steps, after
// a change was cut short at any of its own.
TEST_F(CrashSafetyTest, RecoveringFromAnUnfinishedChange)
{
    clearFolder();
    storePair("oldpass", kOldList);
    const QStringList changeSteps =
        FaultInjection::stepsOf([&] { PasswordChange::commit(folder(), "newpass", kNewList); });
    const int passwordInPlace = stepNumber(changeSteps, "rename kxpwfl.ene");
    for (int changeStep = 1; changeStep <= changeSteps.size(); ++changeStep) {
        QByteArray listBefore;
        auto unfinished = [&] {
            clearFolder();
            storePair("oldpass", kOldList);
            int reached = 0;
            SafeWrite::setStepHookForTesting([&](SafeWrite::Step, const QString&) {
                if (++reached == changeStep)
                    throw changeStep;
            });
            try {
                PasswordChange::commit(folder(), "newpass", kNewList);
            } catch (int) {
            }
            SafeWrite::setStepHookForTesting({});
            listBefore = readFile("kxplst.ene");
        };
        const bool changed = changeStep >= passwordInPlace;
        FaultInjection::killAfterEachStep(
            unfinished, [&] { Startup::prepareFolder(folder()); },
            [&](const Attempt& run) {
                const State state = nextStart();
                EXPECT_EQ(state.password, changed ? "newpass" : "oldpass") << changeStep << "/" << run.step;
                EXPECT_EQ(state.list, padded(changed ? kNewList : kOldList)) << changeStep << "/" << run.step;
                // A list replaced by the pending one is kept, with the password file of that moment.
                expectPairAndKept({listBefore}, changeStep * 100 + run.step);
            });
    }
}

// A stray pending list is rolled forward as the two-file change says, but
// the list it replaces is kept first, whatever step the start is cut at.
TEST_F(CrashSafetyTest, RollingAStrayPendingListForwardKeepsTheListItReplaces)
{
    QByteArray listBefore;
    auto prepare = [&] {
        clearFolder();
        storePair("key", kOldList);
        listBefore = readFile("kxplst.ene");
        writeCiphered("kxplst-pending.ene", QByteArray(50, 'g'), "key");
    };
    auto start = [&] { Startup::prepareFolder(folder()); };
    prepare();
    const QStringList taken = FaultInjection::stepsOf(start);
    const int steps = FaultInjection::killAfterEachStep(prepare, start, [&](const Attempt& run) {
        const State state = nextStart();
        EXPECT_TRUE(state.list.isEmpty()) << "the pending list is current, step " << run.step;
        expectPairAndKept({listBefore}, run.step);
        const QStringList kept = files().filter("kxpwfl-backup-");
        EXPECT_GE(kept.size(), 1) << run.step;
        for (const QString& name : kept)
            EXPECT_EQ(readFile(name), readFile("kxpwfl.ene")) << "the password file of that moment";
    });
    EXPECT_EQ(steps, taken.size());
    // Copy the password file, keep the list, roll forward: in that order.
    const int passwordCopied = stepNumber(taken, "rename kxpwfl-backup-");
    const int listKept = stepNumber(taken, "rename kxplst-backup-");
    EXPECT_LT(passwordCopied, listKept);
    EXPECT_LT(listKept, stepNumber(taken, "rename kxplst.ene"));
}

TEST_F(CrashSafetyTest, TakingOverPlainFilesOfAnEarlierVersion)
{
    SecretBytes plainList;
    ListFile::serialize(kNewList, &plainList);
    FaultInjection::killAfterEachStep(
        [&] {
            clearFolder();
            writeCiphered("kxinit.ene", "VELLA1nty-OLD", "hmut58qkze");
            writeFile("kxinit.end", "VELLA1nty-NEW");
            storePair("oldpass", kOldList);
            writeFile("kxpwfl.end", "newpass");
            writeFile("kxplst.end", plainList.bytes());
        },
        [&] {
            Startup::prepareFolder(folder());
            QList<Listing> listings;
            ListFile::load(folder(), u"newpass", &listings);
        },
        [&](const Attempt& run) {
            const State state = nextStart();
            QString record;
            ASSERT_TRUE(DataFiles::readStartupRecord(folder(), &record));
            EXPECT_EQ(record, QStringLiteral("VELLA1nty-NEW")) << run.step;
            EXPECT_EQ(state.password, QStringLiteral("newpass")) << run.step;
            EXPECT_EQ(state.list, padded(kNewList)) << run.step;
        });
}

} // namespace
