// Two machines keep one list in a synced folder: each save first merges in
// what the other wrote since this one last read or wrote the list.
#include "core/session/listsession.h"
#include "core/storage/startup.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <functional>
#include <thread>

namespace {

using Act = std::function<void(ListSession&)>;

void add(ListSession& s, const QString& site)
{
    s.listings().append({site, QStringLiteral("u"), QStringLiteral("p")});
}
Act adds(const QString& site)
{
    return [site](ListSession& s) { add(s, site); };
}
Act changes(int row, const QString& password)
{
    return [row, password](ListSession& s) { s.listings()[row].password = password; };
}
Act removes(int row)
{
    return [row](ListSession& s) {
        s.noteRemoved(s.listings().at(row), QDateTime::currentMSecsSinceEpoch());
        s.listings().removeAt(row);
    };
}
Act nothing()
{
    return [](ListSession&) {};
}

QStringList lines(const QList<Listing>& listings)
{
    QStringList result;
    for (const Listing& l : listings)
        result.append(l.site.trimmed() + '|' + l.password.trimmed());
    return result;
}

class ListSessionMergeTest : public TempAppDirTest {
protected:
    void SetUp() override
    {
        TempAppDirTest::SetUp();
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
        ListSession::setQuietIntervalForTesting(std::chrono::milliseconds(10));
    }
    void TearDown() override
    {
        ListSession::setQuietIntervalForTesting(std::chrono::milliseconds(2000));
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        TempAppDirTest::TearDown();
    }

    // The desk sets up a list of three; the laptop opens the synced copy.
    void startBoth(bool strong)
    {
        clearFolder();
        desk.setFolder(folder());
        laptop.setFolder(folder());
        if (strong)
            ASSERT_TRUE(desk.setUpStrong(kPassword).on);
        else
            ASSERT_TRUE(desk.setUp(kPassword).passwordInForce);
        ASSERT_TRUE(desk.load());
        for (const char* site : {"one", "two", "three"})
            add(desk, site);
        ASSERT_TRUE(desk.save());
        const bool opened = strong ? laptop.unlockVault(kPassword).opened : laptop.unlockPair(kPassword).opened;
        ASSERT_TRUE(opened);
        ASSERT_TRUE(laptop.load());
    }
    // What a new start reads with password (empty when it does not open).
    QStringList reopened(const QString& password = kPassword)
    {
        ListSession fresh(folder());
        const bool sealed = Startup::inspectVault(folder()).state == Startup::VaultState::Sealed;
        if (!(sealed ? fresh.unlockVault(password).opened : fresh.unlockPair(password).opened) || !fresh.load())
            return {};
        return lines(fresh.listings());
    }

    static inline const QString kPassword = QStringLiteral("shared pass");
    ListSession desk;
    ListSession laptop;
};

struct MergeCase {
    const char* name;
    bool strong;
    Act onLaptop;
    Act onDesk;
    QStringList expected;
    ListMerge::Counts counts;
};

TEST_F(ListSessionMergeTest, ASaveMergesWhatTheOtherMachineWrote)
{
    const MergeCase cases[] = {
        {"sealed: added on both",
         true,
         adds("laptop"),
         adds("desk"),
         {"one|p", "two|p", "three|p", "desk|p", "laptop|p"},
         {1, 0, 0, 0}},
        {"sealed: changed there", true, changes(1, "new"), nothing(), {"one|p", "two|new", "three|p"}, {0, 1, 0, 0}},
        {"sealed: changed here", true, nothing(), changes(1, "new"), {"one|p", "two|new", "three|p"}, {}},
        {"sealed: removed there", true, removes(0), nothing(), {"two|p", "three|p"}, {0, 0, 1, 0}},
        {"sealed: removed there, changed here",
         true,
         removes(0),
         changes(0, "kept"),
         {"one|kept", "two|p", "three|p"},
         {}},
        {"sealed: removed here, changed there",
         true,
         changes(2, "kept"),
         removes(2),
         {"one|p", "two|p", "three|kept"},
         {1, 0, 0, 0}},
        {"sealed: changed on both",
         true,
         changes(1, "laptop"),
         changes(1, "desk"),
         {"one|p", "two|desk", "three|p", "two|laptop"},
         {0, 0, 0, 1}},
        {"sealed: changed alike on both",
         true,
         changes(0, "same"),
         changes(0, "same"),
         {"one|same", "two|p", "three|p"},
         {}},
        {"list file: added on both",
         false,
         adds("laptop"),
         adds("desk"),
         {"one|p", "two|p", "three|p", "desk|p", "laptop|p"},
         {1, 0, 0, 0}},
        {"list file: removed there comes back", false, removes(0), nothing(), {"one|p", "two|p", "three|p"}, {}},
        {"list file: changed there is a listing more",
         false,
         changes(1, "new"),
         nothing(),
         {"one|p", "two|p", "three|p", "two|new"},
         {1, 0, 0, 0}},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        startBoth(c.strong);
        c.onLaptop(laptop);
        ASSERT_TRUE(laptop.save());
        c.onDesk(desk);
        ASSERT_TRUE(desk.save());
        EXPECT_FALSE(desk.listChangedOnDisk()) << "what was written is the version seen";
        EXPECT_EQ(lines(desk.listings()), c.expected);
        EXPECT_EQ(reopened(), c.expected);
        const ListMerge::Counts& counts = desk.lastMerge().counts;
        EXPECT_EQ(counts.added, c.counts.added);
        EXPECT_EQ(counts.changed, c.counts.changed);
        EXPECT_EQ(counts.removed, c.counts.removed);
        EXPECT_EQ(counts.keptBoth, c.counts.keptBoth);
        EXPECT_EQ(desk.lastMerge().note.isEmpty(), !counts.any());
        // Saved again, with nothing new on disk: nothing more to merge.
        ASSERT_TRUE(desk.save());
        EXPECT_FALSE(desk.lastMerge().counts.any());
        EXPECT_TRUE(desk.lastMerge().keptAs.isEmpty());
        EXPECT_EQ(reopened(), c.expected);
        desk.forget();
        laptop.forget();
    }
}

TEST_F(ListSessionMergeTest, MergingTheVersionOnDiskWritesNothing)
{
    startBoth(true);
    EXPECT_FALSE(desk.listChangedOnDisk());
    add(laptop, "laptop");
    ASSERT_TRUE(laptop.save());
    EXPECT_TRUE(desk.listChangedOnDisk());
    const auto before = snapshot();
    const ListSession::Merged merged = desk.mergeFromDisk();
    EXPECT_EQ(merged.counts.added, 1);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(desk.listChangedOnDisk()) << "the version on disk is the one seen now";
    EXPECT_EQ(lines(desk.listings()), (QStringList {"one|p", "two|p", "three|p", "laptop|p"}));
}

// A version that does not open with the password in memory is never written
// over: it is kept as a conflict copy, and the list stays whole under the
// password in memory.
TEST_F(ListSessionMergeTest, AVersionUnderAnotherPasswordIsKeptAsAConflictCopy)
{
    for (const bool strong : {true, false}) {
        SCOPED_TRACE(strong ? "sealed" : "list file");
        startBoth(strong);
        add(laptop, "laptop");
        ASSERT_TRUE(laptop.changePassword(QStringLiteral("changed there")).newPasswordInForce);
        const QByteArray theirs = readFile(strong ? "kxplst.vault" : "kxplst.ene");
        add(desk, "desk");
        ASSERT_TRUE(desk.save());
        const QString keptAs = desk.lastMerge().keptAs;
        ASSERT_FALSE(keptAs.isEmpty());
        EXPECT_EQ(readFile(QFileInfo(keptAs).fileName()), theirs);
        EXPECT_TRUE(desk.lastMerge().note.contains(QFileInfo(keptAs).fileName()));
        EXPECT_EQ(reopened(), (QStringList {"one|p", "two|p", "three|p", "desk|p"}));
        EXPECT_EQ(reopened(QStringLiteral("changed there")), QStringList {});
        if (!strong) {
            const QStringList passwordCopies = files().filter(QRegularExpression("^kxpwfl-conflict-.*\\.ene$"));
            ASSERT_EQ(passwordCopies.size(), 1) << qPrintable(files().join(' '));
            EXPECT_EQ(passwordCopies.at(0).mid(15), QFileInfo(keptAs).fileName().mid(15)) << "one stamp";
        }
        desk.forget();
        laptop.forget();
    }
}

// A sync tool puts the laptop's list in place first and its password file a
// moment later: the save waits until both are quiet, so it never writes its
// list beside a password file that does not go with it.
TEST_F(ListSessionMergeTest, APairArrivingInTwoStepsIsReadWhole)
{
    startBoth(false);
    add(laptop, "laptop");
    ASSERT_TRUE(laptop.changePassword(QStringLiteral("changed there")).newPasswordInForce);
    const QByteArray theirList = readFile("kxplst.ene");
    const QByteArray theirPasswordFile = readFile("kxpwfl.ene");
    // Back to what the desk last saw, then the laptop's files one by one.
    laptop.forget();
    startBoth(false);
    ListSession::setQuietIntervalForTesting(std::chrono::milliseconds(300));
    writeFile("kxplst.ene", theirList);
    std::thread syncTool([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        writeFile("kxpwfl.ene", theirPasswordFile);
    });
    add(desk, "desk");
    const bool saved = bool(desk.save());
    syncTool.join();
    ASSERT_TRUE(saved);
    EXPECT_EQ(reopened(), (QStringList {"one|p", "two|p", "three|p", "desk|p"}));
    const QStringList copies = files().filter("-conflict-");
    ASSERT_EQ(copies.size(), 2) << qPrintable(files().join(' '));
    EXPECT_EQ(readFile(copies.filter("kxplst").value(0)), theirList);
    EXPECT_EQ(readFile(copies.filter("kxpwfl").value(0)), theirPasswordFile);
}

// Killed at any step of a merging save, the folder opens to the laptop's
// version or to the merge, never to less.
TEST_F(ListSessionMergeTest, KilledDuringAMergingSaveNothingIsLost)
{
    const QStringList laptopVersion {"one|p", "two|p", "three|p", "laptop|p"};
    const QStringList merge {"one|p", "two|p", "three|p", "desk|p", "laptop|p"};
    for (const bool strong : {true, false}) {
        SCOPED_TRACE(strong ? "sealed" : "list file");
        FaultInjection::killAfterEachStep(
            [&] {
                desk.forget();
                laptop.forget();
                startBoth(strong);
                add(laptop, "laptop");
                ASSERT_TRUE(laptop.save());
                add(desk, "desk");
            },
            [&] { desk.save(); },
            [&](const FaultInjection::Attempt& run) {
                const QStringList found = reopened();
                EXPECT_TRUE(found == laptopVersion || found == merge)
                    << run.step << ": " << qPrintable(found.join(' '));
                if (!run.faulted)
                    EXPECT_EQ(found, merge);
            });
    }
}

} // namespace
