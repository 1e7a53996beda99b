#include "core/masterpassword/setupstore.h"
#include "core/storage/filecipher.h"
#include "support/faultinjection.h"
#include "support/tempappdir.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

class SetupStoreTest : public TempAppDirTest {
protected:
    QString commit(const QString& password)
    {
        const SetupStore::Outcome outcome = SetupStore::commit(folder(), password);
        EXPECT_TRUE(outcome.result.ok) << qPrintable(outcome.result.error);
        EXPECT_TRUE(outcome.passwordInForce);
        return outcome.backupPath;
    }
};

TEST_F(SetupStoreTest, FirstRunWritesPaddedPasswordAndEmptyList)
{
    EXPECT_TRUE(commit("abc").isEmpty());
    EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"}));
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
    EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"}));
}

TEST_F(SetupStoreTest, LeftoverPlainListIsAdoptedUnderTheNewPasswordAndThenRemoved)
{
    const QByteArray plain = QByteArray("www.site").leftJustified(75, ' ') + QByteArray(35, ' ');
    writeFile("kxplst.end", plain);
    EXPECT_TRUE(commit("newpass").isEmpty());
    EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"}));
    EXPECT_EQ(readDeciphered("kxplst.ene", "newpass"), plain);
}

TEST_F(SetupStoreTest, AFailedSetUpKeepsTheEarlierListAndWritesNoPassword)
{
    const QByteArray plain = QByteArray("www.site").leftJustified(110, ' ');
    FaultInjection::failAtEachStep(
        [&] {
            clearFolder();
            writeFile("kxplst.end", plain);
        },
        [&] { SetupStore::commit(folder(), "newpass"); },
        [&](const FaultInjection::Attempt& run) {
            if (exists("kxpwfl.ene")) {
                // The change took effect: the plain list is in it.
                EXPECT_TRUE(!run.faulted || run.step > 7) << run.step;
                EXPECT_EQ(readDeciphered(exists("kxplst-pending.ene") ? "kxplst-pending.ene" : "kxplst.ene", "newpass"),
                          plain)
                    << run.step;
            } else {
                // Nothing took effect: the plain list is still there to adopt.
                EXPECT_EQ(files(), QStringList {"kxplst.end"}) << run.step;
            }
        });
}

TEST_F(SetupStoreTest, ReadOnlyFilesRefuseBeforeAnythingIsWritten)
{
    writeFile("kxplst.ene", CipherBytes(QByteArray(110, 'x'), "old"));
    setWritable("kxplst.ene", false);
    const auto before = snapshot();
    const SetupStore::Outcome outcome = SetupStore::commit(folder(), "newpass");
    EXPECT_FALSE(outcome.passwordInForce);
    EXPECT_TRUE(outcome.result.error.contains("kxplst.ene")) << qPrintable(outcome.result.error);
    EXPECT_EQ(snapshot(), before) << "not even a backup";
}

} // namespace
