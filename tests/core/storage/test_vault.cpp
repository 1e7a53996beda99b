#include "core/storage/vault.h"
#include "core/storage/vault_test_seam.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstring>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

// Readable failure output; the default would dump the object's raw bytes.
void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << bytes.size() << " bytes: " << bytes.left(48).toHex().toStdString() << (bytes.size() > 48 ? "..." : "");
}

namespace Vault {
void PrintTo(const Params& params, std::ostream* os)
{
    *os << "{ops " << params.opsLimit << ", mem " << params.memLimit << "}";
}
} // namespace Vault

using Vault::Damage;
using Vault::OpenResult;
using Vault::Params;

namespace {

// Produced by gen_vector.py with PyNaCl, not by this module: Argon2id with
// minimum params (1, 8192), XChaCha20-Poly1305 with the header as AD.
constexpr char kPasswordVector[] = "correct horse";
constexpr char kPlainHex[] = "6d61696c2e6578616d706c652e6f7267094ae4727669094c756d692d4b696465"
                             "2d34320a62616e6b2e6578616d706c652e636f6d096a617276692e6b09387821"
                             "52712d30700a";
constexpr char kVaultHex[] = "56454c4c414d41522d5641554c54010100000000000000002000000000000000"
                             "0102030405060708090a0b0c0d0e0f202122232425262728292a2b2c2d2e2f30"
                             "313233343536378a230945d65b16de41b76bcec5a08ea436fefc8b9ddd579e24"
                             "289dd4b99a21fed3f581899aaf0c2ae708fda057d1814e6c8249d0fdabd40c38"
                             "fb87f406200ca198db3e8851d388a0a249ecbfe316f774f604e25a84d1";

constexpr qsizetype kRecordSize = 110;
constexpr qsizetype kOverhead = qsizetype(Vault::kHeaderSize + Vault::kTagSize);
constexpr quint64 kMaxU64 = std::numeric_limits<quint64>::max();

QByteArray vectorPlain()
{
    return QByteArray::fromHex(kPlainHex);
}
QByteArray vectorVault()
{
    return QByteArray::fromHex(kVaultHex);
}

Vault::Salt vectorSalt()
{
    Vault::Salt salt;
    for (std::size_t i = 0; i < salt.size(); ++i)
        salt[i] = uchar(i);
    return salt;
}

Vault::Nonce vectorNonce()
{
    Vault::Nonce nonce;
    for (std::size_t i = 0; i < nonce.size(); ++i)
        nonce[i] = uchar(0x20 + i);
    return nonce;
}

// Fixed-width records with distinct contents, so a swapped or dropped
// record would show up in the comparison.
QByteArray records(int count)
{
    QByteArray all(qsizetype(count) * kRecordSize, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        char* rec = all.data() + qsizetype(i) * kRecordSize;
        for (qsizetype j = 0; j < kRecordSize; ++j)
            rec[j] = char('a' + (i * 7 + j) % 26);
        const std::string tag = std::to_string(i);
        std::memcpy(rec, tag.data(), tag.size());
        rec[kRecordSize - 1] = '\n';
    }
    return all;
}

// Rewrites the params of an otherwise well-formed file, independently of the
// module's own header writer.
QByteArray withParams(QByteArray file, quint64 ops, quint64 mem)
{
    for (int i = 0; i < 8; ++i) {
        file[15 + i] = char((ops >> (8 * i)) & 0xff);
        file[23 + i] = char((mem >> (8 * i)) & 0xff);
    }
    return file;
}

Vault::VaultKey mustDerive(QByteArrayView password, const Params& params, const Vault::Salt& salt)
{
    auto key = Vault::deriveKey(password, params, salt);
    EXPECT_TRUE(key.has_value());
    return key ? std::move(*key) : Vault::VaultKey {};
}

Vault::VaultKey vectorKey()
{
    return mustDerive(kPasswordVector, Vault::minimumParams(), vectorSalt());
}

class VaultEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(Vault::init()); }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new VaultEnvironment);

} // namespace

// ---- format ----------------------------------------------------------------

TEST(VaultFormat, SealWithFixedNonceGivesIndependentlyComputedBytes)
{
    const auto key = vectorKey();
    const QByteArray file =
        Vault::TestSeam::sealWithNonce(vectorPlain(), key, Vault::minimumParams(), vectorSalt(), vectorNonce());
    EXPECT_EQ(file.toHex().toStdString(), vectorVault().toHex().toStdString());
}

TEST(VaultFormat, FixedVectorHeaderReadsBack)
{
    const auto check = Vault::readHeader(vectorVault());
    ASSERT_TRUE(check.ok()) << Vault::describe(check.damage);
    EXPECT_EQ(check.header.params, (Params {1, 8192}));
    EXPECT_EQ(check.header.salt, vectorSalt());
    EXPECT_EQ(check.header.nonce, vectorNonce());
}

TEST(VaultFormat, FixedVectorOpensToItsPlainText)
{
    const auto check = Vault::readHeader(vectorVault());
    ASSERT_TRUE(check.ok());
    const auto key = mustDerive(kPasswordVector, check.header.params, check.header.salt);
    QByteArray plain;
    ASSERT_EQ(Vault::open(vectorVault(), key, plain), OpenResult::Ok);
    EXPECT_EQ(plain, vectorPlain());
}

// ---- parameters ------------------------------------------------------------

TEST(VaultParams, WrittenParamsArePinned)
{
    // Changing these changes every new file and the unlock time; do it on
    // purpose and re-measure with vault_bench.
    EXPECT_EQ(Vault::writtenParams(), (Params {6, 134217728}));
}

TEST(VaultParams, MinimumParamsAreLibsodiumMinimums)
{
    EXPECT_EQ(Vault::minimumParams(), (Params {1, 8192}));
}

struct ParamsCase {
    const char* name;
    Params params;
};

class VaultParamsOutOfRange : public ::testing::TestWithParam<ParamsCase> { };

TEST_P(VaultParamsOutOfRange, RefusedAsDamageWithoutDeriving)
{
    const Params bad = GetParam().params;
    const QByteArray file = withParams(vectorVault(), bad.opsLimit, bad.memLimit);
    const auto key = vectorKey();
    const auto attemptsBefore = Vault::TestSeam::derivationAttempts();

    EXPECT_FALSE(Vault::acceptableParams(bad));
    const auto check = Vault::readHeader(file);
    EXPECT_EQ(check.damage, Damage::ParamsOutOfRange);
    EXPECT_FALSE(Vault::deriveKey(kPasswordVector, bad, vectorSalt()).has_value());
    QByteArray plain = "left over";
    EXPECT_EQ(Vault::open(file, key, plain), OpenResult::Damaged);
    EXPECT_TRUE(plain.isEmpty());
    EXPECT_TRUE(Vault::seal(vectorPlain(), key, bad, vectorSalt()).isEmpty());

    // Several of these would take minutes or exhaust memory if derived.
    EXPECT_EQ(Vault::TestSeam::derivationAttempts(), attemptsBefore);
}

static const Params kW = Vault::writtenParams();

INSTANTIATE_TEST_SUITE_P(Table, VaultParamsOutOfRange,
                         ::testing::Values(ParamsCase {"OpsZero", {0, 8192}}, ParamsCase {"MemZero", {1, 0}},
                                           ParamsCase {"MemOneBelowMin", {1, 8191}},
                                           ParamsCase {"OpsOneAboveFourTimes", {4 * kW.opsLimit + 1, kW.memLimit}},
                                           ParamsCase {"MemOneAboveFourTimes", {kW.opsLimit, 4 * kW.memLimit + 1}},
                                           ParamsCase {"OpsHuge", {kMaxU64, kW.memLimit}},
                                           ParamsCase {"MemHuge", {kW.opsLimit, kMaxU64}},
                                           ParamsCase {"BothHuge", {kMaxU64, kMaxU64}}),
                         [](const auto& info) { return std::string(info.param.name); });

class VaultParamsInRange : public ::testing::TestWithParam<ParamsCase> { };

TEST_P(VaultParamsInRange, HeaderAcceptedAsIs)
{
    const Params good = GetParam().params;
    const auto attemptsBefore = Vault::TestSeam::derivationAttempts();
    const auto check = Vault::readHeader(withParams(vectorVault(), good.opsLimit, good.memLimit));
    ASSERT_TRUE(check.ok()) << Vault::describe(check.damage);
    EXPECT_EQ(check.header.params, good);
    EXPECT_EQ(Vault::TestSeam::derivationAttempts(), attemptsBefore);
}

INSTANTIATE_TEST_SUITE_P(Table, VaultParamsInRange,
                         ::testing::Values(ParamsCase {"Minimum", {1, 8192}}, ParamsCase {"Written", kW},
                                           ParamsCase {"FourTimesWritten", {4 * kW.opsLimit, 4 * kW.memLimit}},
                                           ParamsCase {"MinOpsMaxMem", {1, 4 * kW.memLimit}},
                                           ParamsCase {"MaxOpsMinMem", {4 * kW.opsLimit, 8192}}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- damage ----------------------------------------------------------------

struct DamageCase {
    const char* name;
    QByteArray (*make)();
    Damage expected;
};

class VaultDamage : public ::testing::TestWithParam<DamageCase> { };

TEST_P(VaultDamage, RefusedBeforeDeriving)
{
    const QByteArray file = GetParam().make();
    const auto key = vectorKey();
    const auto attemptsBefore = Vault::TestSeam::derivationAttempts();

    EXPECT_EQ(Vault::readHeader(file).damage, GetParam().expected);
    QByteArray plain;
    EXPECT_EQ(Vault::open(file, key, plain), OpenResult::Damaged);
    EXPECT_TRUE(plain.isEmpty());
    EXPECT_EQ(Vault::TestSeam::derivationAttempts(), attemptsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VaultDamage,
    ::testing::Values(
        DamageCase {"Empty", [] { return QByteArray(); }, Damage::TooShort},
        DamageCase {"OneByte", [] { return QByteArray("V"); }, Damage::TooShort},
        DamageCase {"HeaderOnly", [] { return vectorVault().left(71); }, Damage::TooShort},
        DamageCase {"OneShortOfHeaderAndTag", [] { return vectorVault().left(86); }, Damage::TooShort},
        DamageCase {"OtherMagic", [] { return vectorVault().replace(0, 14, "VELLAMAR-VAULX"); }, Damage::BadMagic},
        DamageCase {"PlainListFile", [] { return QByteArray("mail.example.org\tuser\tsecret\n").repeated(4); },
                    Damage::BadMagic},
        DamageCase {"VersionZero", [] { return vectorVault().replace(14, 1, "\x00", 1); }, Damage::BadVersion},
        DamageCase {"VersionThree", [] { return vectorVault().replace(14, 1, "\x03", 1); }, Damage::BadVersion},
        DamageCase {"VersionFF", [] { return vectorVault().replace(14, 1, "\xff", 1); }, Damage::BadVersion}),
    [](const auto& info) { return std::string(info.param.name); });

// A reader of one version never takes the other's payload for its own: the
// header is fine, and the file is refused as damaged before any derivation.
TEST(VaultVersions, EachOpensOnlyAsTheVersionItCarries)
{
    const auto key = vectorKey();
    for (const quint8 version : {Vault::kVersion1, Vault::kVersion2}) {
        SCOPED_TRACE("version " + std::to_string(version));
        const QByteArray file = Vault::TestSeam::sealWithNonce(vectorPlain(), key, Vault::minimumParams(), vectorSalt(),
                                                               vectorNonce(), version);
        ASSERT_EQ(file.size(), vectorPlain().size() + kOverhead);
        EXPECT_EQ(file[14], char(version));
        const auto check = Vault::readHeader(file);
        ASSERT_TRUE(check.ok()) << Vault::describe(check.damage);
        EXPECT_EQ(check.header.version, version);

        const quint8 other = version == Vault::kVersion1 ? Vault::kVersion2 : Vault::kVersion1;
        const auto attemptsBefore = Vault::TestSeam::derivationAttempts();
        QByteArray plain = "left over";
        EXPECT_EQ(Vault::open(file, key, plain, other), OpenResult::Damaged);
        EXPECT_TRUE(plain.isEmpty());
        QByteArray inPlace = file;
        QByteArrayView view("stale");
        EXPECT_EQ(Vault::openInPlace(inPlace, key, &view, other), OpenResult::Damaged);
        EXPECT_EQ(inPlace, file);
        EXPECT_EQ(Vault::TestSeam::derivationAttempts(), attemptsBefore);

        ASSERT_EQ(Vault::open(file, key, plain, version), OpenResult::Ok);
        EXPECT_EQ(plain, vectorPlain());
    }
}

TEST(VaultVersions, TodaysCallersKeepWritingAndReadingVersionOne)
{
    const auto key = vectorKey();
    const QByteArray file = Vault::seal(vectorPlain(), key, Vault::minimumParams(), vectorSalt());
    EXPECT_EQ(Vault::readHeader(file).header.version, Vault::kVersion1);
    QByteArray plain;
    EXPECT_EQ(Vault::open(file, key, plain), OpenResult::Ok);
    const QByteArray second = Vault::seal(vectorPlain(), key, Vault::minimumParams(), vectorSalt(), Vault::kVersion2);
    EXPECT_EQ(Vault::open(second, key, plain), OpenResult::Damaged);
}

TEST(VaultVersions, AnUnknownVersionIsNeverSealed)
{
    const auto key = vectorKey();
    for (const quint8 version : {0, 3, 255})
        EXPECT_TRUE(Vault::seal(vectorPlain(), key, Vault::minimumParams(), vectorSalt(), version).isEmpty())
            << int(version);
}

// Both the independent vector and a file this module sealed itself, so a
// reader and writer that agree on a mistake cannot hide it.
enum class FlipSource { FixedVector, FreshlySealed };

class VaultEveryFlippedByte : public ::testing::TestWithParam<FlipSource> { };

TEST_P(VaultEveryFlippedByte, IsRefused)
{
    const auto key = vectorKey();
    const QByteArray original = GetParam() == FlipSource::FixedVector
                                    ? vectorVault()
                                    : Vault::seal(vectorPlain(), key, Vault::minimumParams(), vectorSalt());
    {
        QByteArray plain;
        ASSERT_EQ(Vault::open(original, key, plain), OpenResult::Ok);
        ASSERT_EQ(plain, vectorPlain());
    }
    int refusedAsDamage = 0;
    int refusedByAuthentication = 0;

    for (qsizetype i = 0; i < original.size(); ++i) {
        SCOPED_TRACE("byte " + std::to_string(i));
        QByteArray file = original;
        file[i] = char(file[i] ^ (1 << (i % 8)));

        // An application that still holds the key, e.g. reloading after save.
        QByteArray plain;
        EXPECT_NE(Vault::open(file, key, plain), OpenResult::Ok);
        EXPECT_TRUE(plain.isEmpty());

        // A fresh unlock, deriving from whatever the changed header says.
        const auto check = Vault::readHeader(file);
        if (!check.ok()) {
            ++refusedAsDamage;
            continue;
        }
        const auto fresh = mustDerive(kPasswordVector, check.header.params, check.header.salt);
        EXPECT_EQ(Vault::open(file, fresh, plain), OpenResult::WrongKeyOrChanged);
        EXPECT_TRUE(plain.isEmpty());
        ++refusedByAuthentication;
    }
    // Magic, version and most params bytes are caught by the header check;
    // the rest only by the tag.
    EXPECT_GT(refusedAsDamage, 0);
    EXPECT_GT(refusedByAuthentication, 0);
    EXPECT_EQ(refusedAsDamage + refusedByAuthentication, original.size());
}

INSTANTIATE_TEST_SUITE_P(Sources, VaultEveryFlippedByte,
                         ::testing::Values(FlipSource::FixedVector, FlipSource::FreshlySealed), [](const auto& info) {
                             return std::string(info.param == FlipSource::FixedVector ? "FixedVector"
                                                                                      : "FreshlySealed");
                         });

TEST(VaultDamage, TruncatedOrExtendedBodyIsRefused)
{
    const auto key = vectorKey();
    const QByteArray original = vectorVault();
    for (const QByteArray& file : {original.chopped(1), original + '\0', original.left(kOverhead)}) {
        QByteArray plain;
        EXPECT_EQ(Vault::open(file, key, plain), OpenResult::WrongKeyOrChanged) << file.size() << " bytes";
    }
}

// ---- keys ------------------------------------------------------------------

class VaultWrongPassword : public ::testing::TestWithParam<const char*> { };

TEST_P(VaultWrongPassword, IsRefused)
{
    const auto check = Vault::readHeader(vectorVault());
    ASSERT_TRUE(check.ok());
    const auto key = mustDerive(GetParam(), check.header.params, check.header.salt);
    EXPECT_FALSE(Vault::sameKey(key, vectorKey()));
    QByteArray plain = "left over";
    EXPECT_EQ(Vault::open(vectorVault(), key, plain), OpenResult::WrongKeyOrChanged);
    EXPECT_TRUE(plain.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, VaultWrongPassword,
                         ::testing::Values("", "correct hors", "correct horse ", "Correct horse", "correct horse\x80",
                                           "correct\xa0horse"));

TEST(VaultKeys, SamePasswordAndSaltGiveTheSameKey)
{
    EXPECT_TRUE(Vault::sameKey(vectorKey(), vectorKey()));
}

TEST(VaultKeys, OtherSaltGivesAnotherKeyThatCannotOpen)
{
    Vault::Salt other = vectorSalt();
    other[0] ^= 1;
    const auto key = mustDerive(kPasswordVector, Vault::minimumParams(), other);
    EXPECT_FALSE(Vault::sameKey(key, vectorKey()));
    QByteArray plain;
    EXPECT_EQ(Vault::open(vectorVault(), key, plain), OpenResult::WrongKeyOrChanged);
}

TEST(VaultKeys, EmptyKeyIsRefusedEverywhere)
{
    auto key = vectorKey();
    ASSERT_TRUE(key.isValid());
    Vault::VaultKey moved = std::move(key);
    EXPECT_TRUE(moved.isValid());
    EXPECT_FALSE(key.isValid()); // NOLINT(bugprone-use-after-move): checking exactly that

    EXPECT_FALSE(Vault::sameKey(key, moved));
    EXPECT_FALSE(Vault::sameKey(key, key));
    EXPECT_TRUE(Vault::seal("x", key, Vault::minimumParams(), vectorSalt()).isEmpty());
    QByteArray plain;
    EXPECT_EQ(Vault::open(vectorVault(), key, plain), OpenResult::WrongKeyOrChanged);
    EXPECT_EQ(Vault::open(vectorVault(), moved, plain), OpenResult::Ok);
}

TEST(VaultKeys, EmptyPasswordStillDerives)
{
    // Refusing empty master passwords is the caller's policy, not the format's.
    EXPECT_TRUE(Vault::deriveKey({}, Vault::minimumParams(), vectorSalt()).has_value());
}

TEST(VaultKeys, DerivationIsCounted)
{
    const auto before = Vault::TestSeam::derivationAttempts();
    const auto key = vectorKey();
    EXPECT_EQ(Vault::TestSeam::derivationAttempts(), before + 1);
}

TEST(VaultKeys, FreshSaltsDiffer)
{
    EXPECT_NE(Vault::newSalt(), Vault::newSalt());
}

// ---- round trips -----------------------------------------------------------

class VaultRoundTrip : public ::testing::TestWithParam<int> { };

TEST_P(VaultRoundTrip, SealThenOpenGivesTheRecordsBack)
{
    const QByteArray plainIn = records(GetParam());
    const Vault::Salt salt = Vault::newSalt();
    const auto key = mustDerive("correct horse", Vault::minimumParams(), salt);

    const QByteArray file = Vault::seal(plainIn, key, Vault::minimumParams(), salt);
    ASSERT_EQ(file.size(), plainIn.size() + kOverhead);

    const auto check = Vault::readHeader(file);
    ASSERT_TRUE(check.ok()) << Vault::describe(check.damage);
    EXPECT_EQ(check.header.params, Vault::minimumParams());
    EXPECT_EQ(check.header.salt, salt);

    QByteArray plainOut;
    ASSERT_EQ(Vault::open(file, key, plainOut), OpenResult::Ok);
    EXPECT_EQ(plainOut.size(), plainIn.size());
    EXPECT_TRUE(plainOut == plainIn);
    if (!plainOut.isEmpty()) { // one exact allocation, so wiping reaches it all
        EXPECT_EQ(plainOut.capacity(), plainOut.size());
    }

    Vault::wipe(plainOut);
    EXPECT_TRUE(plainOut.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Records, VaultRoundTrip, ::testing::Values(0, 1, 297, 100000));

TEST(VaultSeal, EverySaveTakesAFreshNonce)
{
    const auto key = vectorKey();
    const QByteArray a = Vault::seal(vectorPlain(), key, Vault::minimumParams(), vectorSalt());
    const QByteArray b = Vault::seal(vectorPlain(), key, Vault::minimumParams(), vectorSalt());
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_NE(Vault::readHeader(a).header.nonce, Vault::readHeader(b).header.nonce);
    EXPECT_NE(a, b);
    for (const QByteArray& file : {a, b}) {
        QByteArray plain;
        EXPECT_EQ(Vault::open(file, key, plain), OpenResult::Ok);
        EXPECT_EQ(plain, vectorPlain());
    }
}

// ---- opening in place --------------------------------------------------------

struct InPlaceCase {
    const char* name;
    const char* password;
    qsizetype flippedByte; // -1: none
    OpenResult expected;
};

class VaultOpenInPlace : public ::testing::TestWithParam<InPlaceCase> { };

TEST_P(VaultOpenInPlace, ARefusedFileIsLeftAsItWas)
{
    const InPlaceCase& c = GetParam();
    QByteArray original = vectorVault();
    if (c.flippedByte >= 0)
        original[c.flippedByte] = char(original[c.flippedByte] ^ 0x01);
    const auto check = Vault::readHeader(vectorVault());
    ASSERT_TRUE(check.ok());
    const auto key = mustDerive(c.password, check.header.params, check.header.salt);

    QByteArray file(original.constData(), original.size()); // an owner of its own, as read from disk
    QByteArrayView plain("stale");
    EXPECT_EQ(Vault::openInPlace(file, key, &plain), c.expected);
    EXPECT_TRUE(plain.isEmpty());
    EXPECT_EQ(file, original);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VaultOpenInPlace,
    ::testing::Values(InPlaceCase {"WrongPassword", "wrong horse", -1, OpenResult::WrongKeyOrChanged},
                      InPlaceCase {"ChangedRecord", kPasswordVector, qsizetype(Vault::kHeaderSize) + 3,
                                   OpenResult::WrongKeyOrChanged},
                      InPlaceCase {"ChangedTag", kPasswordVector, qsizetype(sizeof(kVaultHex) / 2 - 2),
                                   OpenResult::WrongKeyOrChanged},
                      InPlaceCase {"ChangedNonce", kPasswordVector, qsizetype(Vault::kHeaderSize) - 1,
                                   OpenResult::WrongKeyOrChanged},
                      InPlaceCase {"DamagedMagic", kPasswordVector, 0, OpenResult::Damaged}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VaultOpenInPlace, AnOpenedFileViewsItsRecordsInClear)
{
    QByteArray file = vectorVault();
    QByteArrayView plain;
    ASSERT_EQ(Vault::openInPlace(file, vectorKey(), &plain), OpenResult::Ok);
    EXPECT_EQ(plain.toByteArray(), vectorPlain());
    EXPECT_EQ(plain.data(), file.constData() + Vault::kHeaderSize) << "the records live in file, wiped with it";
    EXPECT_EQ(file.left(qsizetype(Vault::kHeaderSize)), vectorVault().left(qsizetype(Vault::kHeaderSize)));
}
