#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/startup.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

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
              (QStringList{"write kxinit.ene", "rename kxinit.ene", "sync " + dir.path()}));
    EXPECT_EQ(files(), QStringList{"kxinit.ene"});
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
    EXPECT_EQ(files(), QStringList{"kxpwfl.ene"});
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
    EXPECT_EQ(files(), (QStringList{"kxinit.ene", "kxplst-pending.ene", "kxpwfl.ene"}));
}

} // namespace
