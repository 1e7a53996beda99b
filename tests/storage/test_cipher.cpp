#include "storage/filecipher.h"
#include "storage/module1.h"
#include "support/tempappdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

TEST(CipherBytes, OneCharacterKeyXorsEveryByteWithItsCodePlusOne)
{
    const QByteArray data("\x00\x01\xff hello", 9);
    const QByteArray out = CipherBytes(data, "a");
    ASSERT_EQ(out.size(), data.size());
    for (int i = 0; i < data.size(); ++i)
        EXPECT_EQ(uchar(out[i]), uchar(data[i]) ^ uchar('a' + 1)) << i;
}

TEST(CipherBytes, OperandsCycleThroughKeyPositions)
{
    // Two characters p, q: operands p+1, q+2, p+1, q+2, p+1.
    const QByteArray zeros(5, '\0');
    const QByteArray out = CipherBytes(zeros, "pq");
    const uchar expected[] = {'p' + 1, 'q' + 2, 'p' + 1, 'q' + 2, 'p' + 1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(uchar(out[i]), expected[i]) << i;
}

TEST(CipherBytes, SourceOfKeyLengthUsesEachPositionOnceThenWraps)
{
    const QByteArray key = "hmut58qkze";
    const QByteArray out = CipherBytes(QByteArray(key.size() + 1, '\0'), key);
    for (int i = 0; i < key.size(); ++i)
        EXPECT_EQ(uchar(out[i]), uchar(key[i] + i + 1)) << i;
    EXPECT_EQ(uchar(out[key.size()]), uchar(key[0] + 1));
}

TEST(CipherBytes, OperandWrapsModulo256)
{
    // 0xff at position 1 gives 0x100, that is 0: the byte is unchanged.
    EXPECT_EQ(CipherBytes("A", "\xff"), QByteArray("A"));
    // 0xfe at position 3 gives 0x101, that is 1.
    EXPECT_EQ(uchar(CipherBytes(QByteArray(3, '\0'), "ab\xfe")[2]), 1);
}

TEST(CipherBytes, IsItsOwnInverse)
{
    QByteArray data(50000, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (auto& byte : data)
        byte = char(rng.bounded(256));
    const QByteArray key = "K\xe9y with spaces";
    EXPECT_EQ(CipherBytes(CipherBytes(data, key), key), data);
    EXPECT_NE(CipherBytes(data, key), data);
}

class FileCipherTest : public TempAppDirTest {};

TEST_F(FileCipherTest, EmptySourceGivesEmptyTargetAndIsDeleted)
{
    writeFile("kxplst.ene", {});
    ASSERT_TRUE(Decipher(path("kxplst.ene"), "key"));
    EXPECT_EQ(files(), QStringList{"kxplst.end"});
    EXPECT_TRUE(readFile("kxplst.end").isEmpty());
}

TEST_F(FileCipherTest, DecipherThenEncipherGivesBackTheSameBytes)
{
    const QByteArray ciphered = CipherBytes("some listing bytes \x80\xff", "master");
    writeFile("kxplst.ene", ciphered);
    ASSERT_TRUE(Decipher(path("kxplst.ene"), "master"));
    EXPECT_EQ(files(), QStringList{"kxplst.end"});
    EXPECT_EQ(readFile("kxplst.end"), QByteArray("some listing bytes \x80\xff"));
    ASSERT_TRUE(Encipher(path("kxplst.end"), "master"));
    EXPECT_EQ(files(), QStringList{"kxplst.ene"});
    EXPECT_EQ(readFile("kxplst.ene"), ciphered);
}

TEST_F(FileCipherTest, MissingSourceLeavesAnExistingPlainTwinUntouched)
{
    writeFile("kxplst.end", "left by an interrupted run");
    ASSERT_TRUE(Decipher(path("kxplst.ene"), "key"));
    EXPECT_EQ(files(), QStringList{"kxplst.end"});
    EXPECT_EQ(readFile("kxplst.end"), QByteArray("left by an interrupted run"));
}

TEST_F(FileCipherTest, MissingSourceAndTargetCreatesAnEmptyTarget)
{
    ASSERT_TRUE(Encipher(path("kxpwfl.end"), "key"));
    EXPECT_EQ(files(), QStringList{"kxpwfl.ene"});
    EXPECT_TRUE(readFile("kxpwfl.ene").isEmpty());
}

TEST_F(FileCipherTest, BothFormsPresentKeepsPlainTwinAndBacksUpCipheredFile)
{
    writeFile("kxplst.end", "newer plain");
    writeFile("kxplst.ene", "older ciphered");
    ASSERT_TRUE(Decipher(path("kxplst.ene"), "key"));

    const QStringList names = files();
    ASSERT_EQ(names.size(), 2) << qPrintable(names.join(','));
    EXPECT_EQ(readFile("kxplst.end"), QByteArray("newer plain"));
    const QString backup = names.at(0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^kxplst-backup-\\d{8}-\\d{6}\\.ene$")).match(backup).hasMatch())
        << qPrintable(backup);
    EXPECT_EQ(readFile(backup), QByteArray("older ciphered"));
}

TEST_F(FileCipherTest, BackupNamesNeverOverwriteAFile)
{
    const QDateTime when(QDate(2026, 12, 9), QTime(23, 15, 0));
    const QString first = FreeBackupPath(path("kxplst.ene"), when);
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("kxplst-backup-20261209-231500.ene"));
    writeFile(QFileInfo(first).fileName(), "taken");
    EXPECT_EQ(QFileInfo(FreeBackupPath(path("kxplst.ene"), when)).fileName(),
              QStringLiteral("kxplst-backup-20261209-231501.ene"));
}

TEST_F(FileCipherTest, OnlyTheFileNameExtensionChanges)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("my.app.ene"));
    const QString source = path("my.app.ene/kxinit.ene");
    EXPECT_EQ(PlainTwinPath(source), path("my.app.ene/kxinit.end"));
    EXPECT_EQ(CipheredTwinPath(path("my.app.ene/kxinit.end")), source);

    writeFile("my.app.ene/kxinit.ene", CipherBytes("record", "k"));
    ASSERT_TRUE(Decipher(source, "k"));
    EXPECT_EQ(readFile("my.app.ene/kxinit.end"), QByteArray("record"));
}

TEST_F(FileCipherTest, EmptyKeyRefusesANonEmptyFileAndKeepsIt)
{
    writeFile("kxplst.end", "listing");
    const StorageResult result = Encipher(path("kxplst.end"), QString());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("key is empty")) << qPrintable(result.error);
    EXPECT_EQ(files(), QStringList{"kxplst.end"});
}

TEST_F(FileCipherTest, TargetsAreReadableByTheirOwnerOnly)
{
    writeFile("kxpwfl.end", "secret");
    ASSERT_TRUE(Encipher(path("kxpwfl.end"), "k"));
    EXPECT_EQ(QFile::permissions(path("kxpwfl.ene")) & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser);
}

TEST_F(FileCipherTest, FilesBeyondSixteenBitPositionsAreProcessed)
{
    QByteArray big(1'000'000, 'x');
    writeFile("kxplst.end", big);
    ASSERT_TRUE(Encipher(path("kxplst.end"), "longer key"));
    ASSERT_TRUE(Decipher(path("kxplst.ene"), "longer key"));
    EXPECT_EQ(readFile("kxplst.end"), big);
}

} // namespace
