#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/pairedcommit.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

namespace {

class PairedCommitTest : public TempAppDirTest {
protected:
    void oldPair()
    {
        clearFolder();
        writeCiphered("kxpwfl.ene", "old", "sx8peu3");
        writeCiphered("kxplst.ene", "old list", "old");
    }
    PairedCommit::Outcome commitNewPair()
    {
        return PairedCommit::commit(folder(), CipherBytes("new", "sx8peu3"), CipherBytes("new list", "new"));
    }
    // The password in force and the list as the next start reads them.
    std::pair<QByteArray, QByteArray> pairInForce()
    {
        const QByteArray password = readDeciphered("kxpwfl.ene", "sx8peu3");
        SecretBytes list;
        EXPECT_TRUE(DataFiles::readPlainAt(PairedCommit::listReadPath(folder()), password, &list));
        return {password, list.bytes()};
    }
    const std::pair<QByteArray, QByteArray> kOld {"old", "old list"};
    const std::pair<QByteArray, QByteArray> kNew {"new", "new list"};
};

TEST_F(PairedCommitTest, ReplacesBothFilesThroughPendingCopies)
{
    oldPair();
    const QStringList steps = FaultInjection::stepsOf([&] { EXPECT_TRUE(commitNewPair().result.ok); });
    const QString sync = "sync " + dir.path();
    EXPECT_EQ(steps,
              (QStringList {"write kxpwfl-pending.ene", "rename kxpwfl-pending.ene", sync, "write kxplst-pending.ene",
                            "rename kxplst-pending.ene", sync, "rename kxpwfl.ene", sync, "rename kxplst.ene", sync}));
    EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"}));
    EXPECT_EQ(pairInForce(), kNew);
}

TEST_F(PairedCommitTest, AFailureBeforeThePasswordIsInPlaceKeepsTheOldPair)
{
    QList<PairedCommit::Outcome> outcomes;
    const int steps = FaultInjection::failAtEachStep(
        [&] { oldPair(); }, [&] { outcomes.append(commitNewPair()); },
        [&](const FaultInjection::Attempt& run) {
            const PairedCommit::Outcome& outcome = outcomes.last();
            EXPECT_EQ(outcome.result.ok, !run.faulted) << run.step;
            if (outcome.newPasswordInForce) {
                EXPECT_EQ(pairInForce(), kNew) << run.step;
            } else {
                EXPECT_EQ(pairInForce(), kOld) << run.step;
                EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"})) << "pending copies removed " << run.step;
            }
            // Steps 1 to 6 write the pending copies; the rename of step 7
            // puts the new password in place.
            EXPECT_EQ(outcome.newPasswordInForce, !run.faulted || run.step > 7) << run.step;
        });
    EXPECT_EQ(steps, 10);
}

TEST_F(PairedCommitTest, AReadOnlyFileStopsTheChangeBeforeAnythingIsWritten)
{
    for (const QString& name : {QStringLiteral("kxpwfl.ene"), QStringLiteral("kxplst.ene")}) {
        oldPair();
        setWritable(name, false);
        const auto before = snapshot();
        const PairedCommit::Outcome outcome = commitNewPair();
        EXPECT_FALSE(outcome.result.ok);
        EXPECT_FALSE(outcome.newPasswordInForce);
        EXPECT_TRUE(outcome.result.error.contains(name)) << qPrintable(outcome.result.error);
        EXPECT_EQ(snapshot(), before);
        setWritable(name, true);
    }
}

// What a run cut short left, and what the next start makes of it.
TEST_F(PairedCommitTest, RecoveryFinishesOrUndoesAnUnfinishedChange)
{
    const struct {
        bool passwordPending;
        bool listPending;
        bool passwordRenamed; // kxpwfl.ene already holds the new password
        std::pair<QByteArray, QByteArray> inForce;
    } cases[] = {
        {true, false, false, {"old", "old list"}},
        {true, true, false, {"old", "old list"}},
        {false, true, true, {"new", "new list"}},
        {false, false, true, {"new", "new list"}},
    };
    for (const bool readOnlyFolder : {false, true}) {
        for (const auto& c : cases) {
            oldPair();
            if (c.passwordPending)
                writeCiphered("kxpwfl-pending.ene", "new", "sx8peu3");
            if (c.listPending)
                writeCiphered("kxplst-pending.ene", "new list", "new");
            if (c.passwordRenamed)
                writeCiphered("kxpwfl.ene", "new", "sx8peu3");
            if (!c.listPending && c.passwordRenamed)
                writeCiphered("kxplst.ene", "new list", "new");
            setWritable({}, !readOnlyFolder);
            const StorageResult recovered = PairedCommit::recover(folder());
            // Read-only: the same decision, made in memory.
            EXPECT_EQ(pairInForce(), c.inForce) << c.passwordPending << c.listPending << readOnlyFolder;
            setWritable({}, true);
            if (!readOnlyFolder) {
                EXPECT_TRUE(recovered.ok) << qPrintable(recovered.error);
                EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"}));
            }
        }
    }
}

} // namespace
