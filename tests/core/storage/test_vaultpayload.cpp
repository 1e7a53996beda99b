#include "core/storage/vault.h"
#include "core/storage/vault_test_seam.h"
#include "core/storage/vaultpayload.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <limits>
#include <string>

using VaultPayload::Contents;
using VaultPayload::Damage;
using VaultPayload::Entry;
using VaultPayload::Field;
using VaultPayload::Id;
using VaultPayload::Removal;

namespace {

// ---- payload bytes made by hand, independently of encode() -----------------

QByteArray u32Bytes(quint32 value)
{
    QByteArray out(4, Qt::Uninitialized);
    qToLittleEndian<quint32>(value, out.data());
    return out;
}

QByteArray i64Bytes(qint64 value)
{
    QByteArray out(8, Qt::Uninitialized);
    qToLittleEndian<qint64>(value, out.data());
    return out;
}

QByteArray idBytes(uchar fill)
{
    return QByteArray(16, char(fill));
}

Id idOf(uchar fill)
{
    Id id;
    id.fill(fill);
    return id;
}

QByteArray textBytes(const QByteArray& utf8)
{
    return u32Bytes(quint32(utf8.size())) + utf8;
}

QByteArray listingBytes(uchar id, const QByteArray& site, const QByteArray& user, const QByteArray& password)
{
    return idBytes(id) + i64Bytes(1000 + id) + i64Bytes(2000 + id) + textBytes(site) + textBytes(user)
           + textBytes(password);
}

QByteArray removalBytes(uchar id)
{
    return idBytes(id) + i64Bytes(3000 + id);
}

QByteArray payloadBytes(const QList<QByteArray>& listings, const QList<QByteArray>& removals)
{
    QByteArray out = u32Bytes(quint32(listings.size()));
    for (const QByteArray& listing : listings)
        out += listing;
    out += u32Bytes(quint32(removals.size()));
    for (const QByteArray& removal : removals)
        out += removal;
    return out;
}

QByteArray goodPayload()
{
    return payloadBytes({listingBytes(1, "mail.example.org", "jane.doe.1987@gmail.com", "Lumi-Kide-42"),
                         listingBytes(2, "\xe4\xbe\x8b.jp", "\xc5\x81ukasz", "")},
                        {removalBytes(3)});
}

Contents goodContents()
{
    Contents contents;
    contents.entries = {
        {idOf(1), 1001, 2001, QStringLiteral("mail.example.org"), QStringLiteral("jane.doe.1987@gmail.com"),
         QStringLiteral("Lumi-Kide-42")},
        {idOf(2), 1002, 2002, QString::fromUtf8("\xe4\xbe\x8b.jp"), QString::fromUtf8("\xc5\x81ukasz"), QString()},
    };
    contents.removals = {{idOf(3), 3003}};
    return contents;
}

std::string hexOf(const Id& id)
{
    return QByteArray(reinterpret_cast<const char*>(id.data()), qsizetype(id.size())).toHex().toStdString();
}

// The first difference, rather than a dump of a hundred thousand listings.
::testing::AssertionResult sameContents(const Contents& actual, const Contents& expected)
{
    if (actual.entries.size() != expected.entries.size())
        return ::testing::AssertionFailure()
               << actual.entries.size() << " listings, expected " << expected.entries.size();
    for (qsizetype i = 0; i < expected.entries.size(); ++i) {
        const Entry& a = actual.entries[i];
        const Entry& e = expected.entries[i];
        if (!(a == e))
            return ::testing::AssertionFailure()
                   << "listing " << i + 1 << ": id " << hexOf(a.id) << " / " << hexOf(e.id) << ", times " << a.created
                   << "," << a.modified << " / " << e.created << "," << e.modified << ", site \""
                   << a.site.toStdString() << "\" / \"" << e.site.toStdString() << "\", user \"" << a.user.toStdString()
                   << "\" / \"" << e.user.toStdString() << "\", password \"" << a.password.toStdString() << "\" / \""
                   << e.password.toStdString() << "\"";
    }
    if (actual.removals.size() != expected.removals.size())
        return ::testing::AssertionFailure()
               << actual.removals.size() << " removals, expected " << expected.removals.size();
    for (qsizetype i = 0; i < expected.removals.size(); ++i) {
        if (!(actual.removals[i] == expected.removals[i]))
            return ::testing::AssertionFailure()
                   << "removal " << i + 1 << ": " << hexOf(actual.removals[i].id) << "@" << actual.removals[i].removed;
    }
    return ::testing::AssertionSuccess();
}

// ---- long Unicode fields ------------------------------------------------------

// CJK, an emoji (a surrogate pair), a combining sequence, Latin letters of
// two bytes, Hangul and plain ASCII, cycled from seed until exactly bytes
// UTF-8 bytes are reached.
QString unicodeText(qsizetype seed, qsizetype bytes)
{
    static const QString pieces[] = {QString::fromUtf8("\xe6\x9d\xb1"),
                                     QString::fromUtf8("\xf0\x9f\x94\x91"),
                                     QString::fromUtf8("e\xcc\x81"),
                                     QString::fromUtf8("\xc5\x81"),
                                     QString::fromUtf8("\xc3\x9f"),
                                     QString::fromUtf8("\xed\x95\x9c"),
                                     QStringLiteral("x")};
    constexpr qsizetype kPieces = sizeof(pieces) / sizeof(pieces[0]);
    QString text;
    qsizetype size = 0;
    for (qsizetype k = seed;; ++k) {
        const QString& piece = pieces[k % kPieces];
        const qsizetype pieceSize = piece.toUtf8().size();
        if (size + pieceSize > bytes)
            break;
        text += piece;
        size += pieceSize;
    }
    while (size < bytes) {
        text += u'a';
        ++size;
    }
    return text;
}

// Every 997th listing has each field at exactly its bound; the others are
// of varied, ordinary lengths, some empty.
Contents manyListings(qsizetype count)
{
    Contents contents;
    contents.entries.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const bool atBounds = i % 997 == 0;
        Entry entry;
        entry.id = VaultPayload::newId();
        entry.created = 1700000000000 + i;
        entry.modified = entry.created + i * 1000;
        entry.site = unicodeText(i, atBounds ? VaultPayload::kMaxSiteBytes : 10 + i % 90);
        entry.user = unicodeText(i + 1, atBounds ? VaultPayload::kMaxUserBytes : i % 40);
        entry.password = unicodeText(i + 2, atBounds ? VaultPayload::kMaxPasswordBytes : i % 7 == 0 ? 0 : 8 + i % 30);
        contents.entries.append(std::move(entry));
    }
    for (qsizetype i = 0; i < count / 10; ++i)
        contents.removals.append({VaultPayload::newId(), 1700000000000 - i});
    return contents;
}

// What the payload's size must be, counted from the table's layout.
qsizetype expectedSize(const Contents& contents)
{
    qsizetype size = 4 + 4 + contents.removals.size() * (16 + 8);
    for (const Entry& entry : contents.entries)
        size += 16 + 8 + 8 + 3 * 4 + entry.site.toUtf8().size() + entry.user.toUtf8().size()
                + entry.password.toUtf8().size();
    return size;
}

} // namespace

// ---- round trips ----------------------------------------------------------------

class VaultPayloadRoundTrip : public ::testing::TestWithParam<int> { };

TEST_P(VaultPayloadRoundTrip, EncodeSealOpenDecodeGivesTheListBack)
{
    const Contents contents = manyListings(GetParam());
    SecretBytes plain;
    const StorageResult encoded = VaultPayload::encode(contents, &plain);
    ASSERT_TRUE(encoded.ok) << encoded.error.toStdString();
    ASSERT_EQ(plain.size(), expectedSize(contents));
    EXPECT_EQ(plain.bytes().capacity(), plain.size()) << "one buffer of the final size, so wiping reaches it all";

    const Vault::Salt salt = Vault::newSalt();
    const auto key = Vault::deriveKey(Vault::passwordBytesV2(u"p\u00e4ss"), Vault::minimumParams(), salt);
    ASSERT_TRUE(key.has_value());
    const QByteArray file = Vault::seal(plain, *key, Vault::minimumParams(), salt, Vault::kVersion2);
    ASSERT_EQ(file.size(), plain.size() + qsizetype(Vault::kHeaderSize + Vault::kTagSize));

    const Vault::HeaderCheck check = Vault::readHeader(file);
    ASSERT_TRUE(check.ok()) << Vault::describe(check.damage);
    EXPECT_EQ(check.header.version, Vault::kVersion2);
    EXPECT_EQ(check.header.salt, salt);
    QByteArray opened;
    ASSERT_EQ(Vault::open(file, *key, opened, Vault::kVersion2), Vault::OpenResult::Ok);
    EXPECT_TRUE(opened == plain.bytes());

    Contents decoded;
    const VaultPayload::Decoded result = VaultPayload::decode(opened, &decoded);
    ASSERT_TRUE(result.ok()) << result.describe().toStdString();
    EXPECT_TRUE(sameContents(decoded, contents));
    Vault::wipe(opened);
}

INSTANTIATE_TEST_SUITE_P(Listings, VaultPayloadRoundTrip, ::testing::Values(0, 1, 100000));

TEST(VaultPayloadLayout, HandMadeBytesDecodeAndEncodeBackExactly)
{
    Contents decoded;
    const VaultPayload::Decoded result = VaultPayload::decode(goodPayload(), &decoded);
    ASSERT_TRUE(result.ok()) << result.describe().toStdString();
    EXPECT_TRUE(sameContents(decoded, goodContents()));

    SecretBytes plain;
    ASSERT_TRUE(VaultPayload::encode(goodContents(), &plain).ok);
    EXPECT_EQ(plain.bytes().toHex().toStdString(), goodPayload().toHex().toStdString());
}

TEST(VaultPayloadLayout, AnIdBothListedAndRemovedIsNoDamage)
{
    // Another machine may have kept a listing this one removed; merging
    // decides, so one file may hold both.
    Contents contents = goodContents();
    contents.removals.append({contents.entries[0].id, 5000});
    SecretBytes plain;
    ASSERT_TRUE(VaultPayload::encode(contents, &plain).ok);
    Contents decoded;
    ASSERT_TRUE(VaultPayload::decode(plain.bytes(), &decoded).ok());
    EXPECT_TRUE(sameContents(decoded, contents));
}

// ---- damage ----------------------------------------------------------------------

struct PayloadDamageCase {
    const char* name;
    QByteArray (*make)();
    Damage damage;
    qsizetype number;
    Field field;
};

class VaultPayloadDamage : public ::testing::TestWithParam<PayloadDamageCase> { };

TEST_P(VaultPayloadDamage, IsRefusedWithItsReason)
{
    const PayloadDamageCase& c = GetParam();
    Contents out = goodContents(); // what a caller held before is let go
    const VaultPayload::Decoded result = VaultPayload::decode(c.make(), &out);
    EXPECT_EQ(result.damage, c.damage) << result.describe().toStdString();
    EXPECT_EQ(result.number, c.number) << result.describe().toStdString();
    EXPECT_EQ(result.field, c.field) << result.describe().toStdString();
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(out.entries.isEmpty());
    EXPECT_TRUE(out.removals.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, VaultPayloadDamage,
    ::testing::Values(
        PayloadDamageCase {"Empty", [] { return QByteArray(); }, Damage::Truncated, 0, Field::None},
        PayloadDamageCase {"CountCutShort", [] { return QByteArray("\x01\x00\x00", 3); }, Damage::Truncated, 0,
                           Field::None},
        PayloadDamageCase {"ListingCountPastEnd",
                           [] { return u32Bytes(2) + listingBytes(1, "a", "b", "c") + u32Bytes(0); }, Damage::Truncated,
                           0, Field::None},
        PayloadDamageCase {"MillionListingsInAFewBytes", [] { return u32Bytes(1000000) + QByteArray(100, '\0'); },
                           Damage::Truncated, 0, Field::None},
        PayloadDamageCase {"OneListingOverAMillion", [] { return u32Bytes(1000001) + QByteArray(100, '\0'); },
                           Damage::TooManyListings, 0, Field::None},
        PayloadDamageCase {"ListingCountAllOnes", [] { return u32Bytes(0xffffffff) + QByteArray(100, '\0'); },
                           Damage::TooManyListings, 0, Field::None},
        PayloadDamageCase {
            "SecondListingCutInItsId",
            [] { return u32Bytes(2) + listingBytes(1, QByteArray(200, 's'), "u", "p") + idBytes(2).left(10); },
            Damage::Truncated, 2, Field::None},
        PayloadDamageCase {
            "SiteLengthPastEnd",
            [] { return u32Bytes(1) + idBytes(1) + i64Bytes(1) + i64Bytes(2) + u32Bytes(100) + "0123456789"; },
            Damage::Truncated, 1, Field::Site},
        PayloadDamageCase {"PasswordLengthPastEnd",
                           [] {
                               return u32Bytes(1) + idBytes(1) + i64Bytes(1) + i64Bytes(2) + textBytes("s")
                                      + textBytes("u") + u32Bytes(5) + "abc";
                           },
                           Damage::Truncated, 1, Field::Password},
        PayloadDamageCase {"RemovalCountMissing", [] { return u32Bytes(1) + listingBytes(1, "a", "b", "c"); },
                           Damage::Truncated, 0, Field::None},
        PayloadDamageCase {"RemovalCountPastEnd", [] { return u32Bytes(0) + u32Bytes(2) + removalBytes(1); },
                           Damage::Truncated, 0, Field::None},
        PayloadDamageCase {"RemovalCutShort", [] { return u32Bytes(0) + u32Bytes(1) + removalBytes(1).left(20); },
                           Damage::Truncated, 0, Field::None},
        PayloadDamageCase {"RemovalCountAllOnes", [] { return u32Bytes(0) + u32Bytes(0xffffffff) + removalBytes(1); },
                           Damage::Truncated, 0, Field::None},
        PayloadDamageCase {"OneByteLeftOver", [] { return goodPayload() + '\0'; }, Damage::LeftOver, 0, Field::None},
        PayloadDamageCase {"UncountedRemovalLeftOver", [] { return goodPayload() + removalBytes(9); }, Damage::LeftOver,
                           0, Field::None},
        PayloadDamageCase {"SiteOneOverItsBound",
                           [] { return payloadBytes({listingBytes(1, QByteArray(2049, 's'), "u", "p")}, {}); },
                           Damage::FieldTooLong, 1, Field::Site},
        PayloadDamageCase {"UserOneOverItsBound",
                           [] {
                               return payloadBytes(
                                   {listingBytes(1, "s", "u", "p"), listingBytes(2, "s", QByteArray(1025, 'u'), "p")},
                                   {});
                           },
                           Damage::FieldTooLong, 2, Field::User},
        PayloadDamageCase {"PasswordOneOverItsBound",
                           [] { return payloadBytes({listingBytes(1, "s", "u", QByteArray(1025, 'p'))}, {}); },
                           Damage::FieldTooLong, 1, Field::Password},
        PayloadDamageCase {"LengthAllOnes",
                           [] {
                               return u32Bytes(1) + idBytes(1) + i64Bytes(1) + i64Bytes(2) + u32Bytes(0xffffffff)
                                      + QByteArray(40, 's');
                           },
                           Damage::FieldTooLong, 1, Field::Site},
        PayloadDamageCase {"StrayContinuationInSite",
                           [] { return payloadBytes({listingBytes(1, "ab\x80", "u", "p")}, {}); }, Damage::InvalidUtf8,
                           1, Field::Site},
        PayloadDamageCase {"OverlongInUser", [] { return payloadBytes({listingBytes(1, "s", "\xc0\xaf", "p")}, {}); },
                           Damage::InvalidUtf8, 1, Field::User},
        PayloadDamageCase {"SurrogateInPassword",
                           [] { return payloadBytes({listingBytes(1, "s", "u", "\xed\xa0\x80")}, {}); },
                           Damage::InvalidUtf8, 1, Field::Password},
        PayloadDamageCase {"PastLastCodePoint",
                           [] {
                               return payloadBytes(
                                   {listingBytes(1, "s", "u", "p"), listingBytes(2, "s", "u", "\xf4\x90\x80\x80")}, {});
                           },
                           Damage::InvalidUtf8, 2, Field::Password},
        PayloadDamageCase {"CharacterSplitAcrossFields",
                           [] { return payloadBytes({listingBytes(1, "\xe6\x9d", "\xb1", "p")}, {}); },
                           Damage::InvalidUtf8, 1, Field::Site},
        PayloadDamageCase {"OverlongNul", [] { return payloadBytes({listingBytes(1, "\xc0\x80", "u", "p")}, {}); },
                           Damage::InvalidUtf8, 1, Field::Site},
        PayloadDamageCase {"NulInUser",
                           [] { return payloadBytes({listingBytes(1, "s", QByteArray("a\0b", 3), "p")}, {}); },
                           Damage::NulInField, 1, Field::User},
        PayloadDamageCase {"NulEndingPassword",
                           [] { return payloadBytes({listingBytes(1, "s", "u", QByteArray("pw\0", 3))}, {}); },
                           Damage::NulInField, 1, Field::Password},
        PayloadDamageCase {"ThirdListingRepeatsTheFirstId",
                           [] {
                               return payloadBytes({listingBytes(1, "s", "u", "p"), listingBytes(2, "s", "u", "p"),
                                                    listingBytes(1, "t", "v", "q")},
                                                   {});
                           },
                           Damage::RepeatedId, 3, Field::None},
        PayloadDamageCase {"FirstRepeatInOrderIsNamed",
                           [] {
                               return payloadBytes({listingBytes(5, "s", "u", "p"), listingBytes(6, "s", "u", "p"),
                                                    listingBytes(6, "s", "u", "p"), listingBytes(5, "s", "u", "p")},
                                                   {});
                           },
                           Damage::RepeatedId, 3, Field::None},
        PayloadDamageCase {"RepeatedRemovalId",
                           [] {
                               return payloadBytes({}, {removalBytes(9), removalBytes(8), removalBytes(9)});
                           },
                           Damage::RepeatedRemovalId, 3, Field::None}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VaultPayloadDamage, EveryShorterPrefixIsRefused)
{
    const QByteArray good = goodPayload();
    for (qsizetype size = 0; size < good.size(); ++size) {
        Contents out;
        const VaultPayload::Decoded result = VaultPayload::decode(good.left(size), &out);
        EXPECT_FALSE(result.ok()) << size << " bytes";
        EXPECT_TRUE(out.entries.isEmpty()) << size << " bytes";
    }
}

// Whatever a changed byte does, decode either refuses it (leaving nothing)
// or accepts a payload that encode writes back byte for byte.
TEST(VaultPayloadDamage, EveryValueOfEveryByteIsRefusedOrReadExactly)
{
    const QByteArray good = goodPayload();
    qsizetype refused = 0;
    for (qsizetype at = 0; at < good.size(); ++at) {
        for (int value = 0; value < 256; ++value) {
            QByteArray changed = good;
            changed[at] = char(value);
            Contents out;
            if (!VaultPayload::decode(changed, &out).ok()) {
                ++refused;
                ASSERT_TRUE(out.entries.isEmpty() && out.removals.isEmpty()) << at << "=" << value;
                continue;
            }
            SecretBytes again;
            ASSERT_TRUE(VaultPayload::encode(out, &again).ok) << at << "=" << value;
            ASSERT_EQ(again.bytes(), changed) << at << "=" << value;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(VaultPayloadDamage, DescriptionsNameTheListingAndField)
{
    Contents out;
    const QByteArray bytes = payloadBytes({listingBytes(1, "s", "u", "p"), listingBytes(2, "s", "\xff", "p")}, {});
    EXPECT_EQ(VaultPayload::decode(bytes, &out).describe().toStdString(),
              "listing 2: the user name is not valid UTF-8");
    const QByteArray longSite = payloadBytes({listingBytes(1, QByteArray(2049, 's'), "u", "p")}, {});
    EXPECT_EQ(VaultPayload::decode(longSite, &out).describe().toStdString(),
              "listing 1: the site is longer than 2,048 bytes");
}

// ---- what encode refuses ------------------------------------------------------------

struct EncodeRefusalCase {
    const char* name;
    void (*spoil)(Contents&);
    const char* message;
};

class VaultPayloadEncodeRefusal : public ::testing::TestWithParam<EncodeRefusalCase> { };

TEST_P(VaultPayloadEncodeRefusal, NamesTheListingAndLeavesTheBufferAlone)
{
    Contents contents = goodContents();
    contents.entries.append({idOf(4), 1, 2, QStringLiteral("third"), QStringLiteral("u3"), QStringLiteral("p3")});
    {
        SecretBytes unspoilt;
        ASSERT_TRUE(VaultPayload::encode(contents, &unspoilt).ok) << "the case must be what fails";
    }
    GetParam().spoil(contents);
    SecretBytes out = SecretBytes::adopt(QByteArray("before"));
    const StorageResult result = VaultPayload::encode(contents, &out);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.toStdString(), GetParam().message);
    EXPECT_EQ(out.bytes(), QByteArray("before"));
}

namespace {

QString repeatedText(const char* utf8, int times, const char* tail)
{
    return QString::fromUtf8(utf8).repeated(times) + QString::fromUtf8(tail);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Table, VaultPayloadEncodeRefusal,
    ::testing::Values(
        EncodeRefusalCase {"SiteOneByteOver",
                           [](Contents& c) { c.entries[0].site = repeatedText("\xe6\x9d\xb1", 683, ""); },
                           "Listing 1: the site is longer than 2,048 bytes in UTF-8 (2,049 bytes)."},
        EncodeRefusalCase {"UserOneByteOver",
                           [](Contents& c) { c.entries[1].user = repeatedText("\xf0\x9f\x94\x91", 256, "a"); },
                           "Listing 2: the user name is longer than 1,024 bytes in UTF-8 (1,025 bytes)."},
        EncodeRefusalCase {"PasswordOfCombiningMarksOver",
                           [](Contents& c) { c.entries[2].password = repeatedText("e\xcc\x81", 341, "\xc3\x9f"); },
                           "Listing 3: the password is longer than 1,024 bytes in UTF-8 (1,025 bytes)."},
        EncodeRefusalCase {"NulInSite", [](Contents& c) { c.entries[0].site += QChar(u'\0'); },
                           "Listing 1: the site holds a NUL character."},
        EncodeRefusalCase {"NulInUser", [](Contents& c) { c.entries[2].user = QString(QChar(u'\0')); },
                           "Listing 3: the user name holds a NUL character."},
        EncodeRefusalCase {"NulInPassword", [](Contents& c) { c.entries[1].password.insert(0, QChar(u'\0')); },
                           "Listing 2: the password holds a NUL character."},
        EncodeRefusalCase {"LoneSurrogateInPassword", [](Contents& c) { c.entries[1].password += QChar(0xD83D); },
                           "Listing 2: the password is not valid Unicode text."},
        EncodeRefusalCase {"RepeatedListingId", [](Contents& c) { c.entries[2].id = c.entries[0].id; },
                           "Listing 3: its id is that of an earlier listing."},
        EncodeRefusalCase {"RepeatedRemovalId", [](Contents& c) { c.removals.append(c.removals[0]); },
                           "Removal 2: its id is that of an earlier removal."},
        EncodeRefusalCase {"OneListingOverAMillion",
                           [](Contents& c) { c.entries.resize(VaultPayload::kMaxListings + 1); },
                           "The list holds 1,000,001 listings, more than 1,000,000."}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the key input ------------------------------------------------------------------

struct NfcCase {
    const char* name;
    QString typed;
    const char* utf8Hex;
};

class VaultPasswordBytes : public ::testing::TestWithParam<NfcCase> { };

TEST_P(VaultPasswordBytes, AreTheNfcUtf8Bytes)
{
    const SecretBytes bytes = Vault::passwordBytesV2(GetParam().typed);
    EXPECT_EQ(bytes.bytes().toHex().toStdString(), GetParam().utf8Hex);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VaultPasswordBytes,
    ::testing::Values(NfcCase {"EAcuteDecomposed", QString::fromUtf16(u"e\u0301"), "c3a9"},
                      NfcCase {"EAcuteComposed", QString::fromUtf16(u"\u00e9"), "c3a9"},
                      NfcCase {"AngstromSign", QString::fromUtf16(u"\u212b"), "c385"},
                      NfcCase {"ARingDecomposed", QString::fromUtf16(u"A\u030a"), "c385"},
                      NfcCase {"HangulJamo", QString::fromUtf16(u"\u1100\u1161"), "eab080"},
                      NfcCase {"MarksInEitherOrder", QString::fromUtf16(u"a\u0302\u0323"), "e1baad"},
                      NfcCase {"MarksInCanonicalOrder", QString::fromUtf16(u"a\u0323\u0302"), "e1baad"},
                      NfcCase {"LigatureNotFolded", QString::fromUtf16(u"\ufb01"), "efac81"},
                      NfcCase {"EmojiAsItIs", QString::fromUtf16(u"\U0001F511"), "f09f9491"},
                      NfcCase {"SpacesAtTheEndsKept", QStringLiteral(" pw "), "20707720"},
                      NfcCase {"Empty", QString(), ""}, NfcCase {"LoneSurrogate", QString(QChar(0xD83D)), "efbfbd"}),
    [](const auto& info) { return std::string(info.param.name); });

struct KeyInputCase {
    const char* name;
    QString typed;
    quint8 version;
    const char* bytesHex;
};

class VaultKeyInput : public ::testing::TestWithParam<KeyInputCase> { };

// Set-up, change and unlock all derive through this: a space typed at
// either end never makes a different key.
TEST_P(VaultKeyInput, DropsSpacesAtTheEndsOnly)
{
    const std::optional<SecretBytes> input = Vault::keyInput(GetParam().typed, GetParam().version);
    ASSERT_TRUE(input.has_value());
    EXPECT_EQ(input->bytes().toHex().toStdString(), GetParam().bytesHex);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VaultKeyInput,
    ::testing::Values(KeyInputCase {"V2Ends", QStringLiteral("  pw "), Vault::kVersion2, "7077"},
                      KeyInputCase {"V2Inside", QStringLiteral(" p w "), Vault::kVersion2, "702077"},
                      KeyInputCase {"V2TabsKept", QStringLiteral("\tpw\t"), Vault::kVersion2, "09707709"},
                      KeyInputCase {"V2NoBreakSpaceKept", QString::fromUtf16(u"\u00a0pw"), Vault::kVersion2,
                                    "c2a07077"},
                      KeyInputCase {"V2OnlySpaces", QStringLiteral("   "), Vault::kVersion2, ""},
                      KeyInputCase {"V1Ends", QStringLiteral(" pw  "), Vault::kVersion1, "7077"},
                      KeyInputCase {"V1NoBreakSpaceKept", QString::fromUtf16(u"\u00a0pw"), Vault::kVersion1, "a07077"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VaultPasswordBytes, BothWaysOfTypingAnAccentGiveTheSameKey)
{
    const Vault::Salt salt = Vault::newSalt();
    const auto decomposed = Vault::deriveKey(Vault::passwordBytesV2(u"caf\u0065\u0301"), Vault::minimumParams(), salt);
    const auto composed = Vault::deriveKey(Vault::passwordBytesV2(u"caf\u00e9"), Vault::minimumParams(), salt);
    ASSERT_TRUE(decomposed && composed);
    EXPECT_TRUE(Vault::sameKey(*decomposed, *composed));
}

// ---- the fixed vector -------------------------------------------------------------------

namespace {

// Computed by vault_vector_v2.py with PyNaCl, not by this program.
constexpr char16_t kTypedV2[] = u"Za\u0301mek \u0141\u00f3d\u017a \u6771\u4eac";
constexpr char kPasswordNfcHex[] = "5ac3a16d656b20c581c3b364c5ba20e69db1e4baac";
constexpr char kPlainV2Hex[] = "02000000404142434445464748494a4b4c4d4e4f0068e5cf8b0100002009edcf"
                               "8b0100001a000000d0bfd180d0b8d0bcd0b5d1802ed180d1842fd0b2d185d0be"
                               "d0b410000000d0afd180d0bed181d0bbd0b0d0b2d0b00f000000d09fd0b0d180"
                               "d0bed0bbd18c2d3432505152535455565758595a5b5c5d5e5f00a4d9faffffff"
                               "ff1b05f40b9b01000009000000e4be8be381882e6a700d000000e5b1b1e794b0"
                               "20e5a4aae9838e0d000000e7a798e5af86f09f949165cc810100000060616263"
                               "6465666768696a6b6c6d6e6f00b232f29a010000";
constexpr char kVaultV2Hex[] = "56454c4c414d41522d5641554c54020100000000000000002000000000000080"
                               "8182838485868788898a8b8c8d8e8fa0a1a2a3a4a5a6a7a8a9aaabacadaeafb0"
                               "b1b2b3b4b5b6b7e0a67444a875ae0ca39a4dffba61f1210ece4ac3bdf5ff66d7"
                               "893aa7df8bb18d4cabe66747e2096343143bd6fe501242e506f3b0e51e20bce6"
                               "38b55e7533fdf5acc5fa1758a846e8c82a4917dad2a48e2f02a21d3e8ebe2a8f"
                               "8c08a74fbda6dacea38e1b4d2e6df7af79193ad2bcc89a9530428dbfe54c93f1"
                               "f2720646614be3eec9eade783582d5ca8f0aff7c32fe84e022abdefe45723c42"
                               "7bb72af8e49e26ca6de667e0cc4d4befbb465370223209ed23e8b7bdd566dc5a"
                               "8d0d2fd730193527b39ffdcee46e07e6b0799139f3a593aad7900c021919806c"
                               "a681ae67cebd5807c3c103";

Id idFrom(int first)
{
    Id id;
    for (std::size_t i = 0; i < id.size(); ++i)
        id[i] = uchar(first + int(i));
    return id;
}

Contents vectorV2Contents()
{
    Contents contents;
    contents.entries = {
        {idFrom(0x40), 1700000000000, 1700000500000,
         QString::fromUtf16(u"\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444/\u0432\u0445\u043e\u0434"),
         QString::fromUtf16(u"\u042f\u0440\u043e\u0441\u043b\u0430\u0432\u0430"),
         QString::fromUtf16(u"\u041f\u0430\u0440\u043e\u043b\u044c-42")},
        // Fields keep what was typed: this password's e + U+0301 stays.
        {idFrom(0x50), -86400000, 1765432100123, QString::fromUtf16(u"\u4f8b\u3048.jp"),
         QString::fromUtf16(u"\u5c71\u7530 \u592a\u90ce"), QString::fromUtf16(u"\u79d8\u5bc6\U0001F511e\u0301")},
    };
    contents.removals = {{idFrom(0x60), 1765000000000}};
    return contents;
}

} // namespace

TEST(VaultPayloadVector, IndependentlySealedFileOpensToItsExactContents)
{
    const QByteArray file = QByteArray::fromHex(kVaultV2Hex);
    const Vault::HeaderCheck check = Vault::readHeader(file);
    ASSERT_TRUE(check.ok()) << Vault::describe(check.damage);
    EXPECT_EQ(check.header.version, Vault::kVersion2);
    EXPECT_EQ(check.header.params, Vault::minimumParams());

    const SecretBytes password = Vault::passwordBytesV2(kTypedV2);
    EXPECT_EQ(password.bytes().toHex().toStdString(), kPasswordNfcHex);
    const auto key = Vault::deriveKey(password, check.header.params, check.header.salt);
    ASSERT_TRUE(key.has_value());
    QByteArray plain;
    ASSERT_EQ(Vault::open(file, *key, plain, Vault::kVersion2), Vault::OpenResult::Ok);
    EXPECT_EQ(plain.toHex().toStdString(), kPlainV2Hex);

    Contents decoded;
    const VaultPayload::Decoded result = VaultPayload::decode(plain, &decoded);
    ASSERT_TRUE(result.ok()) << result.describe().toStdString();
    EXPECT_TRUE(sameContents(decoded, vectorV2Contents()));
}

TEST(VaultPayloadVector, EncodeAndSealGiveTheSameBytes)
{
    const QByteArray file = QByteArray::fromHex(kVaultV2Hex);
    const Vault::Header header = Vault::readHeader(file).header;
    const auto key = Vault::deriveKey(Vault::passwordBytesV2(kTypedV2), header.params, header.salt);
    ASSERT_TRUE(key.has_value());
    SecretBytes plain;
    ASSERT_TRUE(VaultPayload::encode(vectorV2Contents(), &plain).ok);
    EXPECT_EQ(plain.bytes().toHex().toStdString(), kPlainV2Hex);
    const QByteArray sealed =
        Vault::TestSeam::sealWithNonce(plain, *key, header.params, header.salt, header.nonce, Vault::kVersion2);
    EXPECT_EQ(sealed.toHex().toStdString(), QByteArray::fromHex(kVaultV2Hex).toHex().toStdString());
}

TEST(VaultPayloadVector, ThePasswordAsTypedWithoutNormalisingDoesNotOpen)
{
    const QByteArray file = QByteArray::fromHex(kVaultV2Hex);
    const Vault::Header header = Vault::readHeader(file).header;
    const QByteArray typedUtf8 = QString::fromUtf16(kTypedV2).toUtf8();
    ASSERT_NE(typedUtf8.toHex().toStdString(), kPasswordNfcHex);
    const auto key = Vault::deriveKey(typedUtf8, header.params, header.salt);
    ASSERT_TRUE(key.has_value());
    QByteArray plain;
    EXPECT_EQ(Vault::open(file, *key, plain, Vault::kVersion2), Vault::OpenResult::WrongKeyOrChanged);
}

// ---- ids and removals --------------------------------------------------------------------

TEST(VaultPayloadIds, AreRandom)
{
    const Id a = VaultPayload::newId();
    const Id b = VaultPayload::newId();
    EXPECT_NE(hexOf(a), hexOf(b));
    EXPECT_NE(hexOf(a), hexOf(Id {}));
}

struct PruneCase {
    const char* name;
    qint64 now;
    int days;
    QList<qint64> removed;
    QList<qint64> kept;
};

class VaultPayloadPrune : public ::testing::TestWithParam<PruneCase> { };

TEST_P(VaultPayloadPrune, KeepsOnlyTheLastDays)
{
    const PruneCase& c = GetParam();
    Contents contents;
    for (qsizetype i = 0; i < c.removed.size(); ++i)
        contents.removals.append({idOf(uchar(i + 1)), c.removed[i]});
    const qsizetype dropped = VaultPayload::pruneRemovals(contents, c.now, c.days);
    QList<qint64> kept;
    for (const Removal& removal : contents.removals)
        kept.append(removal.removed);
    EXPECT_EQ(kept, c.kept);
    EXPECT_EQ(dropped, c.removed.size() - c.kept.size());
}

constexpr qint64 kPruneNow = 1765432100000;
constexpr qint64 kPruneDay = 86400000;
constexpr qint64 kPruneMinMs = std::numeric_limits<qint64>::min();

INSTANTIATE_TEST_SUITE_P(
    Table, VaultPayloadPrune,
    ::testing::Values(PruneCase {"HundredEightyDays",
                                 kPruneNow,
                                 180,
                                 {kPruneNow, kPruneNow - 180 * kPruneDay, kPruneNow - 180 * kPruneDay - 1,
                                  kPruneNow + 5 * kPruneDay, 0, kPruneMinMs},
                                 {kPruneNow, kPruneNow - 180 * kPruneDay, kPruneNow + 5 * kPruneDay}},
                      PruneCase {"ZeroDaysKeepsNowAndLater",
                                 kPruneNow,
                                 0,
                                 {kPruneNow - 1, kPruneNow, kPruneNow + 1},
                                 {kPruneNow, kPruneNow + 1}},
                      PruneCase {"NowNearTheBeginningOfTime",
                                 kPruneMinMs + kPruneDay,
                                 180,
                                 {kPruneMinMs, kPruneMinMs + kPruneDay},
                                 {kPruneMinMs, kPruneMinMs + kPruneDay}},
                      PruneCase {"NothingToPrune", kPruneNow, 180, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });
