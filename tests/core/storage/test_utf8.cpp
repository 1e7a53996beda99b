#include "core/storage/utf8.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <string>

namespace {

QByteArray encodedByUtf8(QStringView text)
{
    const qsizetype size = Utf8::encodedSize(text, Utf8::Unpaired::Replace);
    QByteArray out(size, Qt::Uninitialized);
    const char* end = Utf8::encode(text, out.data());
    EXPECT_EQ(end, out.constData() + size) << "encode wrote another size than encodedSize said";
    return out;
}

struct Utf8TextCase {
    const char* name;
    const char16_t* text;
};

class Utf8Encode : public ::testing::TestWithParam<Utf8TextCase> { };

// Qt's converter, a separate implementation, is the reference for
// well-formed text; the strict check must accept everything it writes.
TEST_P(Utf8Encode, MatchesQtAndPassesTheCheck)
{
    const QString text = QString::fromUtf16(GetParam().text);
    const QByteArray ours = encodedByUtf8(text);
    EXPECT_EQ(ours.toHex().toStdString(), text.toUtf8().toHex().toStdString());
    EXPECT_EQ(Utf8::encodedSize(text, Utf8::Unpaired::Refuse), ours.size());
    EXPECT_TRUE(Utf8::isValid(ours));
    EXPECT_EQ(QString::fromUtf8(ours), text);
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8Encode,
                         ::testing::Values(Utf8TextCase {"Empty", u""}, Utf8TextCase {"Ascii", u"plain ascii 123"},
                                           Utf8TextCase {"TwoByteEdges", u"\u0080\u07ff\u00e9\u0141"},
                                           Utf8TextCase {"ThreeByteEdges", u"\u0800\uffff\ufffe\u6771\u4eac"},
                                           Utf8TextCase {"FourByteEdges", u"\U00010000\U0010FFFF\U0001F511"},
                                           Utf8TextCase {"CombiningMarks", u"e\u0301a\u030a\u1100\u1161"},
                                           Utf8TextCase {"LongAsciiRunThenCjk", u"abcdefghijklmnopq\u6771xyz"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Utf8LoneCase {
    const char* name;
    QString text;
    const char* replacedHex;
};

class Utf8LoneSurrogate : public ::testing::TestWithParam<Utf8LoneCase> { };

TEST_P(Utf8LoneSurrogate, RefusedOrReplaced)
{
    const Utf8LoneCase& c = GetParam();
    EXPECT_EQ(Utf8::encodedSize(c.text, Utf8::Unpaired::Refuse), -1);
    const QByteArray replaced = encodedByUtf8(c.text);
    EXPECT_EQ(replaced.toHex().toStdString(), c.replacedHex);
    EXPECT_TRUE(Utf8::isValid(replaced));
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8LoneSurrogate,
                         ::testing::Values(Utf8LoneCase {"HighAtEnd", QString(QChar(0xD83D)), "efbfbd"},
                                           Utf8LoneCase {"LowAlone", QStringLiteral("a") + QChar(0xDC00), "61efbfbd"},
                                           Utf8LoneCase {"HighBeforeAscii", QString(QChar(0xD800)) + u'b', "efbfbd62"},
                                           Utf8LoneCase {"SwappedPair", QString(QChar(0xDC00)) + QChar(0xD800),
                                                         "efbfbdefbfbd"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Utf8BytesCase {
    const char* name;
    const char* hex;
    bool valid;
};

class Utf8Check : public ::testing::TestWithParam<Utf8BytesCase> { };

TEST_P(Utf8Check, AcceptsOnlyWellFormedBytes)
{
    const QByteArray bytes = QByteArray::fromHex(GetParam().hex);
    EXPECT_EQ(Utf8::isValid(bytes), GetParam().valid);
    // The same bytes after a run long enough for the eight-byte steps.
    EXPECT_EQ(Utf8::isValid(QByteArray(17, 'a') + bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf8Check,
    ::testing::Values(
        Utf8BytesCase {"Empty", "", true}, Utf8BytesCase {"Nul", "00", true}, Utf8BytesCase {"Del", "7f", true},
        Utf8BytesCase {"SmallestTwoByte", "c280", true}, Utf8BytesCase {"LargestTwoByte", "dfbf", true},
        Utf8BytesCase {"SmallestThreeByte", "e0a080", true}, Utf8BytesCase {"LastBeforeSurrogates", "ed9fbf", true},
        Utf8BytesCase {"FirstAfterSurrogates", "ee8080", true}, Utf8BytesCase {"Nonchar", "efbfbf", true},
        Utf8BytesCase {"SmallestFourByte", "f0908080", true}, Utf8BytesCase {"LargestCodePoint", "f48fbfbf", true},
        Utf8BytesCase {"StrayContinuation", "80", false}, Utf8BytesCase {"ContinuationAfterAscii", "61bf", false},
        Utf8BytesCase {"OverlongSlash", "c0af", false}, Utf8BytesCase {"OverlongNul", "c080", false},
        Utf8BytesCase {"OverlongC1", "c1bf", false}, Utf8BytesCase {"OverlongThreeByte", "e080af", false},
        Utf8BytesCase {"OverlongFourByte", "f08080af", false}, Utf8BytesCase {"HighSurrogate", "eda080", false},
        Utf8BytesCase {"LowSurrogate", "edbfbf", false}, Utf8BytesCase {"PastLastCodePoint", "f4908080", false},
        Utf8BytesCase {"LeadF5", "f5808080", false}, Utf8BytesCase {"LeadFF", "ff", false},
        Utf8BytesCase {"TwoByteCutShort", "c3", false}, Utf8BytesCase {"ThreeByteCutShort", "e69d", false},
        Utf8BytesCase {"FourByteCutShort", "f09f94", false}, Utf8BytesCase {"AsciiInsideSequence", "e661b1", false},
        Utf8BytesCase {"LeadInsteadOfContinuation", "e6c3a9", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
