#include "core/transfer/csvreader.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Each record as "line:field|field|...".
QStringList shownRecords(const CsvReader::Table& table)
{
    QStringList shown;
    for (const CsvReader::Record& record : table.records)
        shown.append(QStringLiteral("%1:%2").arg(record.line).arg(record.fields.join(u'|')));
    return shown;
}

TEST(CsvReaderTest, ReadsTheTrickyCases)
{
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList records; // as shownRecords gives them
        char separator;
        const char* error; // a part of the error; nullptr: read
    } cases[] = {
        {"plain, LF", "a,b,c\n1,2,3\n", {"1:a|b|c", "2:1|2|3"}, ',', nullptr},
        {"CRLF", "a,b\r\n1,2\r\n", {"1:a|b", "2:1|2"}, ',', nullptr},
        {"a last line without end", "a,b\n1,2", {"1:a|b", "2:1|2"}, ',', nullptr},
        {"lone CR ends lines", "a,b\r1,2\r", {"1:a|b", "2:1|2"}, ',', nullptr},
        {"quoted separator", "a,b\n\"x,y\",z\n", {"1:a|b", "2:x,y|z"}, ',', nullptr},
        {"doubled quotes", "a\n\"say \"\"hi\"\"\"\n", {"1:a", "2:say \"hi\""}, ',', nullptr},
        {"an empty quoted field", "a,b\n\"\",x\n", {"1:a|b", "2:|x"}, ',', nullptr},
        {"line breaks inside quotes count as lines",
         "a,b\n\"one\ntwo\",\"x\r\ny\"\nlast,row\n",
         {"1:a|b", "2:one\ntwo|x\r\ny", "5:last|row"},
         ',',
         nullptr},
        {"byte-order mark", "\xEF\xBB\xBFsite,user\nx,y\n", {"1:site|user", "2:x|y"}, ',', nullptr},
        {"semicolons from the header", "a;b;c\n1,5;2;3\n", {"1:a|b|c", "2:1,5|2|3"}, ';', nullptr},
        {"quoted semicolons do not decide", "\"a;b;c\",d\n1,2\n", {"1:a;b;c|d", "2:1|2"}, ',', nullptr},
        {"empty rows left out, lines still counted",
         "a,b\n\n1,2\n\r\n3,4\n",
         {"1:a|b", "3:1|2", "5:3|4"},
         ',',
         nullptr},
        {"empty fields kept", "a,b,c\n,,\n1,,\n", {"1:a|b|c", "2:||", "3:1||"}, ',', nullptr},
        {"a trailing separator at the end", "a,b\n1,", {"1:a|b", "2:1|"}, ',', nullptr},
        {"spaces kept as they are", "a,b\n  x , y \n", {"1:a|b", "2:  x | y "}, ',', nullptr},
        {"text after a closing quote kept", "a\n\"x\"y\n", {"1:a", "2:xy"}, ',', nullptr},
        {"non-Latin text",
         "site,user\n\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80,\xE6\x97\xA5\xE6\x9C\xAC\n",
         {"1:site|user",
          QString::fromUtf8("2:\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80|\xE6\x97\xA5\xE6\x9C\xAC")},
         ',',
         nullptr},
        {"nothing", "", {}, ',', nullptr},
        {"unterminated quote", "a,b\n1,2\n\"open,3\n4,5\n", {}, ',', "begins on line 3 has no closing quote"},
        {"invalid UTF-8", "a,b\n1,2\n\xC3\x28,x\n", {}, ',', "Line 3 is not UTF-8"},
        {"Latin-1 bytes", "a,b\ncaf\xE9,x\n", {}, ',', "Line 2 is not UTF-8"},
        {"NUL byte", QByteArray("a,b\n1,2\n3\0,4\n", 13), {}, ',', "Line 3 holds a NUL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CsvReader::Table table = CsvReader::read(c.bytes);
        if (c.error) {
            EXPECT_TRUE(table.error.contains(QLatin1String(c.error))) << table.error.toStdString();
            EXPECT_TRUE(table.records.isEmpty());
            continue;
        }
        EXPECT_TRUE(table.ok()) << table.error.toStdString();
        EXPECT_EQ(shownRecords(table), c.records);
        EXPECT_EQ(table.separator, c.separator);
    }
}

// 50,000 rows of 200 bytes: 10 MB, as a large export would be (its speed
// is measured in the benchmarks).
TEST(CsvReaderTest, ReadsTenMegabytesWhole)
{
    QByteArray bytes = "url,username,password,notes\r\n";
    bytes.reserve(10'500'000);
    const QByteArray note(150, 'n');
    for (int row = 0; row < 50'000; ++row)
        bytes += "https://site" + QByteArray::number(row) + ".example,user" + QByteArray::number(row) + ",\"p,w\"\""
                 + QByteArray::number(row) + "\"," + note + "\r\n";
    ASSERT_GE(bytes.size(), 10'000'000);
    const CsvReader::Table table = CsvReader::read(bytes);
    ASSERT_TRUE(table.ok());
    ASSERT_EQ(table.records.size(), 50'001);
    EXPECT_EQ(table.records.back().fields.value(2), "p,w\"49999");
    EXPECT_EQ(table.records.back().line, 50'001);
}

} // namespace
