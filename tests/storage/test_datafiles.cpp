#include "storage/datafiles.h"
#include "storage/module1.h"
#include "support/tempappdir.h"

namespace {

TEST(Module1Paths, AppDirGetsOneSeparatorAndEveryPathFollows)
{
    for (const QString& folder : {QStringLiteral("/opt/vellamar"), QStringLiteral("/opt/vellamar/")}) {
        Module1::SetAppDir(folder);
        EXPECT_EQ(Module1::AppDir, QStringLiteral("/opt/vellamar/"));
        EXPECT_EQ(Module1::ListFilePath, QStringLiteral("/opt/vellamar/kxplst.ene"));
        EXPECT_EQ(Module1::PasswordFilePlainPath, QStringLiteral("/opt/vellamar/kxpwfl.end"));
        EXPECT_EQ(Module1::StartupFilePath, QStringLiteral("/opt/vellamar/kxinit.ene"));
        EXPECT_EQ(Module1::HelpFilePath, QStringLiteral("/opt/vellamar/help.html"));
    }
    Module1::SetAppDir(QStringLiteral("/"));
    EXPECT_EQ(Module1::AppDir, QStringLiteral("/"));
    EXPECT_EQ(Module1::StartupKey, QStringLiteral("hmut58qkze"));
    EXPECT_EQ(Module1::PasswordFileKey, QStringLiteral("sx8peu3"));
}

TEST(FirstRunMarker, IsTkyAtSevenToNineInAnyCase)
{
    const struct {
        const char* record;
        bool firstRun;
    } cases[] = {
        {"VELLA1TKY-V1.0.1-NEWSETUP", true}, {"abcdeftky", true},   {"abcdefTkY", true},
        {"abcdefnty and more", false},       {"abcdeTKYx", false}, {"abcdeTKY", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataFiles::hasFirstRunMarker(QString::fromLatin1(c.record)), c.firstRun) << c.record;
    EXPECT_EQ(DataFiles::withMarkerCleared("VELLA1TKY-V1.0.1-NEWSETUP"), QStringLiteral("VELLA1nty-V1.0.1-NEWSETUP"));
}

class DataFilesTest : public TempAppDirTest {};

TEST_F(DataFilesTest, StoredPasswordReadsTheSameInEveryLayout)
{
    const struct {
        QByteArray plain;
        QString stored;
    } cases[] = {
        {"secret", "secret"},
        {"secret" + QByteArray(19, ' '), "secret"},
        {"   secret  ", "secret"},
        {QByteArray(30, 'p'), QString(25, 'p')},
        {QByteArray("ab\0cd", 5), "ab"},
        {QByteArray(25, ' '), ""},
        {"\tpw\t", "\tpw\t"},
    };
    for (const auto& c : cases) {
        writeCiphered("kxpwfl.ene", c.plain, "sx8peu3");
        QString stored;
        ASSERT_TRUE(DataFiles::readStoredPassword(&stored));
        EXPECT_EQ(stored, c.stored) << c.plain.constData();
        EXPECT_EQ(files(), QStringList{"kxpwfl.ene"});
        EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), c.plain) << "a read leaves the file as it was";
    }
}

TEST_F(DataFilesTest, MissingPasswordFileReadsEmptyAndLeavesAnEmptyFile)
{
    QString stored = "not touched";
    ASSERT_TRUE(DataFiles::readStoredPassword(&stored));
    EXPECT_TRUE(stored.isEmpty());
    EXPECT_EQ(files(), QStringList{"kxpwfl.ene"});
    EXPECT_TRUE(readFile("kxpwfl.ene").isEmpty());
}

TEST_F(DataFilesTest, PasswordFileLayouts)
{
    ASSERT_TRUE(DataFiles::writePasswordFile("abc", DataFiles::PasswordLayout::PaddedTo25));
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("abc") + QByteArray(22, ' '));
    ASSERT_TRUE(DataFiles::writePasswordFile("abc", DataFiles::PasswordLayout::Bare));
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("abc"));
    EXPECT_EQ(files(), QStringList{"kxpwfl.ene"});
}

TEST_F(DataFilesTest, PasswordIsStoredInWindows1252)
{
    ASSERT_TRUE(DataFiles::writePasswordFile(QString::fromUtf16(u"p\u20acss\u00e9"), DataFiles::PasswordLayout::Bare));
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("p\x80ss\xe9"));
    QString stored;
    ASSERT_TRUE(DataFiles::readStoredPassword(&stored));
    EXPECT_EQ(stored, QString::fromUtf16(u"p\u20acss\u00e9"));
}

TEST_F(DataFilesTest, UnstorableCharacterIsRefusedAndNothingIsWritten)
{
    writeCiphered("kxpwfl.ene", "old", "sx8peu3");
    EXPECT_FALSE(DataFiles::writePasswordFile(QString::fromUtf16(u"\u0142"), DataFiles::PasswordLayout::Bare).ok);
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("old"));
    EXPECT_EQ(files(), QStringList{"kxpwfl.ene"});
}

TEST_F(DataFilesTest, StartupRecordShorterThan25ReadsAsItIs)
{
    writeCiphered("kxinit.ene", "short", "hmut58qkze");
    QString record;
    ASSERT_TRUE(DataFiles::readStartupRecord(&record));
    EXPECT_EQ(record, QStringLiteral("short"));
}

} // namespace
