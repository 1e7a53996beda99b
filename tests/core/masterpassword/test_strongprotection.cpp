#include "core/listings/listfile.h"
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/startup.h"
#include "core/storage/vault.h"
#include "support/faultinjection.h"
#include "support/listrecords.h"
#include "support/tempappdir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

using FaultInjection::Attempt;

class StrongProtectionTest : public TempAppDirTest {
protected:
    void SetUp() override
    {
        TempAppDirTest::SetUp();
        // Vaults in tests are sealed with libsodium's cheapest parameters.
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    }
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        TempAppDirTest::TearDown();
    }

    // The described pair under password, as a folder has it before strong
    // protection is turned on.
    void describedPair(const QString& password, const QList<Listing>& listings)
    {
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        writeCiphered("kxpwfl.ene", password.toLatin1(), "sx8peu3");
        ASSERT_TRUE(ListFile::save(folder(), listings, password));
    }
    Vault::Session turnOn(const QString& password, const QList<Listing>& listings)
    {
        Vault::Session session;
        const StrongProtection::TurnedOn turned = StrongProtection::turnOn(folder(), password, listings, &session);
        EXPECT_TRUE(turned.on && turned.result.ok) << qPrintable(turned.result.error);
        return session;
    }
    // What the next start finds with password: the listings, if it opens.
    std::optional<QList<Listing>> openWith(const QString& password)
    {
        restartFolder();
        Startup::prepareFolder(folder());
        QList<Listing> listings;
        // As the unlock dialog does: the vault first, then the pair; the
        // one that opens is the list, the other is kept aside.
        const Startup::VaultFound vault = Startup::inspectVault(folder());
        if (vault.state == Startup::VaultState::Sealed) {
            Vault::Session session;
            const StrongProtection::Unlocked unlocked = StrongProtection::unlock(folder(), password, &session);
            EXPECT_TRUE(unlocked.result.ok) << qPrintable(unlocked.result.error);
            if (unlocked.opened) {
                StrongProtection::keepPairAside(folder());
                EXPECT_TRUE(VaultList::load(folder(), session, &listings));
                // As the list file would hold them: a sealed list keeps
                // the values as typed, without pad spaces.
                return padded(listings);
            }
        }
        if (vault.state != Startup::VaultState::Absent && !Startup::hasPair(folder()))
            return std::nullopt;
        QString stored;
        EXPECT_TRUE(DataFiles::readStoredPassword(folder(), &stored));
        if (stored.isEmpty() || stored != password)
            return std::nullopt;
        if (vault.state != Startup::VaultState::Absent)
            StrongProtection::keepVaultAside(folder(), vault);
        EXPECT_TRUE(ListFile::load(folder(), password, &listings));
        return listings;
    }
};

TEST_F(StrongProtectionTest, TurningOnSealsTheListAndRemovesTheWeakerFiles)
{
    describedPair("old", listingsOf(3));
    const Vault::Session session = turnOn("newpass", listingsOf(3));
    EXPECT_TRUE(session.isOpen());
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));
    EXPECT_EQ(openWith("newpass"), padded(listingsOf(3)));
    EXPECT_EQ(openWith("old"), std::nullopt);
}

TEST_F(StrongProtectionTest, ListsOfEverySizeComeBackWhole)
{
    for (const int count : {0, 1, 297, 100'000}) {
        clearFolder();
        describedPair("old", {});
        turnOn("newpass", listingsOf(count));
        const auto opened = openWith("newpass");
        ASSERT_TRUE(opened.has_value()) << count;
        EXPECT_EQ(opened->size(), count);
        EXPECT_EQ(*opened, padded(listingsOf(count))) << count;
    }
}

TEST_F(StrongProtectionTest, ASavedVaultOpensAfterARestart)
{
    describedPair("old", listingsOf(1));
    const Vault::Session session = turnOn("newpass", listingsOf(1));
    const QByteArray first = readFile("kxplst.vault");
    ASSERT_TRUE(VaultList::save(folder(), session, listingsOf(5)));
    EXPECT_NE(readFile("kxplst.vault").mid(47, 24), first.mid(47, 24)) << "every save takes a fresh nonce";
    EXPECT_EQ(readFile("kxplst.vault").mid(31, 16), first.mid(31, 16)) << "and keeps the salt";
    EXPECT_EQ(openWith("newpass"), padded(listingsOf(5)));
}

TEST_F(StrongProtectionTest, WrongPasswordsAndEveryFlippedByteAreRefusedAndChangeNothing)
{
    describedPair("old", {});
    turnOn("newpass", listingsOf(2));
    const QByteArray vault = readFile("kxplst.vault");
    for (const QString& wrong : {QStringLiteral("newpasS"), QStringLiteral("new pass"), QStringLiteral("\tnewpass"),
                                 QStringLiteral(""), QStringLiteral("old")}) {
        const auto before = snapshot();
        Vault::Session session;
        const StrongProtection::Unlocked unlocked = StrongProtection::unlock(folder(), wrong, &session);
        EXPECT_TRUE(unlocked.result.ok);
        EXPECT_FALSE(unlocked.opened) << qPrintable(wrong);
        EXPECT_FALSE(session.isOpen());
        EXPECT_EQ(snapshot(), before);
    }
    for (qsizetype at = 0; at < vault.size(); ++at) {
        QByteArray changed = vault;
        changed[at] = char(changed[at] ^ 0x01);
        writeFile("kxplst.vault", changed);
        const auto before = snapshot();
        Vault::Session session;
        EXPECT_FALSE(StrongProtection::unlock(folder(), "newpass", &session).opened) << "byte " << at;
        EXPECT_EQ(snapshot(), before) << "byte " << at;
    }
}

TEST_F(StrongProtectionTest, PasswordCheckComparesKeys)
{
    describedPair("old", {});
    const Vault::Session session = turnOn("newpass", listingsOf(1));
    EXPECT_TRUE(StrongProtection::checkPassword(session, "newpass"));
    EXPECT_FALSE(StrongProtection::checkPassword(session, "Newpass"));
    EXPECT_FALSE(StrongProtection::checkPassword(Vault::Session {}, "newpass"));
}

TEST_F(StrongProtectionTest, ChangingThePasswordTakesAFreshSaltOrChangesNothing)
{
    describedPair("old", {});
    Vault::Session session = turnOn("first", listingsOf(2));
    const QByteArray before = readFile("kxplst.vault");
    const int steps = FaultInjection::failAtEachStep(
        [&] { writeFile("kxplst.vault", before); },
        [&] { StrongProtection::changePassword(folder(), &session, "second", listingsOf(3)); },
        [&](const Attempt& run) {
            // Write and rename failing leave the old vault; after the rename
            // (a failed sync) the new one holds.
            if (run.faulted && run.step < 3) {
                EXPECT_EQ(readFile("kxplst.vault"), before) << run.step;
                EXPECT_TRUE(StrongProtection::checkPassword(session, "first")) << "the session keeps its key";
                return;
            }
            EXPECT_TRUE(StrongProtection::checkPassword(session, "second")) << run.step;
            EXPECT_NE(readFile("kxplst.vault").mid(31, 16), before.mid(31, 16)) << "a fresh salt";
        });
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(openWith("second"), padded(listingsOf(3)));
    EXPECT_EQ(openWith("first"), std::nullopt);
}

TEST_F(StrongProtectionTest, TurningOnIsRefusedForLinkedOrReadOnlyFiles)
{
    describedPair("old", listingsOf(1));
    ASSERT_TRUE(QDir(dir.path()).mkdir("elsewhere"));
    ASSERT_TRUE(QFile::rename(path("kxpwfl.ene"), path("elsewhere/kxpwfl.ene")));
    ASSERT_TRUE(QFile::link("elsewhere/kxpwfl.ene", path("kxpwfl.ene")));
    restartFolder();
    auto before = snapshot();
    Vault::Session session;
    StrongProtection::TurnedOn turned = StrongProtection::turnOn(folder(), "newpass", listingsOf(1), &session);
    EXPECT_FALSE(turned.on);
    EXPECT_TRUE(turned.result.error.contains("kxpwfl.ene") && turned.result.error.contains("symbolic link"))
        << qPrintable(turned.result.error);
    EXPECT_EQ(snapshot(), before);

    QFile::remove(path("kxpwfl.ene"));
    ASSERT_TRUE(QFile::rename(path("elsewhere/kxpwfl.ene"), path("kxpwfl.ene")));
    setWritable("kxplst.ene", false);
    restartFolder();
    before = snapshot();
    turned = StrongProtection::turnOn(folder(), "newpass", listingsOf(1), &session);
    EXPECT_FALSE(turned.on);
    EXPECT_TRUE(turned.result.error.contains("kxplst.ene") && turned.result.error.contains("read-only"))
        << qPrintable(turned.result.error);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(session.isOpen());
}

// Turning off writes the pair and removes the vault: neither is done when
// the vault, or its folder, is read-only; and whatever lies at the vault's
// place, never opened, is never replaced by turning on.
TEST_F(StrongProtectionTest, ReadOnlyOrUnopenedVaultsStayWhenTurningOnOrOff)
{
    describedPair("old", listingsOf(1));
    turnOn("newpass", listingsOf(2));
    for (const bool wholeFolder : {false, true}) {
        setWritable(wholeFolder ? QString() : QStringLiteral("kxplst.vault"), false);
        restartFolder();
        const auto before = snapshot();
        const StorageResult turned = StrongProtection::turnOff(folder(), "newpass", listingsOf(2));
        EXPECT_FALSE(turned.ok);
        EXPECT_TRUE(turned.error.contains("kxplst.vault") && turned.error.contains("read-only"))
            << qPrintable(turned.error);
        EXPECT_EQ(snapshot(), before) << wholeFolder;
        setWritable(wholeFolder ? QString() : QStringLiteral("kxplst.vault"), true);
    }

    const QByteArray vault = readFile("kxplst.vault");
    describedPair("old", listingsOf(1)); // beside the vault, as a cut-short switch leaves them
    restartFolder();
    const auto before = snapshot();
    EXPECT_FALSE(StrongProtection::turnOff(folder(), "newpass", listingsOf(2)).ok) << "the pair is not overwritten";
    EXPECT_EQ(snapshot(), before);
    Vault::Session session;
    const StrongProtection::TurnedOn on = StrongProtection::turnOn(folder(), "other", listingsOf(1), &session);
    EXPECT_FALSE(on.on);
    EXPECT_TRUE(on.result.error.contains("kxplst.vault")) << qPrintable(on.result.error);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(readFile("kxplst.vault"), vault);
}

TEST_F(StrongProtectionTest, WeakCopiesAreFound)
{
    describedPair("old", {});
    writeFile("kxplst-backup-20261209-231500.ene", "x");
    writeFile("kxpwfl-backup-20261209-231500.ene", "x");
    writeFile("kxinit-backup-20261209-231500.ene", "x");
    QStringList names;
    for (const QString& copy : StrongProtection::weakCopies(folder()))
        names.append(QFileInfo(copy).fileName());
    EXPECT_EQ(names, (QStringList {"kxplst-backup-20261209-231500.ene", "kxpwfl-backup-20261209-231500.ene"}));
}

// Turning off writes the described pair and removes the vault; until the
// vault is gone it has not happened, whatever step fails.
TEST_F(StrongProtectionTest, TurningOffFailingAtAnyStepLeavesOneWholeState)
{
    describedPair("old", {});
    turnOn("strongpw", listingsOf(2));
    const QByteArray vault = readFile("kxplst.vault");
    const int steps = FaultInjection::failAtEachStep(
        [&] {
            clearFolder();
            writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
            writeFile("kxplst.vault", vault);
        },
        [&] { StrongProtection::turnOff(folder(), "strongpw", listingsOf(2)); },
        [&](const Attempt& run) {
            if (exists("kxplst.vault")) {
                EXPECT_TRUE(run.faulted) << run.step;
                EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"})) << run.step;
            } else {
                EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.ene", "kxpwfl.ene"})) << run.step;
                EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("strongpw"));
                EXPECT_EQ(readDeciphered("kxplst.ene", "strongpw"),
                          record("www.site1.com", "user1", "pw1") + record("www.site2.com", "user2", "pw2"));
            }
            EXPECT_EQ(openWith("strongpw"), padded(listingsOf(2))) << run.step;
        });
    EXPECT_EQ(steps, 12);
}

// A switch of protection cut short: the start removes nothing, never sets
// up; the vault opens with its password and the pair is kept aside.
TEST_F(StrongProtectionTest, AVaultBesideTheDescribedFilesIsTriedFirstAndNothingIsRemoved)
{
    describedPair("old", listingsOf(1));
    const Vault::Session session = turnOn("newpass", listingsOf(2));
    describedPair("old", listingsOf(1)); // as a switch cut short leaves them
    writeCiphered("kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze");
    const auto asFound = snapshot();
    restartFolder();
    Startup::prepareFolder(folder());
    EXPECT_EQ(snapshot(), asFound) << "nothing is removed before a password is typed";
    Startup::Path path = Startup::Path::FirstRun;
    ASSERT_TRUE(Startup::decide(folder(), &path));
    EXPECT_EQ(path, Startup::Path::Unlock) << "never set-up beside a vault";
    EXPECT_EQ(readDeciphered("kxinit.ene", "hmut58qkze"), QByteArray("VELLA1TKY-V1.0.1-NEWSETUP"));

    EXPECT_EQ(openWith("newpass"), padded(listingsOf(2)));
    const QStringList kept = files().filter("-backup-");
    ASSERT_EQ(kept.size(), 2) << qPrintable(files().join(' '));
    EXPECT_EQ(readFile(kept.filter("kxplst").value(0)), asFound.value("kxplst.ene"));
    EXPECT_EQ(readFile(kept.filter("kxpwfl").value(0)), asFound.value("kxpwfl.ene"));
    EXPECT_EQ(QString(kept[0]).replace("kxplst", "kxpwfl"), kept[1]) << "one stamp for both";
    EXPECT_EQ(readFile("kxplst.vault"), asFound.value("kxplst.vault"));
}

// Whichever opens is the list: with the pair's password, the vault is kept
// aside as "kxplst-backup-*.vault", byte for byte.
TEST_F(StrongProtectionTest, ThePairOpensBesideAVaultThatDoesNot)
{
    describedPair("old", listingsOf(1));
    turnOn("newpass", listingsOf(2));
    describedPair("old", listingsOf(1));
    const QByteArray vault = readFile("kxplst.vault");
    EXPECT_EQ(openWith("old"), padded(listingsOf(1)));
    const QStringList kept = files().filter(QRegularExpression("^kxplst-backup-\\d{8}-\\d{6}\\.vault$"));
    ASSERT_EQ(kept.size(), 1) << qPrintable(files().join(' '));
    EXPECT_EQ(readFile(kept[0]), vault);
    EXPECT_FALSE(exists("kxplst.vault"));
}

TEST_F(StrongProtectionTest, ARealVaultIsSealedWithTheWrittenParameters)
{
    StrongProtection::setNewVaultParamsForTesting(std::nullopt);
    describedPair("old", {});
    turnOn("newpass", listingsOf(1));
    const Vault::HeaderCheck header = Vault::readHeader(readFile("kxplst.vault"));
    ASSERT_TRUE(header.ok());
    EXPECT_EQ(header.header.params, Vault::writtenParams());
    EXPECT_EQ(header.header.params, (Vault::Params {6, 128ull * 1024 * 1024}));
}

#ifdef Q_OS_UNIX
// A run killed after any step of each operation leaves a folder the next
// start opens with the password in force, with every listing.
TEST_F(StrongProtectionTest, KilledAtAnyStepEveryOperationLeavesAFolderThatOpens)
{
    const QList<Listing> before = listingsOf(2);
    const QList<Listing> after = listingsOf(3);
    struct Operation {
        const char* name;
        std::function<void()> prepare;
        std::function<void()> action;
        QString passwordBefore, passwordAfter;
    };
    const std::vector<Operation> operations {
        {"turning on",
         [&] {
             clearFolder();
             describedPair("old", before);
         },
         [&] {
             Vault::Session session;
             StrongProtection::turnOn(folder(), "strong", after, &session);
         },
         "old", "strong"},
        {"saving",
         [&] {
             clearFolder();
             describedPair("old", {});
             turnOn("strong", before);
         },
         [&] {
             Vault::Session session;
             StrongProtection::unlock(folder(), "strong", &session);
             VaultList::save(folder(), session, after);
         },
         "strong", "strong"},
        {"changing the password",
         [&] {
             clearFolder();
             describedPair("old", {});
             turnOn("strong", before);
         },
         [&] {
             Vault::Session session;
             StrongProtection::unlock(folder(), "strong", &session);
             StrongProtection::changePassword(folder(), &session, "stronger", after);
         },
         "strong", "stronger"},
        {"turning off",
         [&] {
             clearFolder();
             describedPair("old", {});
             turnOn("strong", before);
         },
         [&] { StrongProtection::turnOff(folder(), "strong", after); }, "strong", "strong"},
    };
    for (const Operation& operation : operations) {
        SCOPED_TRACE(operation.name);
        FaultInjection::killAfterEachStep(operation.prepare, operation.action, [&](const Attempt& run) {
            const auto withBefore = openWith(operation.passwordBefore);
            const auto withAfter = openWith(operation.passwordAfter);
            const bool done = !run.faulted;
            if (done) {
                EXPECT_EQ(withAfter, padded(after));
            }
            EXPECT_TRUE(withBefore == padded(before) || withAfter == padded(after)) << "step " << run.step;
            for (const QString& name : files())
                EXPECT_FALSE(name.endsWith(".end") || name.contains("pending")) << qPrintable(name);
            EXPECT_FALSE(exists("kxplst.vault") && (exists("kxplst.ene") || exists("kxpwfl.ene")))
                << "a vault never stays beside the weaker files, step " << run.step;
        });
    }
}
#endif

} // namespace
