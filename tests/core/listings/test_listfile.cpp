#include "core/listings/listfile.h"
#include "core/storage/filecipher.h"
#include "core/storage/safewrite.h"

#include <QFileInfo>
#include "support/faultinjection.h"
#include "support/listrecords.h"
#include "support/tempappdir.h"

namespace {

TEST(ListFormat, EmptyFileIsAnEmptyList)
{
    EXPECT_TRUE(ListFile::parse({}).isEmpty());
    SecretBytes plain = SecretBytes::adopt(QByteArray("not empty"));
    ASSERT_TRUE(ListFile::serialize({}, &plain));
    EXPECT_TRUE(plain.isEmpty());
}

TEST(ListFormat, OnlyWholeRecordsAreListings)
{
    const QByteArray plain = record("a", "b", "c") + record("d", "e", "f") + QByteArray(30, 'z');
    const QList<Listing> listings = ListFile::parse(plain);
    ASSERT_EQ(listings.size(), 2);
    EXPECT_EQ(listings[1].site, QString("d").leftJustified(75));
    SecretBytes saved;
    ASSERT_TRUE(ListFile::serialize(listings, &saved));
    EXPECT_EQ(saved.bytes(), plain.left(220));
}

// How values become records, and back.
TEST(ListFormat, RecordSerialisations)
{
    const struct {
        Listing listing;
        QByteArray record;
    } cases[] = {
        {{"www.x.com", "me", "pass5"}, record("www.x.com", "me", "pass5")},
        // Long values are cut to their fields.
        {{QString(80, 's'), QString(25, 'u'), QString(16, 'p')},
         QByteArray(75, 's') + QByteArray(20, 'u') + QByteArray(15, 'p')},
        // An empty listing is kept, as spaces.
        {{"", "", ""}, QByteArray(110, ' ')},
        // Windows-1252 on every platform.
        {{QString::fromUtf16(u"caf\u00e9 \u20ac"), "\tuser", "pw"}, record("caf\xe9 \x80", "\tuser", "pw")},
    };
    for (const auto& c : cases) {
        SecretBytes plain;
        ASSERT_TRUE(ListFile::serialize({c.listing}, &plain));
        EXPECT_EQ(plain.bytes(), c.record) << qPrintable(c.listing.site);
        const QList<Listing> reloaded = ListFile::parse(plain.bytes());
        ASSERT_EQ(reloaded.size(), 1);
        EXPECT_EQ(reloaded[0].site, c.listing.site.left(75).leftJustified(75));
        EXPECT_EQ(reloaded[0].user, c.listing.user.left(20).leftJustified(20));
        EXPECT_EQ(reloaded[0].password, c.listing.password.left(15).leftJustified(15));
    }
}

TEST(ListFormat, ValuesKeepThePaddingOnReload)
{
    const Listing reloaded = ListFile::parse(record("www.x.com", "me", "pass5")).at(0);
    EXPECT_EQ(reloaded.password, QStringLiteral("pass5          "));
    EXPECT_EQ(reloaded.site.size(), 75);
    EXPECT_EQ(reloaded.user.size(), 20);
}

TEST(ListFormat, FieldsAreCutAtNul)
{
    QByteArray plain = record("www.site.org", "user", "pw");
    plain[3] = '\0';
    plain[75 + 2] = '\0';
    const Listing listing = ListFile::parse(plain).at(0);
    EXPECT_EQ(listing.site, QStringLiteral("www"));
    EXPECT_EQ(listing.user, QStringLiteral("us"));
    EXPECT_EQ(listing.password, QString("pw").leftJustified(15));
}

TEST(ListFormat, UnchangedListRoundTripsByteForByte)
{
    // Every byte but NUL, tabs and high bytes included.
    QByteArray plain;
    for (int i = 0; plain.size() < 110 * 7; ++i)
        plain.append(char(1 + i % 255));
    SecretBytes saved;
    ASSERT_TRUE(ListFile::serialize(ListFile::parse(plain), &saved));
    EXPECT_EQ(saved.bytes(), plain);
}

TEST(ListFormat, UnstorableCharacterFailsNamingTheListing)
{
    SecretBytes plain;
    const StorageResult result =
        ListFile::serialize({{"a", "b", "c"}, {"www.x", QString::fromUtf16(u"\u0142ukasz"), "p"}}, &plain);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("Listing 2")) << qPrintable(result.error);
}

TEST(ListFormat, DamageThatASaveWouldLoseIsNamed)
{
    const QByteArray one = record("www.a.com", "ann", "pw");
    QByteArray withNul = one;
    withNul[80] = '\0';
    const struct {
        QByteArray plain;
        QStringList mentions;
    } cases[] = {
        {one + one, {}},
        {{}, {}},
        {one + QByteArray(50, 'x'), {"160 bytes", "last 50 bytes"}},
        {QByteArray(1, 'x'), {"1 bytes", "last 1 bytes"}},
        {withNul, {"NUL"}},
        {withNul + QByteArray(3, ' '), {"last 3 bytes", "NUL"}},
        // A NUL in the tail is part of what the tail report says.
        {one + QByteArray(3, '\0'), {"last 3 bytes"}},
    };
    for (const auto& c : cases) {
        const QString damage = ListFile::damageOf(c.plain);
        EXPECT_EQ(damage.isEmpty(), c.mentions.isEmpty()) << qPrintable(damage);
        for (const QString& word : c.mentions)
            EXPECT_TRUE(damage.contains(word)) << qPrintable(damage);
        if (c.plain.endsWith(QByteArray(3, '\0'))) {
            EXPECT_FALSE(damage.contains("NUL")) << qPrintable(damage);
        }
    }
}

class ListFileTest : public TempAppDirTest {
protected:
    QList<Listing> load(const QString& key, ListFile::LoadReport* report = nullptr)
    {
        QList<Listing> listings;
        const StorageResult result = ListFile::load(folder(), key, &listings, report);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
        return listings;
    }
    void save(const QList<Listing>& listings, const QString& key)
    {
        const StorageResult result = ListFile::save(folder(), listings, key);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
    }
};

TEST_F(ListFileTest, MissingListLoadsEmptyAndWritesNothing)
{
    EXPECT_TRUE(load("key").isEmpty());
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(ListFileTest, LoadOnlyReads)
{
    const QByteArray ciphered = CipherBytes(record("www.a.com", "ann", "pw1") + record("prog", "bob", "pw2"), "Mk1");
    writeFile("kxplst.ene", ciphered);
    QList<Listing> listings;
    EXPECT_TRUE(FaultInjection::stepsOf([&] { listings = load("Mk1"); }).isEmpty());
    ASSERT_EQ(listings.size(), 2);
    EXPECT_EQ(listings[1].user, QString("bob").leftJustified(20));
    EXPECT_EQ(files(), QStringList {"kxplst.ene"});
    EXPECT_EQ(readFile("kxplst.ene"), ciphered);
}

TEST_F(ListFileTest, DamagedListIsCopiedAsFoundBeforeItOpens)
{
    QByteArray withNul = record("www.a.com", "ann", "pw1");
    withNul[76] = '\0';
    for (const QByteArray& plain : {record("www.a.com", "ann", "pw1") + QByteArray(50, 'x'), withNul}) {
        clearFolder();
        const QByteArray ciphered = CipherBytes(plain, "Mk1");
        writeFile("kxplst.ene", ciphered);
        ListFile::LoadReport report;
        EXPECT_EQ(load("Mk1", &report).size(), 1);
        EXPECT_FALSE(report.damage.isEmpty());
        ASSERT_TRUE(report.backup.ok) << qPrintable(report.backup.error);
        const QString backup = QFileInfo(report.backupPath).fileName();
        EXPECT_TRUE(backup.startsWith("kxplst-backup-")) << qPrintable(backup);
        EXPECT_EQ(readFile(backup), ciphered) << "the copy is the file as found";
        EXPECT_EQ(readFile("kxplst.ene"), ciphered) << "the list itself is not touched";
    }
}

TEST_F(ListFileTest, DamagedListInAReadOnlyFolderSaysNoCopyWasKept)
{
    writeFile("kxplst.ene", CipherBytes(QByteArray(111, 'x'), "Mk1"));
    setWritable({}, false);
    ListFile::LoadReport report;
    EXPECT_EQ(load("Mk1", &report).size(), 1);
    setWritable({}, true);
    EXPECT_FALSE(report.damage.isEmpty());
    EXPECT_FALSE(report.backup.ok);
    EXPECT_TRUE(report.backupPath.isEmpty());
    EXPECT_EQ(files(), QStringList {"kxplst.ene"});
}

TEST_F(ListFileTest, SaveThenLoadUnderAnotherKey)
{
    writeFile("kxplst.ene", CipherBytes(record("old", "old", "old"), "first"));
    save({{"www.new.com", "me", "pw"}}, "second");
    EXPECT_EQ(files(), QStringList {"kxplst.ene"});
    EXPECT_EQ(readDeciphered("kxplst.ene", "second"), record("www.new.com", "me", "pw"));
    const QList<Listing> listings = load("second");
    ASSERT_EQ(listings.size(), 1);
    EXPECT_EQ(listings[0].site, QString("www.new.com").leftJustified(75));
}

TEST_F(ListFileTest, ListsOfAnyLengthAreSaved)
{
    for (const int count : {297, 1000}) {
        QList<Listing> listings;
        for (int i = 0; i < count; ++i)
            listings.append({QStringLiteral("www.site%1.com").arg(i), "user", "pw"});
        save(listings, "key");
        EXPECT_EQ(readFile("kxplst.ene").size(), count * 110);
        EXPECT_EQ(load("key").size(), count);
    }
}

TEST_F(ListFileTest, FailedSaveKeepsTheLastGoodFile)
{
    const QByteArray good = CipherBytes(record("www.keep.me", "u", "p"), "key");
    writeFile("kxplst.ene", good);
    QList<Listing> many(100, Listing {"www.lost.com", "u", "p"});
    for (const qint64 budget : {qint64(0), qint64(5000), qint64(11000 - 1)}) {
        SafeWrite::setWriteBudgetForTesting(budget);
        const StorageResult result = ListFile::save(folder(), many, u"key");
        SafeWrite::setWriteBudgetForTesting(-1);
        EXPECT_FALSE(result.ok) << budget;
        EXPECT_TRUE(result.error.contains("kxplst")) << qPrintable(result.error);
        EXPECT_EQ(files(), QStringList {"kxplst.ene"}) << budget;
        EXPECT_EQ(readFile("kxplst.ene"), good) << budget;
    }
}

TEST_F(ListFileTest, ReadOnlyListIsNeverReplaced)
{
    const QByteArray good = CipherBytes(record("www.keep.me", "u", "p"), "key");
    writeFile("kxplst.ene", good);
    setWritable("kxplst.ene", false);
    const StorageResult result = ListFile::save(folder(), {{"www.new.com", "u", "p"}}, u"key");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("kxplst.ene") && result.error.contains("read-only")) << qPrintable(result.error);
    EXPECT_EQ(files(), QStringList {"kxplst.ene"});
    EXPECT_EQ(readFile("kxplst.ene"), good);
}

TEST_F(ListFileTest, SaveRemovesAPlainListOfAnEarlierVersion)
{
    // Left where the folder could not be written at load; it would win over
    // this save at the next start.
    writeFile("kxplst.end", record("www.old.com", "u", "p"));
    save({{"www.new.com", "u", "p"}}, "key");
    EXPECT_EQ(files(), QStringList {"kxplst.ene"});
    EXPECT_EQ(load("key").at(0).site, QString("www.new.com").leftJustified(75));
}

// What the list file can hold whole: each value within its field, in
// Windows-1252; a loaded listing, padded to its fields, always fits.
TEST(ListFileFits, EachValueWithinItsFieldAndCodePage)
{
    const struct {
        const char* name;
        Listing listing;
        bool fits;
    } cases[] = {
        {"short", {"www.a.com", "ann", "pw"}, true},
        {"at the limits", {QString(75, 's'), QString(20, 'u'), QString(15, 'p')}, true},
        {"site too long", {QString(76, 's'), "u", "p"}, false},
        {"user too long", {"s", QString(21, 'u'), "p"}, false},
        {"password too long", {"s", "u", QString(16, 'p')}, false},
        {"Western European letters", {QStringLiteral("Café"), QStringLiteral("Jürgen"), QStringLiteral("€uro")}, true},
        {"outside the code page", {QStringLiteral("Łódź"), "u", "p"}, false},
        {"emoji", {"s", "u", QStringLiteral("pw\U0001F511")}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListFile::fits(c.listing), c.fits) << c.name;
    for (const Listing& loaded : ListFile::parse(record("www.a.com", "ann", "pw")))
        EXPECT_TRUE(ListFile::fits(loaded));
}

} // namespace
