#include "core/transfer/csvwriter.h"
#include "support/tempappdir.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

namespace {

const QByteArray kCsvHeaderRow = "site,username,password\r\n";

Listing sealedListing(const char16_t* site, const char16_t* user, const char16_t* password)
{
    return {QString::fromUtf16(site), QString::fromUtf16(user), QString::fromUtf16(password), ListingStamp::fresh(0)};
}

struct CsvRowCase {
    const char* name;
    Listing listing;
    QByteArray row; // the bytes after the header row
};

class CsvWriterRow : public ::testing::TestWithParam<CsvRowCase> { };

TEST_P(CsvWriterRow, IsWrittenAsExpected)
{
    const SecretBytes csv = CsvWriter::write({GetParam().listing});
    EXPECT_EQ(csv.bytes(), kCsvHeaderRow + GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CsvWriterRow,
    ::testing::Values(
        CsvRowCase {"plain", sealedListing(u"www.a.com", u"ann", u"pw1"), "www.a.com,ann,pw1\r\n"},
        CsvRowCase {"comma", sealedListing(u"a,b", u"ann", u",pw,"), "\"a,b\",ann,\",pw,\"\r\n"},
        CsvRowCase {"quotes doubled", sealedListing(u"say \"hi\"", u"\"", u"a\"\"b"),
                    "\"say \"\"hi\"\"\",\"\"\"\",\"a\"\"\"\"b\"\r\n"},
        CsvRowCase {"line breaks kept inside quotes", sealedListing(u"a\r\nb", u"c\nd", u"e\rf"),
                    "\"a\r\nb\",\"c\nd\",\"e\rf\"\r\n"},
        CsvRowCase {"spaces at the ends", sealedListing(u" lead", u"trail ", u" "), "\" lead\",\"trail \",\" \"\r\n"},
        CsvRowCase {"spaces inside and other blanks unquoted", sealedListing(u"a b", u"\tuser", u"pw\u00a0"),
                    "a b,\tuser,pw\xc2\xa0\r\n"},
        CsvRowCase {"semicolons need no quotes", sealedListing(u"a;b", u"c", u"d"), "a;b,c,d\r\n"},
        CsvRowCase {"empty fields", sealedListing(u"site", u"", u""), "site,,\r\n"},
        CsvRowCase {"all empty", sealedListing(u"", u"", u""), ",,\r\n"},
        CsvRowCase {"non-Latin text as UTF-8", sealedListing(u"пример.рф", u"用户", u"🔑κωδικός"),
                    "\xd0\xbf\xd1\x80\xd0\xb8\xd0\xbc\xd0\xb5\xd1\x80.\xd1\x80\xd1\x84,\xe7\x94\xa8\xe6\x88\xb7,"
                    "\xf0\x9f\x94\x91\xce\xba\xcf\x89\xce\xb4\xce\xb9\xce\xba\xcf\x8c\xcf\x82\r\n"},
        CsvRowCase {"non-Latin text quoted", sealedListing(u"日本, 東京", u"ü\"", u"x"),
                    "\"\xe6\x97\xa5\xe6\x9c\xac, \xe6\x9d\xb1\xe4\xba\xac\",\"\xc3\xbc\"\"\",x\r\n"},
        CsvRowCase {"a lone surrogate becomes U+FFFD", sealedListing(u"a\xd800", u"u", u"p"), "a\xef\xbf\xbd,u,p\r\n"},
        CsvRowCase {"the list file's pad spaces dropped",
                    Listing {QStringLiteral(" www.a.com   "), QStringLiteral("ann    "), QStringLiteral("pw     ")},
                    "\" www.a.com\",ann,pw\r\n"},
        CsvRowCase {"a sealed listing keeps its trailing spaces", sealedListing(u"www.a.com", u"ann", u"pw  "),
                    "www.a.com,ann,\"pw  \"\r\n"}),
    [](const ::testing::TestParamInfo<CsvRowCase>& info) {
        QString name = QString::fromLatin1(info.param.name);
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
        return name.toStdString();
    });

TEST(CsvWriter, AnEmptyListIsTheHeaderRowAlone)
{
    EXPECT_EQ(CsvWriter::write({}).bytes(), kCsvHeaderRow);
}

TEST(CsvWriter, RowsFollowInTheListsOrderWithNoByteOrderMark)
{
    const SecretBytes csv = CsvWriter::write({sealedListing(u"b", u"2", u"y"), sealedListing(u"a", u"1", u"x,")});
    EXPECT_EQ(csv.bytes(), kCsvHeaderRow + "b,2,y\r\na,1,\"x,\"\r\n");
    EXPECT_TRUE(csv.bytes().startsWith("site,")) << "no byte-order mark";
}

} // namespace
