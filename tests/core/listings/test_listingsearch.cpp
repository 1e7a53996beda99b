#include "core/listings/listingsearch.h"
#include "support/tempappdir.h"

#include <QList>

#include <array>

namespace {

using ListingSearch::Fields;

// Listings as the grid holds them: loaded ones keep their pad spaces.
struct Row {
    QString site, user, password;
};

const QList<Row> kRows = {
    {QString("www.Example.com").leftJustified(75), QString("alice").leftJustified(20), "secretword"},
    {"Mail program", "Bob", "example"},
    {"www.bank.org", "carol", "pw"},
    {QString::fromUtf16(u"www.cut\0example.net", 19), "dave", "x"},
    {"Games", QString::fromUtf16(u"erin\0Example", 12), "y"},
};

std::optional<ListingSearch::Found> find(const QString& typed, int current, const QList<Row>& rows = kRows)
{
    return ListingSearch::findNext(ListingSearch::searchText(typed), int(rows.size()), current, [&rows](int row) {
        const Row& r = rows.at(row - 1);
        return Fields {r.site, r.user};
    });
}

TEST(ListingSearch, FindsTheNextListingAndWraps)
{
    const struct {
        const char* typed;
        int current;
        int row; // 0: none found
        int column;
    } cases[] = {
        {"example", 0, 1, 1}, // no current row: from row 1
        {"example", 1, 1, 1}, // wraps past the end back to the current row itself
        {"EXAMPLE", 5, 1, 1}, // ignores case; after the last row comes row 1
        {"bob", 1, 2, 2}, // a user name
        {"o", 2, 3, 1}, // from the row after the current one
        {"o", 3, 1, 1}, // rows 4 and 5 hold no "o" before their NULs
        {"cut", 0, 4, 1}, // text before a NUL counts
        {"  bank  ", 1, 3, 1}, // the typed text is trimmed
        {"secret", 0, 0, 0}, // passwords are never searched
        {"pw", 0, 0, 0},       {"exa", 3, 1, 1}, // text after a NUL does not count
        {"erin", 0, 5, 2},     {"", 0, 0, 0}, // nothing typed: nothing found
        {"   ", 2, 0, 0},      {"www.", 7, 1, 1}, // a current row past the end counts as none
        {"com ", 0, 1, 1}, // "com" after trimming
    };
    for (const auto& c : cases) {
        const auto found = find(c.typed, c.current);
        SCOPED_TRACE(std::string(c.typed) + " after row " + std::to_string(c.current));
        if (c.row == 0) {
            EXPECT_FALSE(found.has_value());
            continue;
        }
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->row, c.row);
        EXPECT_EQ(found->column, c.column);
    }
}

TEST(ListingSearch, EmptyListFindsNothing)
{
    EXPECT_FALSE(find("a", 0, {}).has_value());
}

TEST(ListingSearch, SearchTextIsTrimmedOfSpacesOnly)
{
    EXPECT_EQ(ListingSearch::searchText("  a b  "), QStringLiteral("a b"));
    EXPECT_EQ(ListingSearch::searchText("\tx\t"), QStringLiteral("\tx\t"));
    EXPECT_EQ(ListingSearch::searchText(QString::fromUtf16(u" ab\0cd", 6)), QStringLiteral("ab"));
}

TEST(ListingSearch, IgnoresCaseBeyondAscii)
{
    const QString site = QString::fromUtf16(u"Caf\u00e9 \u00dcbersee");
    const QString user = QString::fromUtf16(u"\u00c5sa");
    const struct {
        QString text;
        int column;
    } cases[] = {
        {QString::fromUtf16(u"\u00fcBER"), 1},
        {QString::fromUtf16(u"CAF\u00c9"), 1},
        {QString::fromUtf16(u"\u00e5SA"), 2},
        {"cafe", 0},
        {"sa", 2},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListingSearch::matchingColumn({site, user}, c.text), c.column) << qPrintable(c.text);
}

} // namespace
