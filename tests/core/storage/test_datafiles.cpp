#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/module1.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

TEST(DataFolderPaths, AppDirGetsOneSeparatorAndEveryPathFollows)
{
    for (const QString& folder : {QStringLiteral("/opt/vellamar"), QStringLiteral("/opt/vellamar/")}) {
        const DataFolder data(folder);
        EXPECT_EQ(data.appDir, QStringLiteral("/opt/vellamar/"));
        EXPECT_EQ(data.list.path, QStringLiteral("/opt/vellamar/kxplst.ene"));
        EXPECT_EQ(data.list.pendingPath(), QStringLiteral("/opt/vellamar/kxplst-pending.ene"));
        EXPECT_EQ(data.password.leftoverPlainPath, QStringLiteral("/opt/vellamar/kxpwfl.end"));
        EXPECT_EQ(data.startup.path, QStringLiteral("/opt/vellamar/kxinit.ene"));
        EXPECT_EQ(data.helpFilePath, QStringLiteral("/opt/vellamar/help.html"));
        EXPECT_EQ(data.lockFilePath, QStringLiteral("/opt/vellamar/vellamar.lock"));
    }
    EXPECT_EQ(DataFolder(QStringLiteral("/")).appDir, QStringLiteral("/"));
    EXPECT_EQ(DataFolder(QStringLiteral("/")).startupKey, QByteArray("hmut58qkze"));
    EXPECT_EQ(DataFolder(QStringLiteral("/")).passwordFileKey, QByteArray("sx8peu3"));
}

TEST(FirstRunMarker, IsTkyAtSevenToNineInAnyCase)
{
    const struct {
        const char* record;
        bool firstRun;
    } cases[] = {
        {"VELLA1TKY-V1.0.1-NEWSETUP", true},
        {"abcdeftky", true},
        {"abcdefTkY", true},
        {"abcdefnty and more", false},
        {"abcdeTKYx", false},
        {"abcdeTKY", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataFiles::hasFirstRunMarker(QString::fromLatin1(c.record)), c.firstRun) << c.record;
    EXPECT_EQ(DataFiles::withMarkerCleared("VELLA1TKY-V1.0.1-NEWSETUP"), QStringLiteral("VELLA1nty-V1.0.1-NEWSETUP"));
}

class DataFilesTest : public TempAppDirTest {
protected:
    QString storedPassword()
    {
        QString stored = "not read";
        const StorageResult result = DataFiles::readStoredPassword(folder(), &stored);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
        return stored;
    }
};

TEST_F(DataFilesTest, StoredPasswordReadsTheSameInEveryLayoutAndOnlyReads)
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
    };
    for (const auto& c : cases) {
        writeCiphered("kxpwfl.ene", c.plain, "sx8peu3");
        const auto before = snapshot();
        QString stored;
        EXPECT_TRUE(FaultInjection::stepsOf([&] { stored = storedPassword(); }).isEmpty());
        EXPECT_EQ(stored, c.stored) << c.plain.constData();
        EXPECT_EQ(snapshot(), before) << "a read leaves the folder as it was";
    }
}

// No password the program stores holds a control character: such a file
// is reported as damaged, naming it, not read as a password nobody can type.
TEST_F(DataFilesTest, AStoredPasswordWithAControlCharacterIsDamage)
{
    for (const QByteArray& plain : {QByteArray("\tpw\t"), QByteArray("pw\x01"), QByteArray("p\nw   ")}) {
        writeCiphered("kxpwfl.ene", plain, "sx8peu3");
        QString stored = "not read";
        const StorageResult result = DataFiles::readStoredPassword(folder(), &stored);
        EXPECT_FALSE(result.ok) << plain.constData();
        EXPECT_TRUE(result.error.contains("kxpwfl.ene") && result.error.contains("damaged"))
            << qPrintable(result.error);
        EXPECT_EQ(stored, "not read");
    }
    // A NUL keeps its meaning: the end of the password.
    writeCiphered("kxpwfl.ene", QByteArray("pw\0\x01", 4), "sx8peu3");
    EXPECT_EQ(storedPassword(), "pw");
}

TEST_F(DataFilesTest, MissingPasswordFileReadsEmptyAndWritesNothing)
{
    EXPECT_TRUE(storedPassword().isEmpty());
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(DataFilesTest, PasswordFileLayouts)
{
    const struct {
        QString password;
        DataFiles::PasswordLayout layout;
        QByteArray plain;
    } cases[] = {
        {"abc", DataFiles::PasswordLayout::PaddedTo25, "abc" + QByteArray(22, ' ')},
        {"abc", DataFiles::PasswordLayout::Bare, "abc"},
        {QString::fromUtf16(u"p\u20acss\u00e9"), DataFiles::PasswordLayout::Bare, "p\x80ss\xe9"},
    };
    for (const auto& c : cases) {
        SecretBytes plain;
        ASSERT_TRUE(DataFiles::passwordFileBytes(c.password, c.layout, &plain));
        EXPECT_EQ(plain.bytes(), c.plain);
        writeCiphered("kxpwfl.ene", plain.bytes(), "sx8peu3");
        EXPECT_EQ(storedPassword(), c.password);
    }
    SecretBytes plain;
    const StorageResult refused =
        DataFiles::passwordFileBytes(QString::fromUtf16(u"\u0142"), DataFiles::PasswordLayout::Bare, &plain);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.error.contains(QString::fromUtf16(u"\u0142"))) << qPrintable(refused.error);
}

TEST_F(DataFilesTest, StartupRecordShorterThan25ReadsAsItIs)
{
    writeCiphered("kxinit.ene", "short", "hmut58qkze");
    QString record;
    ASSERT_TRUE(DataFiles::readStartupRecord(folder(), &record));
    EXPECT_EQ(record, QStringLiteral("short"));
}

TEST_F(DataFilesTest, SymbolicLinksAreFollowedAndStayLinks)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("elsewhere"));
    writeCiphered("elsewhere/pw.bin", "linked", "sx8peu3");
    ASSERT_TRUE(QFile::link("elsewhere/pw.bin", path("kxpwfl.ene")));
    ASSERT_TRUE(QFile::link(path("elsewhere/list.bin"), path("kxplst.ene"))); // dangling for now
    restartFolder();
    EXPECT_EQ(folder().password.path, path("elsewhere/pw.bin"));
    EXPECT_EQ(folder().password.pendingPath(), path("elsewhere/kxpwfl-pending.ene"));
    EXPECT_EQ(folder().list.path, path("elsewhere/list.bin"));
    EXPECT_EQ(storedPassword(), QStringLiteral("linked"));

    ASSERT_TRUE(DataFiles::writePlain(folder().password, "relinked", "sx8peu3"));
    EXPECT_TRUE(QFileInfo(path("kxpwfl.ene")).isSymLink());
    EXPECT_EQ(readDeciphered("elsewhere/pw.bin", "sx8peu3"), QByteArray("relinked"));
}

// A plain file an earlier version left is taken over: it wins, its ciphered
// twin is kept as a backup, and the plain file goes only after the content
// is ciphered in place.
TEST_F(DataFilesTest, LeftoverPlainFilesAreTakenOver)
{
    const QRegularExpression backupName("^(kxinit|kxpwfl|kxplst)-backup-\\d{8}-\\d{6}\\.ene$");
    for (const QString& name : {QStringLiteral("kxinit"), QStringLiteral("kxpwfl"), QStringLiteral("kxplst")}) {
        for (const bool withCipheredTwin : {false, true}) {
            clearFolder();
            const DataFile& file = name == "kxinit"   ? folder().startup
                                   : name == "kxpwfl" ? folder().password
                                                      : folder().list;
            writeFile(name + ".end", "plain and newest");
            if (withCipheredTwin)
                writeCiphered(name + ".ene", "older", "key");
            QString backup;
            ASSERT_TRUE(DataFiles::adoptLeftoverPlain(file, "key", &backup));
            EXPECT_EQ(readDeciphered(name + ".ene", "key"), QByteArray("plain and newest"));
            EXPECT_FALSE(exists(name + ".end"));
            const QStringList names = files();
            EXPECT_EQ(names.size(), withCipheredTwin ? 2 : 1) << qPrintable(names.join(' '));
            if (withCipheredTwin) {
                ASSERT_TRUE(backupName.match(QFileInfo(backup).fileName()).hasMatch()) << qPrintable(backup);
                EXPECT_EQ(readDeciphered(QFileInfo(backup).fileName(), "key"), QByteArray("older"));
            } else {
                EXPECT_TRUE(backup.isEmpty());
            }
        }
    }
}

TEST_F(DataFilesTest, LeftoverPlainFileInAReadOnlyFolderIsReadWhereItIs)
{
    writeFile("kxpwfl.end", "plainpw");
    writeCiphered("kxpwfl.ene", "older", "sx8peu3");
    setWritable({}, false);
    EXPECT_FALSE(DataFiles::adoptLeftoverPlain(folder().password, "sx8peu3").ok);
    EXPECT_EQ(storedPassword(), QStringLiteral("plainpw"));
    setWritable({}, true);
    EXPECT_EQ(files(), (QStringList {"kxpwfl.end", "kxpwfl.ene"}));
}

TEST_F(DataFilesTest, AFolderNamedLikeAPlainFileIsNoPlainFile)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("kxpwfl.end"));
    writeCiphered("kxpwfl.ene", "pw", "sx8peu3");
    ASSERT_TRUE(DataFiles::adoptLeftoverPlain(folder().password, "sx8peu3"));
    EXPECT_EQ(storedPassword(), QStringLiteral("pw"));
}

} // namespace
