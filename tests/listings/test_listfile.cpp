#include "listings/listfile.h"
#include "storage/filecipher.h"
#include "storage/safewrite.h"
#include "support/listrecords.h"
#include "support/tempappdir.h"

namespace {

TEST(ListFormat, EmptyFileIsAnEmptyList)
{
    EXPECT_TRUE(ListFile::parse({}).isEmpty());
    QByteArray plain = "not empty";
    ASSERT_TRUE(ListFile::serialize({}, &plain));
    EXPECT_TRUE(plain.isEmpty());
}

TEST(ListFormat, OnlyWholeRecordsAreListings)
{
    const QByteArray plain = record("a", "b", "c") + record("d", "e", "f") + QByteArray(30, 'z');
    const QList<Listing> listings = ListFile::parse(plain);
    ASSERT_EQ(listings.size(), 2);
    EXPECT_EQ(listings[1].site, QString("d").leftJustified(75));
    QByteArray saved;
    ASSERT_TRUE(ListFile::serialize(listings, &saved));
    EXPECT_EQ(saved.size(), 220);
    EXPECT_EQ(saved, plain.left(220));
}

TEST(ListFormat, ValuesArePaddedWithSpacesAndKeepThePaddingOnReload)
{
    QByteArray plain;
    ASSERT_TRUE(ListFile::serialize({{"www.x.com", "me", "pass5"}}, &plain));
    EXPECT_EQ(plain, record("www.x.com", "me", "pass5"));
    const Listing reloaded = ListFile::parse(plain).at(0);
    EXPECT_EQ(reloaded.password, QStringLiteral("pass5          "));
    EXPECT_EQ(reloaded.site.size(), 75);
    EXPECT_EQ(reloaded.user.size(), 20);
}

TEST(ListFormat, LongValuesAreCutToTheirField)
{
    QByteArray plain;
    ASSERT_TRUE(ListFile::serialize({{QString(80, 's'), QString(25, 'u'), QString(16, 'p')}}, &plain));
    EXPECT_EQ(plain, QByteArray(75, 's') + QByteArray(20, 'u') + QByteArray(15, 'p'));
}

TEST(ListFormat, EmptyListingIsKeptAsSpaces)
{
    QByteArray plain;
    ASSERT_TRUE(ListFile::serialize({{"", "", ""}}, &plain));
    EXPECT_EQ(plain, QByteArray(110, ' '));
    const QList<Listing> reloaded = ListFile::parse(plain);
    ASSERT_EQ(reloaded.size(), 1);
    EXPECT_EQ(reloaded[0].user, QString(20, ' '));
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
    QByteArray saved;
    ASSERT_TRUE(ListFile::serialize(ListFile::parse(plain), &saved));
    EXPECT_EQ(saved, plain);
}

TEST(ListFormat, UnstorableCharacterFailsNamingTheListing)
{
    QByteArray plain;
    const StorageResult result =
        ListFile::serialize({{"a", "b", "c"}, {"www.x", QString::fromUtf16(u"\u0142ukasz"), "p"}}, &plain);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("Listing 2")) << qPrintable(result.error);
}

class ListFileTest : public TempAppDirTest {
protected:
    QList<Listing> load(const QString& key)
    {
        QList<Listing> listings;
        const StorageResult result = ListFile::load(key, &listings);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
        return listings;
    }
    void save(const QList<Listing>& listings, const QString& key)
    {
        const StorageResult result = ListFile::save(listings, key);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
    }
};

TEST_F(ListFileTest, MissingListLoadsEmptyAndLeavesAnEmptyFile)
{
    EXPECT_TRUE(load("key").isEmpty());
    EXPECT_EQ(files(), QStringList{"kxplst.ene"});
    EXPECT_TRUE(readFile("kxplst.ene").isEmpty());
}

TEST_F(ListFileTest, LoadLeavesTheFileAsItWas)
{
    const QByteArray ciphered = CipherBytes(record("www.a.com", "ann", "pw1") + record("prog", "bob", "pw2"), "Mk1");
    writeFile("kxplst.ene", ciphered);
    const QList<Listing> listings = load("Mk1");
    ASSERT_EQ(listings.size(), 2);
    EXPECT_EQ(listings[1].user, QString("bob").leftJustified(20));
    EXPECT_EQ(files(), QStringList{"kxplst.ene"});
    EXPECT_EQ(readFile("kxplst.ene"), ciphered);
}

TEST_F(ListFileTest, SaveThenLoadUnderAnotherKey)
{
    writeFile("kxplst.ene", CipherBytes(record("old", "old", "old"), "first"));
    save({{"www.new.com", "me", "pw"}}, "second");
    EXPECT_EQ(files(), QStringList{"kxplst.ene"});
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

TEST_F(ListFileTest, FailedSaveKeepsTheLastGoodFileAndNoPlainTwin)
{
    const QByteArray good = CipherBytes(record("www.keep.me", "u", "p"), "key");
    writeFile("kxplst.ene", good);
    QList<Listing> many(100, Listing{"www.lost.com", "u", "p"});
    // Room for the plain twin but not for the ciphered file.
    for (const qint64 budget : {qint64(0), qint64(5000), qint64(11000 + 10)}) {
        SafeWrite::setWriteBudgetForTesting(budget);
        const StorageResult result = ListFile::save(many, "key");
        SafeWrite::setWriteBudgetForTesting(-1);
        EXPECT_FALSE(result.ok) << budget;
        EXPECT_TRUE(result.error.contains("kxplst")) << qPrintable(result.error);
        EXPECT_EQ(files(), QStringList{"kxplst.ene"}) << budget;
        EXPECT_EQ(readFile("kxplst.ene"), good) << budget;
    }
}

} // namespace
