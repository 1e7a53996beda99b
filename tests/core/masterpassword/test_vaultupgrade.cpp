// A vault sealed with weaker Argon2id settings than this version writes is
// sealed again when it is unlocked, unless nothing may be written.
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/masterpassword/vaultupgrade.h"
#include "core/storage/vault.h"
#include "support/faultinjection.h"
#include "support/listrecords.h"
#include "support/tempappdir.h"

namespace {

// Cheap, but above libsodium's minimums: what "today" writes in these tests.
const Vault::Params kToday {2, 16 * 1024};

const QList<Listing> kListings = {{"www.site1.com", "user1", "pw1"}, {"www.site2.com", "user2", "pw2"}};

class VaultUpgradeTest : public TempAppDirTest {
protected:
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        TempAppDirTest::TearDown();
    }
    // A vault under "pw" sealed with params.
    void vaultWith(const Vault::Params& params)
    {
        StrongProtection::setNewVaultParamsForTesting(params);
        Vault::Session session;
        ASSERT_TRUE(StrongProtection::turnOn(folder(), "pw", kListings, &session).on);
        StrongProtection::setNewVaultParamsForTesting(kToday);
    }
    Vault::Header header() { return Vault::readHeader(readFile("kxplst.vault")).header; }
    Vault::Session unlock(const QString& entry)
    {
        restartFolder();
        Vault::Session session;
        const StrongProtection::Unlocked unlocked = StrongProtection::unlock(folder(), entry, &session);
        EXPECT_TRUE(unlocked.result.ok);
        EXPECT_TRUE(unlocked.opened);
        return session;
    }
};

TEST_F(VaultUpgradeTest, WeakSettingsAreSealedAgainAtUnlockWithTodaysAndAFreshSalt)
{
    struct Case {
        const char* name;
        Vault::Params params;
    };
    for (const Case& c : {Case {"fewer operations", {1, kToday.memLimit}},
                          Case {"less memory", {kToday.opsLimit, 8192}}, Case {"both", Vault::minimumParams()}}) {
        clearFolder();
        vaultWith(c.params);
        const Vault::Header weak = header();
        ASSERT_EQ(weak.params, c.params);
        const Vault::Session session = unlock("pw");
        EXPECT_EQ(header().params, kToday) << c.name;
        EXPECT_NE(header().salt, weak.salt) << c.name;
        EXPECT_EQ(session.params, kToday) << c.name;
        EXPECT_EQ(session.salt, header().salt) << c.name;
        EXPECT_EQ(files(), QStringList {"kxplst.vault"}) << c.name << ": no copy of the weak vault is kept";
        QList<Listing> listings;
        ASSERT_TRUE(VaultList::load(folder(), session, &listings)) << c.name;
        EXPECT_EQ(padded(listings), padded(kListings)) << c.name;
        // And the next start opens it with the same entry.
        EXPECT_EQ(unlock("pw").params, kToday) << c.name;
    }
}

TEST_F(VaultUpgradeTest, TodaysOrStrongerSettingsAreLeftAsTheyAre)
{
    for (const Vault::Params& params : {kToday, Vault::Params {kToday.opsLimit + 1, kToday.memLimit * 2}}) {
        clearFolder();
        vaultWith(params);
        const auto before = snapshot();
        EXPECT_EQ(unlock("pw").params, params);
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(VaultUpgradeTest, InAReadOnlyFolderOrFileTheUnlockStillOpensAndWritesNothing)
{
    for (const QString& readOnly : {QString(), QStringLiteral("kxplst.vault")}) {
        setWritable({}, true);
        clearFolder();
        vaultWith(Vault::minimumParams());
        setWritable(readOnly, false);
        const auto before = snapshot();
        const Vault::Session session = unlock("pw");
        EXPECT_TRUE(session.isOpen());
        EXPECT_EQ(session.params, Vault::minimumParams());
        EXPECT_EQ(snapshot(), before) << qPrintable(readOnly);
        setWritable(readOnly, true);
    }
}

TEST_F(VaultUpgradeTest, AWrongEntryChangesNothing)
{
    vaultWith(Vault::minimumParams());
    const auto before = snapshot();
    restartFolder();
    Vault::Session session;
    EXPECT_FALSE(StrongProtection::unlock(folder(), "wrong", &session).opened);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(VaultUpgradeTest, FailingOrKilledAtAnyStepTheUnlockOpensAndTheVaultStaysOneThatOpens)
{
    Vault::Session session;
    StrongProtection::Unlocked unlocked;
    const auto prepare = [this] {
        clearFolder();
        vaultWith(Vault::minimumParams());
        restartFolder();
    };
    const auto action = [&] {
        session = {};
        unlocked = StrongProtection::unlock(folder(), "pw", &session);
    };
    const auto check = [&](const FaultInjection::Attempt& attempt, bool killed) {
        const Vault::Header onDisk = header();
        EXPECT_TRUE(onDisk.params == Vault::minimumParams() || onDisk.params == kToday) << attempt.step;
        EXPECT_EQ(files(), QStringList {"kxplst.vault"}) << attempt.step;
        if (!killed) {
            EXPECT_TRUE(unlocked.opened) << attempt.step;
            // The key kept is the one the vault on disk opens with.
            EXPECT_EQ(session.salt, onDisk.salt) << attempt.step;
        }
        EXPECT_TRUE(unlock("pw").isOpen()) << attempt.step;
    };
    const int steps = FaultInjection::failAtEachStep(prepare, action, [&](const auto& a) { check(a, false); });
    EXPECT_GE(steps, 2) << "the vault is written and renamed into place";
#ifdef Q_OS_UNIX
    FaultInjection::killAfterEachStep(prepare, action, [&](const auto& a) { check(a, true); });
#endif
}

} // namespace
