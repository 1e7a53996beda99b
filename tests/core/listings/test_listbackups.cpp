#include "core/listings/listbackups.h"
#include "core/listings/vaultlist.h"
#include "core/storage/module1.h"
#include "support/listrecords.h"
#include "support/tempappdir.h"

#include <QDir>
#include <QFileInfo>

namespace {

class ListBackupsTest : public TempAppDirTest {
protected:
    // A session sealed with the cheapest parameters, as tests may.
    static Vault::Session sessionFor(const QByteArray& password)
    {
        Vault::Session session;
        session.params = Vault::minimumParams();
        session.salt = Vault::newSalt();
        session.key = std::move(*Vault::deriveKey(password, session.params, session.salt));
        return session;
    }

    void writeVault(const QString& name, const QList<Listing>& listings, const QByteArray& password) const
    {
        QByteArray file;
        ASSERT_TRUE(VaultList::seal(listings, sessionFor(password), &file));
        writeFile(name, file);
    }

    ListBackups::Backup only() const
    {
        const QList<ListBackups::Backup> found = ListBackups::find(folder());
        EXPECT_EQ(found.size(), 1);
        return found.value(0);
    }

    const QByteArray two = record("www.a.com", "ann", "pw1") + record("prog", "bob", "pw2");
    const QList<Listing> twoListings = ListFile::parse(two);
};

TEST(ListBackupNames, OnlyExactNamesAreBackups)
{
    const struct {
        const char* name;
        bool isBackup;
        ListBackups::Kind kind;
    } cases[] = {
        {"kxplst-backup-20260102-030405.ene", true, ListBackups::Kind::Described},
        {"kxplst-backup-20260102-030405.vault", true, ListBackups::Kind::Vault},
        {"kxplst-backup-20241231-235959.ene", true, ListBackups::Kind::Described},
        {"kxpwfl-backup-20260102-030405.ene", false, {}},
        {"kxinit-backup-20260102-030405.ene", false, {}},
        {"kxplst-backup-20260102-030405.end", false, {}},
        {"kxplst-backup-20260102-030405.ene.tmp", false, {}},
        {"kxplst-backup-20260102-030405.vault~", false, {}},
        {"KXPLST-backup-20260102-030405.ene", false, {}},
        {"kxplst-backup-2026012-030405.ene", false, {}},
        {"kxplst-backup-20260102-0304056.ene", false, {}},
        {"kxplst-backup-20261302-030405.ene", false, {}},
        {"kxplst-backup-20260102-250405.ene", false, {}},
        {"kxplst-backup-20260102_030405.ene", false, {}},
        {" kxplst-backup-20260102-030405.ene", false, {}},
        {"kxplst-pending.ene", false, {}},
        {"kxplst.ene", false, {}},
        {"kxplst.vault", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parts = ListBackups::parseName(QString::fromLatin1(c.name));
        ASSERT_EQ(parts.has_value(), c.isBackup);
        if (!parts)
            continue;
        EXPECT_EQ(parts->kind, c.kind);
        EXPECT_EQ(parts->when.toString("yyyyMMdd-HHmmss"), QString::fromLatin1(c.name).mid(14, 15));
    }
}

TEST_F(ListBackupsTest, FindsTheBackupsNewestFirst)
{
    writeFile("kxplst-backup-20250101-100000.ene", "12345");
    writeFile("kxpwfl-backup-20250101-100000.ene", "x");
    writeFile("kxplst-backup-20260101-100000.vault", "1234567");
    writeFile("kxplst-backup-20240101-100000.ene", "1");
    writeFile("kxpwfl-backup-20240101-100001.ene", "not the same moment");
    // Not backups, or not files.
    writeFile("kxpwfl-backup-20270101-100000.ene", "x");
    writeFile("kxplst-backup-20270101-100000.ene.tmp", "x");
    writeFile("kxplst.ene", "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir("kxplst-backup-20280101-100000.ene"));
    ASSERT_TRUE(QFile::link(path("gone"), path("kxplst-backup-20290101-100000.ene")));

    const QList<ListBackups::Backup> found = ListBackups::find(folder());
    QStringList seen;
    for (const auto& backup : found)
        seen.append(QStringLiteral("%1 %2 %3 %4")
                        .arg(QFileInfo(backup.path).fileName())
                        .arg(backup.kind == ListBackups::Kind::Vault ? "vault" : "described")
                        .arg(backup.size)
                        .arg(QFileInfo(backup.passwordPath).fileName()));
    EXPECT_EQ(seen, (QStringList {"kxplst-backup-20260101-100000.vault vault 7 ",
                                  "kxplst-backup-20250101-100000.ene described 5 kxpwfl-backup-20250101-100000.ene",
                                  "kxplst-backup-20240101-100000.ene described 1 "}));
}

TEST_F(ListBackupsTest, ADescribedBackupOpensWithThePasswordKeptBesideIt)
{
    writeCiphered("kxplst-backup-20250101-100000.ene", two, "Old1");
    writeCiphered("kxpwfl-backup-20250101-100000.ene", QByteArray("Old1").leftJustified(25, ' '), "sx8peu3");
    const ListBackups::Contents contents = ListBackups::readWithKeptPassword(only());
    EXPECT_EQ(contents.status, ListBackups::Status::Opened);
    EXPECT_EQ(contents.listings, twoListings);
}

TEST_F(ListBackupsTest, ADescribedBackupUnderTypedPasswords)
{
    writeCiphered("kxplst-backup-20250101-100000.ene", two, "Old1");
    // A kept password file of another list does not open this one.
    writeCiphered("kxpwfl-backup-20250101-100000.ene", "Zebra9", "sx8peu3");
    const ListBackups::Backup backup = only();
    EXPECT_EQ(ListBackups::readWithKeptPassword(backup).status, ListBackups::Status::WrongPassword);
    // Clearly other passwords only: the format cannot tell a near miss
    // ("old1"), which deciphers to other printable characters.
    const struct {
        const char* typed;
        ListBackups::Status status;
    } cases[] = {
        {"Old1", ListBackups::Status::Opened},          {" Old1 ", ListBackups::Status::Opened},
        {"Zebra9", ListBackups::Status::WrongPassword}, {"Mk1", ListBackups::Status::WrongPassword},
        {"", ListBackups::Status::WrongPassword},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const ListBackups::Contents contents = ListBackups::read(backup, QString::fromLatin1(c.typed));
        EXPECT_EQ(contents.status, c.status);
        EXPECT_EQ(contents.listings, c.status == ListBackups::Status::Opened ? twoListings : QList<Listing> {});
    }
}

TEST_F(ListBackupsTest, AVaultBackupUnderTypedPasswords)
{
    writeVault("kxplst-backup-20250101-100000.vault", twoListings, "Old1");
    const ListBackups::Backup backup = only();
    EXPECT_EQ(ListBackups::readWithKeptPassword(backup).status, ListBackups::Status::WrongPassword);
    ListBackups::Contents contents = ListBackups::read(backup, "Old1");
    EXPECT_EQ(contents.status, ListBackups::Status::Opened);
    EXPECT_EQ(contents.listings, twoListings);
    EXPECT_EQ(ListBackups::read(backup, "Old2").status, ListBackups::Status::WrongPassword);
    EXPECT_EQ(ListBackups::read(backup, "old1").status, ListBackups::Status::WrongPassword);
    EXPECT_EQ(ListBackups::read(backup, " Old1 ").status, ListBackups::Status::Opened)
        << "spaces at the ends are no part";

    writeFile("kxplst-backup-20250101-100000.vault", "hello");
    contents = ListBackups::read(only(), "Old1");
    EXPECT_EQ(contents.status, ListBackups::Status::Damaged);
    EXPECT_FALSE(contents.reason.isEmpty());
}

TEST_F(ListBackupsTest, LooksDecipheredOnlyWithoutControlCharacters)
{
    EXPECT_TRUE(ListBackups::looksDeciphered(two));
    EXPECT_TRUE(ListBackups::looksDeciphered({}));
    QByteArray withNul = two;
    withNul[10] = '\0';
    EXPECT_TRUE(ListBackups::looksDeciphered(withNul)) << "a NUL ends a field";
    EXPECT_TRUE(ListBackups::looksDeciphered(two + "\x01\x02")) << "a tail is no listing";
    for (const char odd : {'\x01', '\x1f', '\x7f', '\t', '\n'}) {
        QByteArray bad = two;
        bad[200] = odd;
        EXPECT_FALSE(ListBackups::looksDeciphered(bad)) << int(odd);
    }
}

TEST_F(ListBackupsTest, KeepsTheOpenListInTheFormatInForce)
{
    const QDateTime when = QDateTime::fromString("20250101-100000", "yyyyMMdd-HHmmss");
    // That moment is taken by one name of the set: the next second is free.
    writeFile("kxplst-backup-20250101-100000.vault", "taken");
    writeCiphered("kxpwfl.ene", QByteArray("Now1").leftJustified(25, ' '), "sx8peu3");
    const QByteArray passwordFile = readFile("kxpwfl.ene");

    ListBackups::Kept kept = ListBackups::keep(folder(), twoListings, u"Now1", Vault::Session {}, when);
    ASSERT_TRUE(kept.result) << qPrintable(kept.result.error);
    EXPECT_EQ(QFileInfo(kept.path).fileName(), "kxplst-backup-20250101-100001.ene");
    EXPECT_EQ(QFileInfo(kept.passwordPath).fileName(), "kxpwfl-backup-20250101-100001.ene");
    EXPECT_EQ(readFile("kxpwfl-backup-20250101-100001.ene"), passwordFile);
    EXPECT_EQ(readDeciphered("kxplst-backup-20250101-100001.ene", "Now1"), two);
    // Found again, it opens with no question.
    const auto found = ListBackups::find(folder());
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(ListBackups::readWithKeptPassword(found[0]).listings, twoListings);

    const Vault::Session session = sessionFor("Strong1");
    kept = ListBackups::keep(folder(), twoListings, {}, session, when);
    ASSERT_TRUE(kept.result) << qPrintable(kept.result.error);
    EXPECT_EQ(QFileInfo(kept.path).fileName(), "kxplst-backup-20250101-100002.vault");
    EXPECT_TRUE(kept.passwordPath.isEmpty());
    const auto again = ListBackups::find(folder());
    ASSERT_EQ(again.size(), 3);
    EXPECT_EQ(again[0].path, kept.path);
    EXPECT_EQ(ListBackups::read(again[0], "Strong1").listings, twoListings);
}

TEST_F(ListBackupsTest, NothingIsKeptInAReadOnlyFolder)
{
    writeCiphered("kxpwfl.ene", "Now1", "sx8peu3");
    const auto before = snapshot();
    setWritable({}, false);
    const ListBackups::Kept kept =
        ListBackups::keep(folder(), twoListings, u"Now1", Vault::Session {}, QDateTime::currentDateTime());
    setWritable({}, true);
    EXPECT_FALSE(kept.result);
    EXPECT_TRUE(kept.path.isEmpty());
    EXPECT_EQ(snapshot(), before);
}

} // namespace
