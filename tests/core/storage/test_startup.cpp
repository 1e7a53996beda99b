#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/startup.h"
#include "core/storage/vault.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <functional>

namespace {

class StartupTest : public TempAppDirTest {
protected:
    Startup::Path decide()
    {
        Startup::Path path = Startup::Path::Unlock;
        const StorageResult result = Startup::decide(folder(), &path);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
        return path;
    }
    void storePassword(const QByteArray& plain) { writeCiphered("kxpwfl.ene", plain, "sx8peu3"); }
};

TEST_F(StartupTest, FreshInstallationTakesTheFirstRunPathOnce)
{
    writeCiphered("kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze");
    EXPECT_EQ(FaultInjection::stepsOf([&] { EXPECT_EQ(decide(), Startup::Path::FirstRun); }),
              (QStringList {"write kxinit.ene", "rename kxinit.ene", "sync " + dir.path()}));
    EXPECT_EQ(files(), QStringList {"kxinit.ene"});
    EXPECT_EQ(readDeciphered("kxinit.ene", "hmut58qkze"), QByteArray("VELLA1nty-V1.0.1-NEWSETUP"));

    // Set-up was never finished: no password is stored, so set up again.
    EXPECT_EQ(decide(), Startup::Path::NoPassword);

    storePassword("abc" + QByteArray(22, ' '));
    EXPECT_EQ(decide(), Startup::Path::Unlock);
    EXPECT_EQ(readDeciphered("kxinit.ene", "hmut58qkze"), QByteArray("VELLA1nty-V1.0.1-NEWSETUP"));
}

TEST_F(StartupTest, LaterStartsOnlyRead)
{
    writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
    storePassword("abc");
    writeCiphered("kxplst.ene", QByteArray(110, 'x'), "abc");
    const auto before = snapshot();
    EXPECT_TRUE(FaultInjection::stepsOf([&] {
                    Startup::prepareFolder(folder());
                    EXPECT_EQ(decide(), Startup::Path::Unlock);
                }).isEmpty());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(StartupTest, MarkerInAnyCaseIsAFirstRunAndOnlyItChanges)
{
    writeCiphered("kxinit.ene", "\x80recortKy:rest", "hmut58qkze");
    EXPECT_EQ(decide(), Startup::Path::FirstRun);
    EXPECT_EQ(readDeciphered("kxinit.ene", "hmut58qkze"), QByteArray("\x80recornty:rest"));
}

TEST_F(StartupTest, RecordIsCutAtNulBeforeItIsWrittenBack)
{
    writeCiphered("kxinit.ene", QByteArray("abcdefTKYgh\0junk", 16), "hmut58qkze");
    EXPECT_EQ(decide(), Startup::Path::FirstRun);
    EXPECT_EQ(readDeciphered("kxinit.ene", "hmut58qkze"), QByteArray("abcdefntygh"));
}

TEST_F(StartupTest, MissingRecordIsNoFirstRunAndIsNotCreated)
{
    storePassword("abc");
    EXPECT_EQ(decide(), Startup::Path::Unlock);
    EXPECT_EQ(files(), QStringList {"kxpwfl.ene"});
}

TEST_F(StartupTest, BlankStoredPasswordNeverLeadsToUnlock)
{
    writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
    storePassword(QByteArray(25, ' '));
    EXPECT_EQ(decide(), Startup::Path::NoPassword);
    writeFile("kxpwfl.ene", {});
    EXPECT_EQ(decide(), Startup::Path::NoPassword);
}

TEST_F(StartupTest, LeftoverPlainFilesOfAnEarlierVersionAreTakenOverFirst)
{
    writeFile("kxinit.end", "VELLA1TKY-V1.0.1-NEWSETUP");
    writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-OLDER", "hmut58qkze");
    writeFile("kxpwfl.end", "plainpw");
    Startup::prepareFolder(folder());
    EXPECT_FALSE(exists("kxinit.end"));
    EXPECT_FALSE(exists("kxpwfl.end"));
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("plainpw"));
    EXPECT_EQ(files().size(), 3) << "the older start-up record is kept as a backup";
    EXPECT_EQ(decide(), Startup::Path::FirstRun);
}

TEST_F(StartupTest, ReadOnlyFolderStillDecides)
{
    writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
    storePassword("abc");
    writeCiphered("kxplst-pending.ene", QByteArray(110, 'n'), "abc");
    setWritable({}, false);
    Startup::prepareFolder(folder());
    EXPECT_EQ(decide(), Startup::Path::Unlock);
    setWritable({}, true);
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst-pending.ene", "kxpwfl.ene"}));
}

// What lies at the vault's place is told apart without any password, so
// that only a vault that may open is ever tried, and no other never leads
// to set-up.
TEST_F(StartupTest, WhatLiesAtTheVaultsPlaceIsToldApartWithoutAPassword)
{
    const Vault::Salt salt = Vault::newSalt();
    auto key = Vault::deriveKey("pw", Vault::minimumParams(), salt);
    ASSERT_TRUE(key.has_value());
    const QByteArray sealed = Vault::seal(QByteArray(220, 'r'), *key, Vault::minimumParams(), salt);
    QByteArray otherVersion = sealed;
    otherVersion[14] = 3; // 1 and 2 are known
    QByteArray hugeParams = sealed;
    qToLittleEndian<quint64>(quint64(1) << 40, reinterpret_cast<uchar*>(hugeParams.data()) + 23);
    using S = Startup::VaultState;
    const struct {
        const char* name;
        std::function<void()> make;
        S state;
        const char* why;
    } cases[] = {
        {"nothing", [] {}, S::Absent, ""},
        {"sealed", [&] { writeFile("kxplst.vault", sealed); }, S::Sealed, ""},
        {"empty", [&] { writeFile("kxplst.vault", {}); }, S::Unreadable, "not a sealed list"},
        {"foreign", [&] { writeFile("kxplst.vault", "hello"); }, S::Unreadable, "not a sealed list"},
        {"a folder", [&] { QDir(dir.path()).mkdir("kxplst.vault"); }, S::Unreadable, "folder"},
        {"a link into a missing folder", [&] { QFile::link("/nonexistent-drive/v", path("kxplst.vault")); },
         S::Unreadable, "not there"},
        {"a link loop", [&] { QFile::link("kxplst.vault", path("kxplst.vault")); }, S::Unreadable, "loop"},
        {"the header alone", [&] { writeFile("kxplst.vault", sealed.first(Vault::kHeaderSize)); }, S::Damaged, "short"},
        {"another version", [&] { writeFile("kxplst.vault", otherVersion); }, S::Damaged, "version"},
        {"settings out of range", [&] { writeFile("kxplst.vault", hugeParams); }, S::Damaged, "range"},
        {"cut short", [&] { writeFile("kxplst.vault", sealed.chopped(1)); }, S::Damaged, "length"},
        {"extended", [&] { writeFile("kxplst.vault", sealed + "x"); }, S::Damaged, "length"},
    };
    for (const auto& c : cases) {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        c.make();
        restartFolder();
        const Startup::VaultFound found = Startup::inspectVault(folder());
        EXPECT_EQ(found.state, c.state) << c.name;
        EXPECT_TRUE(found.why.contains(QLatin1String(c.why))) << c.name << ": " << qPrintable(found.why);

        // Alone, only a vault that may open goes to unlock; anything else is
        // named and nothing is written, never a set-up.
        writeCiphered("kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze");
        const auto before = snapshot();
        Startup::Path path = Startup::Path::FirstRun;
        const StorageResult decided = Startup::decide(folder(), &path);
        if (c.state == S::Absent) {
            EXPECT_EQ(path, Startup::Path::FirstRun) << c.name;
            continue;
        }
        EXPECT_EQ(snapshot(), before) << c.name;
        EXPECT_EQ(decided.ok, c.state == S::Sealed) << c.name;
        if (decided.ok)
            EXPECT_EQ(path, Startup::Path::Unlock) << c.name;
        else
            EXPECT_TRUE(decided.error.contains("kxplst.vault") && decided.error.contains("Nothing was changed"))
                << c.name << ": " << qPrintable(decided.error);

        // Beside a described pair, the pair is unlocked.
        storePassword("abc");
        writeCiphered("kxplst.ene", QByteArray(110, 'l'), "abc");
        path = Startup::Path::FirstRun;
        EXPECT_TRUE(Startup::decide(folder(), &path).ok) << c.name;
        EXPECT_EQ(path, Startup::Path::Unlock) << c.name;
    }
}

} // namespace
