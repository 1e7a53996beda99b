#include "storage/datafiles.h"
#include "storage/startup.h"
#include "support/tempappdir.h"

namespace {

class StartupTest : public TempAppDirTest {
protected:
    Startup::Path decide()
    {
        Startup::Path path = Startup::Path::Unlock;
        const StorageResult result = Startup::decide(&path);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
        return path;
    }
};

TEST_F(StartupTest, FreshInstallationTakesTheFirstRunPathOnce)
{
    writeCiphered("kxinit.ene", "VELLA1TKY-V1.0.1-NEWSETUP", "hmut58qkze");
    EXPECT_EQ(decide(), Startup::Path::FirstRun);
    EXPECT_EQ(files(), QStringList{"kxinit.ene"});
    EXPECT_EQ(readDeciphered("kxinit.ene", "hmut58qkze"), QByteArray("VELLA1nty-V1.0.1-NEWSETUP"));

    // Set-up was never finished: no password is stored, so set up again.
    EXPECT_EQ(decide(), Startup::Path::NoPassword);

    ASSERT_TRUE(DataFiles::writePasswordFile("abc", DataFiles::PasswordLayout::PaddedTo25));
    EXPECT_EQ(decide(), Startup::Path::Unlock);
    EXPECT_EQ(readDeciphered("kxinit.ene", "hmut58qkze"), QByteArray("VELLA1nty-V1.0.1-NEWSETUP"));
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

TEST_F(StartupTest, MissingRecordIsNoFirstRun)
{
    ASSERT_TRUE(DataFiles::writePasswordFile("abc", DataFiles::PasswordLayout::PaddedTo25));
    EXPECT_EQ(decide(), Startup::Path::Unlock);
    EXPECT_TRUE(exists("kxinit.ene"));
    EXPECT_TRUE(readFile("kxinit.ene").isEmpty());
    EXPECT_FALSE(exists("kxinit.end"));
}

TEST_F(StartupTest, BlankStoredPasswordNeverLeadsToUnlock)
{
    writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
    writeCiphered("kxpwfl.ene", QByteArray(25, ' '), "sx8peu3");
    EXPECT_EQ(decide(), Startup::Path::NoPassword);
    writeFile("kxpwfl.ene", {});
    EXPECT_EQ(decide(), Startup::Path::NoPassword);
}

} // namespace
