#include "core/session/listsession.h"
#include "core/storage/startup.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSet>

#include <functional>

namespace {

QList<Listing> taggedListings(int count, const QString& tag = QStringLiteral("site"))
{
    QList<Listing> listings;
    for (int i = 1; i <= count; ++i)
        listings.append({QStringLiteral("www.%1%2.com").arg(tag).arg(i), QStringLiteral("user%1").arg(i),
                         QStringLiteral("pw%1").arg(i)});
    return listings;
}

// What listings hold once read back (each field padded to its width), one
// line per listing, so a mismatch reads plainly.
QStringList asLines(const QList<Listing>& listings)
{
    QStringList result;
    for (const Listing& l : listings)
        result.append(l.site.leftJustified(ListFile::kSiteLength) + '|' + l.user.leftJustified(ListFile::kUserLength)
                      + '|' + l.password.leftJustified(ListFile::kPasswordLength));
    return result;
}

class ListSessionTest : public TempAppDirTest {
protected:
    void SetUp() override
    {
        TempAppDirTest::SetUp();
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    }
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        TempAppDirTest::TearDown();
    }

    // A described pair under password holding listings, opened by session.
    void openDescribed(ListSession& session, const QString& password, const QList<Listing>& listings)
    {
        clearFolder();
        ASSERT_TRUE(session.setUp(password).result.ok);
        session.listings() = listings;
        ASSERT_TRUE(session.save().ok);
    }
    void openStrong(ListSession& session, const QString& password, const QList<Listing>& listings)
    {
        openDescribed(session, QStringLiteral("weak"), listings);
        ASSERT_TRUE(session.turnOn(password).on);
        ASSERT_TRUE(session.isStrong());
    }

    // The listings the folder opens to, as a new start would, with
    // whichever of the passwords opens it (empty: none does).
    std::optional<QStringList> openedWithEither(const QStringList& passwords)
    {
        std::optional<QStringList> found;
        for (const QString& password : passwords) {
            ListSession fresh(folder());
            const bool sealed = Startup::inspectVault(folder()).state == Startup::VaultState::Sealed;
            const bool opened = sealed ? fresh.unlockVault(password).opened : fresh.unlockPair(password).opened;
            if (!opened)
                continue;
            EXPECT_FALSE(found.has_value()) << "two passwords open the list";
            if (!fresh.load().ok)
                return std::nullopt;
            found = asLines(fresh.listings()); // a copy of its own: forgetting wipes
        }
        return found;
    }
};

TEST_F(ListSessionTest, KeepsOneKeyAtATime)
{
    ListSession session(folder());
    EXPECT_FALSE(session.hasKey());
    openDescribed(session, "Mk1", taggedListings(2));
    EXPECT_TRUE(session.hasKey());
    EXPECT_FALSE(session.isStrong());
    EXPECT_TRUE(session.isEntry("Mk1"));
    EXPECT_FALSE(session.isEntry(" Mk1"));

    ASSERT_TRUE(session.turnOn("Strong1").on);
    EXPECT_TRUE(session.isStrong());
    EXPECT_TRUE(session.isEntry("Strong1"));
    EXPECT_FALSE(session.isEntry("Mk1")) << "the described password is no longer kept";

    ASSERT_TRUE(session.turnOff("Back1").ok);
    EXPECT_FALSE(session.isStrong());
    EXPECT_TRUE(session.isEntry("Back1"));
    EXPECT_FALSE(session.isEntry("Strong1"));

    session.forget();
    EXPECT_FALSE(session.hasKey());
    EXPECT_TRUE(session.listings().isEmpty());
    EXPECT_FALSE(session.isEntry("Back1"));

    // A list let go is never written, also when something still asks.
    const auto before = snapshot();
    session.listings().append({"late", "user", "pw"});
    EXPECT_FALSE(session.save().ok);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(ListSessionTest, UnlocksOnlyWithTheRightEntry)
{
    {
        ListSession first(folder());
        openDescribed(first, "Mk1", taggedListings(3));
    }
    ListSession session(folder());
    for (const char* wrong : {"mk1", "Mk1 ", "", "Mk"}) {
        const ListSession::PairUnlocked tried = session.unlockPair(QString::fromLatin1(wrong));
        EXPECT_TRUE(tried.result.ok);
        EXPECT_FALSE(tried.opened) << wrong;
        EXPECT_FALSE(session.hasKey()) << "a wrong entry keeps no key: " << wrong;
    }
    ASSERT_TRUE(session.unlockPair("Mk1").opened);
    ASSERT_TRUE(session.load().ok);
    EXPECT_EQ(asLines(session.listings()), asLines(taggedListings(3)));
}

TEST_F(ListSessionTest, ChecksTheOldPasswordAgainstTheFileNotMemory)
{
    ListSession session(folder());
    openDescribed(session, "Mk1", taggedListings(1));
    EXPECT_TRUE(session.checkPassword("Mk1").matches);
    // Another window changed the file: the file in force decides.
    writeCiphered("kxpwfl.ene", "Other", "sx8peu3");
    EXPECT_FALSE(session.checkPassword("Mk1").matches);
    EXPECT_TRUE(session.checkPassword("Other").matches);

    QFile::remove(path("kxpwfl.ene"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("kxpwfl.ene"));
    const ListSession::Check check = session.checkPassword("Other");
    EXPECT_FALSE(check.result.ok) << "an unreadable file is a fault, not a wrong password";
    EXPECT_FALSE(check.matches);
}

TEST_F(ListSessionTest, RunsSlowWorkThroughItsRunner)
{
    int ran = 0;
    bool workingMeanwhile = false;
    ListSession* seen = nullptr;
    ListSession session(folder(), [&](const std::function<void()>& work) {
        ++ran;
        workingMeanwhile = seen && seen->working();
        work();
    });
    seen = &session;
    openDescribed(session, "Mk1", taggedListings(1));
    EXPECT_EQ(ran, 0) << "the described files need no derivation";
    ASSERT_TRUE(session.turnOn("Strong1").on);
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(workingMeanwhile);
    EXPECT_FALSE(session.working());
    EXPECT_TRUE(session.checkPassword("Strong1").matches);
    EXPECT_EQ(ran, 2);
}

// Whatever step of a change fails, the key in memory is the one the disk
// holds: the next save writes a list that opens with that key.
TEST_F(ListSessionTest, AFailedChangeKeepsTheKeyInForceOnDisk)
{
    const struct {
        const char* name;
        bool strongBefore;
        std::function<void(ListSession&)> change;
    } cases[] = {
        {"change of the master password", false, [](ListSession& s) { s.changePassword("New1"); }},
        {"change of the vault's password", true, [](ListSession& s) { s.changePassword("New1"); }},
        {"turning strong protection on", false, [](ListSession& s) { s.turnOn("New1"); }},
        {"turning strong protection off", true, [](ListSession& s) { s.turnOff("New1"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<ListSession> session;
        const int steps = FaultInjection::failAtEachStep(
            [&] {
                session.emplace(folder());
                if (c.strongBefore)
                    openStrong(*session, "Old1", taggedListings(2));
                else
                    openDescribed(*session, "Old1", taggedListings(2));
            },
            [&] { c.change(*session); },
            [&](const FaultInjection::Attempt& run) {
                SCOPED_TRACE(run.step);
                // The list changes after the fault and is saved.
                session->listings().append({"www.after.com", "late", "pw"});
                const StorageResult saved = session->save();
                ASSERT_TRUE(saved.ok) << qPrintable(saved.error);
                const auto opened = openedWithEither({"Old1", "New1"});
                ASSERT_TRUE(opened.has_value()) << "the list opens with the password in force";
                EXPECT_EQ(*opened, asLines(session->listings()));
            });
        EXPECT_GT(steps, 0);
    }
}

TEST_F(ListSessionTest, KeepsTheOpenListAsABackupInTheFormatInForce)
{
    ListSession session(folder());
    openStrong(session, "Strong1", taggedListings(2));
    const ListBackups::Kept kept = session.keepAsBackup(taggedListings(2, "kept"), QDateTime::currentDateTime());
    ASSERT_TRUE(kept.result.ok) << qPrintable(kept.result.error);
    EXPECT_TRUE(kept.path.endsWith(".vault")) << qPrintable(kept.path);
    const ListBackups::Contents read = ListBackups::read({kept.path, {}, ListBackups::Kind::Vault, 0, {}}, "Strong1");
    ASSERT_EQ(read.status, ListBackups::Status::Opened);
    EXPECT_EQ(asLines(read.listings), asLines(taggedListings(2, "kept")));
}

TEST(ListingStampTest, EveryFreshIdIsItsOwnAndTheStampIsNotContent)
{
    // One by one, and all of a list at once (an import).
    QList<Listing> together(1000);
    StampAllFresh(together, 42);
    const std::function<ListingStamp(int)> ways[] = {
        [](int) { return ListingStamp::fresh(42); },
        [&together](int i) { return together[i].stamp; },
    };
    for (const auto& stampOf : ways) {
        QSet<QByteArray> ids;
        for (int i = 0; i < 1000; ++i) {
            const ListingStamp stamp = stampOf(i);
            ASSERT_TRUE(stamp.hasId());
            EXPECT_EQ(stamp.created, 42);
            EXPECT_EQ(stamp.modified, 42);
            ids.insert(QByteArray(reinterpret_cast<const char*>(stamp.id.data()), ListingStamp::kIdSize));
        }
        EXPECT_EQ(ids.size(), 1000);
    }
    EXPECT_FALSE(ListingStamp().hasId());

    const Listing stamped {"site", "user", "pw", ListingStamp::fresh(1)};
    EXPECT_EQ(stamped, (Listing {"site", "user", "pw"}));
    EXPECT_NE(stamped, (Listing {"site", "user", "pw2", stamped.stamp}));
}

TEST_F(ListSessionTest, KeepsTheRemovalsOfListingsWithAnIdUntilTheListIsLoadedAgain)
{
    ListSession session(folder());
    openDescribed(session, "Mk1", taggedListings(1));
    session.noteRemoved({"described", "u", "p"}, 5);
    EXPECT_TRUE(session.removals().isEmpty()) << "a listing without an id leaves nothing to keep";
    const Listing stamped {"sealed", "u", "p", ListingStamp::fresh(3)};
    session.noteRemoved(stamped, 7);
    ASSERT_EQ(session.removals().size(), 1);
    EXPECT_EQ(session.removals()[0].id, stamped.stamp.id);
    EXPECT_EQ(session.removals()[0].removed, 7);
    ASSERT_TRUE(session.load().ok);
    EXPECT_TRUE(session.removals().isEmpty());
    session.noteRemoved(stamped, 8);
    session.forget();
    EXPECT_TRUE(session.removals().isEmpty());
}

// A new vault is of version 2: any Unicode password, the listings' ids and
// times and the removals come back after a new start; a version 1 vault
// found on disk is saved as version 1.
TEST_F(ListSessionTest, NewVaultsAreVersionTwoAndKeepStampsAndRemovals)
{
    const QString password = QStringLiteral("Z\u00e1mek \u0141\u00f3d\u017a \u6771\u4eac");
    ListSession session(folder());
    openStrong(session, password, taggedListings(2));
    EXPECT_EQ(quint8(readFile("kxplst.vault").at(14)), Vault::kVersion2);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const Listing typed {QStringLiteral("\u00e9t\u00e9.example"), QString(1024, 'u'), QStringLiteral("pw \U0001F511"),
                         ListingStamp::fresh(now - 1000)};
    session.listings().append(typed);
    const Listing gone = session.listings().takeFirst();
    session.noteRemoved(gone, now - 2000);
    ASSERT_TRUE(session.save().ok);

    ListSession reopened(folder());
    ASSERT_TRUE(reopened.unlockVault(password).opened);
    ASSERT_TRUE(reopened.load().ok);
    ASSERT_EQ(reopened.listings().size(), 2);
    EXPECT_EQ(reopened.listings()[0].site, "www.site2.com") << "no pad spaces";
    EXPECT_EQ(reopened.listings()[1], typed);
    EXPECT_EQ(reopened.listings()[1].stamp.id, typed.stamp.id);
    EXPECT_EQ(reopened.listings()[1].stamp.created, now - 1000);
    ASSERT_EQ(reopened.removals().size(), 1);
    EXPECT_EQ(reopened.removals()[0].id, gone.stamp.id);
    EXPECT_EQ(reopened.removals()[0].removed, now - 2000);
    EXPECT_TRUE(reopened.isEntry(password));
}

// A vault of version 1, as an earlier version wrote it, is sealed again as
// version 2 at its unlock, the earlier one kept as a backup; in a read-only
// folder it opens as it is and nothing is written. Killed at any step, the
// folder still opens to every listing.
TEST_F(ListSessionTest, AVersionOneVaultBecomesVersionTwoAtItsUnlock)
{
    const auto writeVersionOne = [this] {
        clearFolder();
        const Vault::Salt salt = Vault::newSalt();
        auto key = Vault::deriveFromPassword(u"Old1", Vault::minimumParams(), salt, Vault::kVersion1);
        ASSERT_TRUE(key.has_value());
        SecretBytes records;
        ASSERT_TRUE(ListFile::serialize(taggedListings(3), &records).ok);
        writeFile("kxplst.vault", Vault::seal(records.bytes(), *key, Vault::minimumParams(), salt, Vault::kVersion1));
    };
    const auto opensWhole = [this] {
        ListSession session(folder());
        if (!session.unlockVault("Old1").opened || !session.load().ok)
            return false;
        return asLines(session.listings()) == asLines(taggedListings(3));
    };

    writeVersionOne();
    const QByteArray original = readFile("kxplst.vault");
    setWritable({}, false);
    {
        ListSession session(folder());
        const StrongProtection::Unlocked unlocked = session.unlockVault("Old1");
        ASSERT_TRUE(unlocked.opened);
        EXPECT_TRUE(unlocked.note.isEmpty());
        EXPECT_EQ(files(), QStringList {"kxplst.vault"});
        EXPECT_EQ(readFile("kxplst.vault"), original) << "a read-only folder is only read";
    }
    setWritable({}, true);

    ListSession session(folder());
    const StrongProtection::Unlocked unlocked = session.unlockVault("Old1");
    ASSERT_TRUE(unlocked.opened);
    EXPECT_EQ(quint8(readFile("kxplst.vault").at(14)), Vault::kVersion2);
    const QStringList kept = files().filter("kxplst-backup-");
    ASSERT_EQ(kept.size(), 1) << qPrintable(files().join(' '));
    EXPECT_TRUE(kept[0].endsWith(".vault"));
    EXPECT_EQ(readFile(kept[0]), original);
    EXPECT_TRUE(unlocked.note.contains(kept[0])) << qPrintable(unlocked.note);
    ASSERT_TRUE(session.load().ok);
    EXPECT_EQ(asLines(session.listings()), asLines(taggedListings(3)));
    EXPECT_TRUE(session.listings()[0].stamp.hasId());
    EXPECT_TRUE(opensWhole());

    const int steps = FaultInjection::killAfterEachStep(
        writeVersionOne, [this] { ListSession(folder()).unlockVault("Old1"); },
        [&](const FaultInjection::Attempt& run) { EXPECT_TRUE(opensWhole()) << "killed after step " << run.step; });
    EXPECT_GT(steps, 1);
}

} // namespace
