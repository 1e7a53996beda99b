#include "masterpassword/setupstore.h"
#include "storage/filecipher.h"
#include "support/tempappdir.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

class SetupStoreTest : public TempAppDirTest {
protected:
    QString commit(const QString& password)
    {
        QString backup;
        const StorageResult result = SetupStore::commit(password, &backup);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
        return backup;
    }
};

TEST_F(SetupStoreTest, FirstRunWritesPaddedPasswordAndEmptyList)
{
    EXPECT_TRUE(commit("abc").isEmpty());
    EXPECT_EQ(files(), (QStringList{"kxplst.ene", "kxpwfl.ene"}));
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("abc") + QByteArray(22, ' '));
    EXPECT_TRUE(readFile("kxplst.ene").isEmpty());
}

TEST_F(SetupStoreTest, EarlierListIsBackedUpByteForByteAndNotReadUnderTheNewKey)
{
    const QByteArray old = CipherBytes(QByteArray(220, 'x'), "oldkey");
    writeFile("kxplst.ene", old);
    const QString backup = commit("newpass");
    ASSERT_FALSE(backup.isEmpty());
    const QString name = QFileInfo(backup).fileName();
    EXPECT_TRUE(QRegularExpression("^kxplst-backup-\\d{8}-\\d{6}\\.ene$").match(name).hasMatch()) << qPrintable(name);
    EXPECT_EQ(readFile(name), old);
    EXPECT_TRUE(readFile("kxplst.ene").isEmpty());
}

TEST_F(SetupStoreTest, EmptyEarlierListNeedsNoBackup)
{
    writeFile("kxplst.ene", {});
    EXPECT_TRUE(commit("newpass").isEmpty());
    EXPECT_EQ(files(), (QStringList{"kxplst.ene", "kxpwfl.ene"}));
}

TEST_F(SetupStoreTest, LeftoverPlainListIsAdoptedUnderTheNewPassword)
{
    const QByteArray plain = QByteArray("www.site").leftJustified(75, ' ') + QByteArray(35, ' ');
    writeFile("kxplst.end", plain);
    EXPECT_TRUE(commit("newpass").isEmpty());
    EXPECT_EQ(files(), (QStringList{"kxplst.ene", "kxpwfl.ene"}));
    EXPECT_EQ(readDeciphered("kxplst.ene", "newpass"), plain);
}

} // namespace
