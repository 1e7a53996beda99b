#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/masterpassword/strongsetup.h"
#include "core/storage/filecipher.h"
#include "core/storage/startup.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

#include <QRegularExpression>

namespace {

const QByteArray kStartupRecord = "VELLA1nty-V1.0.1-NEWSETUP";

QByteArray plainRecord(const QByteArray& site, const QByteArray& user, const QByteArray& password)
{
    return site.leftJustified(75, ' ') + user.leftJustified(20, ' ') + password.leftJustified(15, ' ');
}

class StrongSetupTest : public TempAppDirTest {
protected:
    void SetUp() override
    {
        TempAppDirTest::SetUp();
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
        writeCiphered("kxinit.ene", kStartupRecord, "hmut58qkze");
    }
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        TempAppDirTest::TearDown();
    }

    StrongSetup::Outcome commit(const QString& password)
    {
        StrongSetup::Outcome outcome = StrongSetup::commit(folder(), password, &session);
        EXPECT_TRUE(outcome.on && outcome.result.ok) << qPrintable(outcome.result.error);
        return outcome;
    }
    // What the next start opens with entry: the listings, if it opens.
    std::optional<QList<Listing>> openWith(const QString& entry)
    {
        restartFolder();
        if (Startup::inspectVault(folder()).state != Startup::VaultState::Sealed)
            return std::nullopt;
        Vault::Session opened;
        if (!StrongProtection::unlock(folder(), entry, &opened).opened)
            return std::nullopt;
        EXPECT_EQ(opened.version, Vault::kVersion2);
        QList<Listing> listings;
        EXPECT_TRUE(VaultList::load(folder(), opened, &listings));
        return listings;
    }

    Vault::Session session;
};

TEST_F(StrongSetupTest, AnEmptyFolderGetsAVaultOnlyUnderAnyPassword)
{
    // Forty characters of several scripts, with spaces at the ends.
    const QString password =
        QString::fromUtf16(u" \u0141ukasz \u017Ar\u00F3d\u0142o \u65E5\u672C\u8A9E \u0645\u0631\u062D\u0628\u0627 "
                           u"\u0394\u03B5\u03BB\u03C4\u03B1 \u043A\u043B\u044E\u0447 9\u00DF! ");
    ASSERT_EQ(password.size(), 40);
    const StrongSetup::Outcome outcome = commit(password);
    EXPECT_TRUE(outcome.listings.isEmpty());
    EXPECT_TRUE(outcome.note.isEmpty()) << qPrintable(outcome.note);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"})) << "never the password file or the list file";
    EXPECT_EQ(readDeciphered("kxinit.ene", "hmut58qkze"), kStartupRecord) << "the record as the start left it";
    EXPECT_TRUE(session.isOpen());
    EXPECT_EQ(session.version, Vault::kVersion2);
    EXPECT_EQ(openWith(password), QList<Listing> {});
    EXPECT_EQ(openWith(password.trimmed()), QList<Listing> {}) << "spaces at the ends are no part of it";
    EXPECT_EQ(openWith(password.left(38)), std::nullopt) << "one character short";
}

TEST_F(StrongSetupTest, APlainListLeftBehindIsSealedInAndThenRemoved)
{
    writeFile("kxplst.end", plainRecord("www.one.example", "ann", "pw1") + plainRecord("two", "bob", "pw2"));
    const StrongSetup::Outcome outcome = commit("new pass");
    const QList<Listing> expected {{"www.one.example", "ann", "pw1"}, {"two", "bob", "pw2"}};
    EXPECT_EQ(outcome.listings, expected) << "without the file's pad spaces";
    for (const Listing& listing : outcome.listings)
        EXPECT_TRUE(listing.stamp.hasId()) << "stamped as the vault holds them";
    EXPECT_TRUE(outcome.note.contains("kxplst.end")) << qPrintable(outcome.note);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));
    const auto opened = openWith("new pass");
    ASSERT_TRUE(opened);
    EXPECT_EQ(*opened, expected);
    EXPECT_EQ(opened->at(0).stamp.id, outcome.listings.at(0).stamp.id) << "the ids in memory are the ones sealed";
}

TEST_F(StrongSetupTest, ADamagedPlainListIsSealedAsFarAsItReadsAndStays)
{
    const QByteArray plain = plainRecord("whole", "ann", "pw1") + QByteArray("cut sho");
    writeFile("kxplst.end", plain);
    const StrongSetup::Outcome outcome = commit("new pass");
    EXPECT_EQ(outcome.listings, (QList<Listing> {{"whole", "ann", "pw1"}}));
    EXPECT_EQ(readFile("kxplst.end"), plain) << "kept as found";
    EXPECT_TRUE(outcome.note.contains("kxplst.end") && outcome.note.contains("stays as found"))
        << qPrintable(outcome.note);
}

TEST_F(StrongSetupTest, AnEarlierPairIsKeptAsBackupsAndNamed)
{
    const QByteArray list = CipherBytes(QByteArray(220, 'x'), "old");
    const QByteArray passwordFile = CipherBytes(QByteArray("old").leftJustified(25, ' '), "sx8peu3");
    writeFile("kxplst.ene", list);
    writeFile("kxpwfl.ene", passwordFile);
    const StrongSetup::Outcome outcome = commit("new pass");
    EXPECT_TRUE(outcome.weakCopiesKept);
    const QStringList names = files().filter("-backup-");
    ASSERT_EQ(names.size(), 2) << qPrintable(files().join(' '));
    const QRegularExpression pattern("^kxplst-backup-(\\d{8}-\\d{6})\\.ene$");
    const QRegularExpressionMatch match = pattern.match(names.at(0));
    ASSERT_TRUE(match.hasMatch()) << qPrintable(names.at(0));
    EXPECT_EQ(names.at(1), QStringLiteral("kxpwfl-backup-%1.ene").arg(match.captured(1))) << "one stamp for both";
    EXPECT_EQ(readFile(names.at(0)), list);
    EXPECT_EQ(readFile(names.at(1)), passwordFile);
    EXPECT_TRUE(outcome.note.contains(names.at(0))) << qPrintable(outcome.note);
    EXPECT_FALSE(exists("kxplst.ene") || exists("kxpwfl.ene"));
    EXPECT_EQ(openWith("new pass"), QList<Listing> {}) << "the earlier list is not read under the new password";
}

TEST_F(StrongSetupTest, AnEmptyListFileHoldsNothingToKeep)
{
    writeFile("kxplst.ene", {});
    const StrongSetup::Outcome outcome = commit("new pass");
    EXPECT_TRUE(outcome.note.isEmpty()) << qPrintable(outcome.note);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));
}

TEST_F(StrongSetupTest, RefusalsWriteNothingAndNameTheFile)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* named;
    };
    const std::vector<Case> cases {
        {"vault already there", [&] { writeFile("kxplst.vault", "not ours"); }, "kxplst.vault"},
        {"read-only list file",
         [&] {
             writeFile("kxplst.ene", CipherBytes(QByteArray(110, 'x'), "old"));
             setWritable("kxplst.ene", false);
         },
         "kxplst.ene"},
        {"read-only folder", [&] { setWritable("", false); }, "kxplst.vault"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        const auto before = snapshot();
        Vault::Session untouched;
        const StrongSetup::Outcome outcome = StrongSetup::commit(folder(), "new pass", &untouched);
        EXPECT_FALSE(outcome.on);
        EXPECT_TRUE(outcome.result.error.contains(c.named)) << qPrintable(outcome.result.error);
        EXPECT_FALSE(untouched.isOpen());
        EXPECT_EQ(snapshot(), before);
        setWritable("", true);
        for (const QString& name : files())
            setWritable(name, true);
        clearFolder();
    }
}

// However the set-up ends, the leftover list is in the vault or still where
// it was, and the earlier pair is where it was or kept as backups.
TEST_F(StrongSetupTest, KilledAfterAnyStepNothingIsLost)
{
    const QByteArray plain = plainRecord("www.site", "ann", "pw1");
    const QByteArray list = CipherBytes(QByteArray(110, 'x'), "old");
    auto check = [&](const FaultInjection::Attempt& run) {
        SCOPED_TRACE(run.step);
        const QStringList names = files();
        if (!exists("kxplst.vault")) {
            EXPECT_EQ(readFile("kxplst.end"), plain);
            EXPECT_EQ(readFile("kxplst.ene"), list);
            return;
        }
        EXPECT_EQ(openWith("new pass"), (QList<Listing> {{"www.site", "ann", "pw1"}}));
        const QStringList kept = names.filter(QRegularExpression("^kxplst(-backup-\\d{8}-\\d{6})?\\.ene$"));
        ASSERT_EQ(kept.size(), 1) << qPrintable(names.join(' '));
        EXPECT_EQ(readFile(kept.at(0)), list);
        if (!run.faulted)
            EXPECT_FALSE(exists("kxplst.end"));
    };
    auto prepare = [&] {
        clearFolder();
        writeFile("kxplst.end", plain);
        writeFile("kxplst.ene", list);
    };
    auto action = [&] {
        Vault::Session fresh;
        StrongSetup::commit(folder(), "new pass", &fresh);
    };
    EXPECT_GT(FaultInjection::failAtEachStep(prepare, action, check), 2);
#ifdef Q_OS_UNIX
    FaultInjection::killAfterEachStep(prepare, action, check);
#endif
}

} // namespace
