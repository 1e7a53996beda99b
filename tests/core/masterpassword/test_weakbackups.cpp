// The copies kept under an earlier master password: which are wholly in the
// list, which are put under the new password first, which cannot be checked.
#include "core/listings/listfile.h"
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/masterpassword/weakbackups.h"
#include "core/storage/filecipher.h"
#include "core/storage/safewrite.h"
#include "core/storage/vault.h"
#include "core/storage/vault_test_seam.h"
#include "support/faultinjection.h"
#include "support/listrecords.h"
#include "support/tempappdir.h"

namespace {

using WeakBackups::Verdict;

const QByteArray kPasswordKey = "sx8peu3";

QByteArray recordsOf(const QList<Listing>& listings)
{
    SecretBytes plain;
    ListFile::serialize(listings, &plain);
    return plain.bytes();
}

const QList<Listing> kList = listingsOf(3);
const QList<Listing> kLacking = listingsOf(2) + QList<Listing> {{"www.gone.com", "gone", "lost"}};

// One copy in a folder: what its list copy holds and under which password,
// and the password copy of the same stamp, if any.
struct Case {
    const char* name;
    QByteArray plain; // the list copy's records
    QByteArray cipheredUnder; // the password they are ciphered under
    QByteArray pairPassword; // the kxpwfl-backup of the same stamp holds it (empty: none)
    Verdict verdict;
};

const QList<Case> kCases = {
    {"every listing in the list", recordsOf(listingsOf(2)), "old", "", Verdict::InList},
    {"the whole list, in another order", recordsOf({kList[2], kList[0], kList[1]}), "old", "", Verdict::InList},
    {"an empty copy", "", "old", "", Verdict::InList},
    {"a listing the list lacks", recordsOf(kLacking), "old", "", Verdict::NotInList},
    {"a damaged tail", recordsOf(listingsOf(1)) + "www.site", "old", "", Verdict::NotInList},
    {"a changed password field", recordsOf({{"www.site1.com", "user1", "pw1x"}}), "old", "", Verdict::NotInList},
    {"under a password the program does not know", recordsOf(kLacking), "unknown1", "", Verdict::Unreadable},
    {"under a password much like the old one", recordsOf(kLacking), "olde", "", Verdict::Unreadable},
    {"under the password of its pair, all in the list", recordsOf(listingsOf(1)), "older", "older", Verdict::InList},
    {"under the password of its pair, some not", recordsOf(kLacking), "older", "older", Verdict::NotInList},
    {"paired, under the old password", recordsOf(kLacking), "old", "older", Verdict::NotInList},
};

const QString kStamp = "20261201-101010";
const QString kList1 = "kxplst-backup-" + kStamp + ".ene";
const QString kPair1 = "kxpwfl-backup-" + kStamp + ".ene";

class WeakBackupsTest : public TempAppDirTest {
protected:
    void SetUp() override
    {
        TempAppDirTest::SetUp();
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    }
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        SafeWrite::setFailingStepForTesting(0);
        TempAppDirTest::TearDown();
    }
    void writeCase(const Case& c)
    {
        writeCiphered(kList1, c.plain, c.cipheredUnder);
        if (!c.pairPassword.isEmpty())
            writeCiphered(kPair1, c.pairPassword, kPasswordKey);
    }
    // What the GUI does on Yes to both questions, resealing under session
    // (strong protection) or newPassword.
    WeakBackups::Settled settleAll(const Vault::Session* session, const QString& newPassword, bool sealedToo = false)
    {
        WeakBackups::Backups backups = WeakBackups::survey(folder(), kList, "old", sealedToo);
        WeakBackups::take(&backups, Verdict::Unreadable);
        return WeakBackups::settle(folder(), backups, {session, newPassword});
    }
    // The records a sealed copy holds, opened with password, as the list
    // file would hold them (a copy of either version).
    std::optional<QByteArray> openSealed(const QString& name, const QString& password)
    {
        const QByteArray file = readFile(name);
        const Vault::HeaderCheck header = Vault::readHeader(file);
        if (!header.ok())
            return std::nullopt;
        const quint8 version = header.header.version;
        const auto key = Vault::deriveFromPassword(password, header.header.params, header.header.salt, version);
        QByteArray plain;
        if (!key || Vault::open(file, *key, plain, version) != Vault::OpenResult::Ok)
            return std::nullopt;
        QList<Listing> listings;
        SecretBytes records;
        if (!VaultList::listingsOf(plain, version, &listings) || !ListFile::serialize(listings, &records))
            return std::nullopt;
        return records.bytes();
    }
    Vault::Session sessionFor(const QString& password) { return *StrongProtection::newSession(password); }
};

TEST_F(WeakBackupsTest, EachCopyIsJudgedAgainstTheList)
{
    for (const Case& c : kCases) {
        clearFolder();
        writeCase(c);
        const WeakBackups::Backups backups = WeakBackups::survey(folder(), kList, "old", false);
        ASSERT_EQ(backups.size(), 1u) << c.name;
        EXPECT_EQ(backups[0].verdict, c.verdict) << c.name;
        const QStringList expected = c.pairPassword.isEmpty() ? QStringList {kList1} : QStringList {kList1, kPair1};
        EXPECT_EQ(WeakBackups::names(backups), expected) << c.name;
        EXPECT_EQ(backups[0].records.bytes(), c.verdict == Verdict::NotInList ? c.plain : QByteArray()) << c.name;
    }
}

TEST_F(WeakBackupsTest, WithStrongProtectionCopiesNotInTheListAreSealedUnderTheNewPasswordThenRemoved)
{
    const Vault::Session session = sessionFor("newpass");
    const QString sealed = "kxplst-backup-" + kStamp + ".vault";
    for (const Case& c : kCases) {
        clearFolder();
        writeCase(c);
        const auto before = snapshot();
        const WeakBackups::Settled settled = settleAll(&session, "newpass");
        if (!ListFile::damageOf(c.plain).isEmpty()) {
            // Sealed listing by listing, its damaged tail would be lost:
            // the copy stays as found, and the user is told.
            EXPECT_EQ(snapshot(), before) << c.name;
            ASSERT_EQ(settled.failures.size(), 1) << c.name;
            EXPECT_TRUE(settled.failures[0].contains("kept as it is")) << qPrintable(settled.failures[0]);
            continue;
        }
        EXPECT_TRUE(settled.failures.isEmpty()) << c.name << qPrintable(settled.failures.join(' '));
        switch (c.verdict) {
        case Verdict::InList:
            EXPECT_EQ(files(), QStringList {}) << c.name;
            break;
        case Verdict::NotInList:
            EXPECT_EQ(files(), QStringList {sealed}) << c.name;
            EXPECT_EQ(openSealed(sealed, "newpass"), c.plain) << c.name;
            EXPECT_EQ(openSealed(sealed, c.cipheredUnder), std::nullopt) << c.name;
            break;
        case Verdict::Unreadable:
            EXPECT_EQ(snapshot(), before) << c.name << ": only its own question removes it";
            break;
        }
    }
}

TEST_F(WeakBackupsTest, InTheDescribedFormatCopiesNotInTheListAreCipheredAnewWithAPairHoldingTheNewPassword)
{
    for (const Case& c : kCases) {
        clearFolder();
        writeCase(c);
        const auto before = snapshot();
        const WeakBackups::Settled settled = settleAll(nullptr, "newpass");
        EXPECT_TRUE(settled.failures.isEmpty()) << c.name;
        if (c.verdict == Verdict::InList) {
            EXPECT_EQ(files(), QStringList {}) << c.name;
        } else if (c.verdict == Verdict::Unreadable) {
            EXPECT_EQ(snapshot(), before) << c.name;
        } else {
            // The old names were taken while the new copies were written.
            const QString stamp = "20261201-101011";
            EXPECT_EQ(files(), (QStringList {"kxplst-backup-" + stamp + ".ene", "kxpwfl-backup-" + stamp + ".ene"}))
                << c.name;
            EXPECT_EQ(readDeciphered("kxpwfl-backup-" + stamp + ".ene", kPasswordKey), "newpass") << c.name;
            EXPECT_EQ(readDeciphered("kxplst-backup-" + stamp + ".ene", "newpass"), c.plain) << c.name;
        }
    }
}

TEST_F(WeakBackupsTest, ALonePasswordCopyHoldsNoListingAndTheUncheckableGoOnlyWhenSettledThemselves)
{
    writeCiphered("kxpwfl-backup-20261130-090000.ene", "ancient", kPasswordKey);
    writeCiphered(kList1, recordsOf(kLacking), "unknown1");
    WeakBackups::Backups backups = WeakBackups::survey(folder(), kList, "old", false);
    WeakBackups::Backups unreadable = WeakBackups::take(&backups, Verdict::Unreadable);
    EXPECT_EQ(WeakBackups::names(backups), QStringList {"kxpwfl-backup-20261130-090000.ene"});
    EXPECT_EQ(WeakBackups::names(unreadable), QStringList {kList1});
    ASSERT_TRUE(WeakBackups::any(backups, Verdict::InList));

    WeakBackups::settle(folder(), backups, {});
    EXPECT_EQ(files(), QStringList {kList1});
    WeakBackups::settle(folder(), unreadable, {});
    EXPECT_EQ(files(), QStringList {});
}

TEST_F(WeakBackupsTest, AnEarlierPasswordCopyOfAnotherStampStillDeciphersAndStaysWhileItsCopyDoes)
{
    // A pair whose names came a second apart.
    writeCiphered("kxpwfl-backup-20261201-101009.ene", "older", kPasswordKey);
    writeCiphered(kList1, recordsOf(kLacking), "older");
    WeakBackups::Backups backups = WeakBackups::survey(folder(), kList, "old", false);
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].verdict, Verdict::NotInList);
    EXPECT_EQ(backups[0].keyPath, path("kxpwfl-backup-20261201-101009.ene"));

    // The sealing fails: the copy stays, and so does the password that opens it.
    const Vault::Session session = sessionFor("newpass");
    const auto before = snapshot();
    SafeWrite::setFailingStepForTesting(1);
    const WeakBackups::Settled settled = WeakBackups::settle(folder(), backups, {&session, {}});
    EXPECT_TRUE(SafeWrite::failingStepFiredForTesting());
    EXPECT_EQ(settled.failures.size(), 1);
    EXPECT_EQ(snapshot(), before);

    SafeWrite::setFailingStepForTesting(0);
    WeakBackups::settle(folder(), backups, {&session, {}});
    EXPECT_EQ(files(), QStringList {"kxplst-backup-" + kStamp + ".vault"});
}

TEST_F(WeakBackupsTest, SealedCopiesUnderTheOldPasswordAreOpenedWithOneDerivationPerSalt)
{
    // Two copies sealed in one go share their salt; one has listings the list lacks.
    const Vault::Session old = sessionFor("old");
    writeFile("kxplst-backup-20261201-101010.vault",
              Vault::seal(recordsOf(listingsOf(2)), old.key, old.params, old.salt));
    writeFile("kxplst-backup-20261201-101011.vault", Vault::seal(recordsOf(kLacking), old.key, old.params, old.salt));
    const Vault::Session other = sessionFor("unknown1");
    writeFile("kxplst-backup-20261201-101012.vault",
              Vault::seal(recordsOf(kLacking), other.key, other.params, other.salt));

    const quint64 derivations = Vault::TestSeam::derivationAttempts();
    WeakBackups::Backups backups = WeakBackups::survey(folder(), kList, "old", true);
    EXPECT_EQ(Vault::TestSeam::derivationAttempts() - derivations, 2u) << "one for each salt met";
    ASSERT_EQ(backups.size(), 3u);
    EXPECT_EQ(backups[0].verdict, Verdict::InList);
    EXPECT_EQ(backups[1].verdict, Verdict::NotInList);
    EXPECT_EQ(backups[2].verdict, Verdict::Unreadable);

    WeakBackups::take(&backups, Verdict::Unreadable);
    const Vault::Session fresh = sessionFor("newpass");
    EXPECT_TRUE(WeakBackups::settle(folder(), backups, {&fresh, {}}).failures.isEmpty());
    EXPECT_EQ(files(), (QStringList {"kxplst-backup-20261201-101012.vault", "kxplst-backup-20261201-101013.vault"}));
    EXPECT_EQ(openSealed("kxplst-backup-20261201-101013.vault", "newpass"), recordsOf(kLacking));
}

#ifdef Q_OS_UNIX
TEST_F(WeakBackupsTest, KilledAtAnyStepEveryCopyStaysReadableUnderSomePassword)
{
    const Vault::Session session = sessionFor("newpass");
    const QString sealed = "kxplst-backup-" + kStamp + ".vault";
    const QByteArray plain = recordsOf(kLacking);
    const auto prepare = [&] {
        clearFolder();
        writeCiphered(kList1, plain, "older");
        writeCiphered(kPair1, "older", kPasswordKey);
    };
    const auto action = [&] { settleAll(&session, {}); };
    const int steps = FaultInjection::killAfterEachStep(prepare, action, [&](const FaultInjection::Attempt& attempt) {
        const bool weakCopyReadable = exists(kList1) && exists(kPair1) && readDeciphered(kList1, "older") == plain;
        const bool sealedCopyReadable = exists(sealed) && openSealed(sealed, "newpass") == plain;
        EXPECT_TRUE(weakCopyReadable || sealedCopyReadable) << attempt.step;
        if (!attempt.faulted) {
            EXPECT_EQ(files(), QStringList {sealed});
        }
    });
    EXPECT_GE(steps, 4) << "sealed, then two removals";
}
#endif

} // namespace
