#include "core/transfer/importplan.h"
#include "core/transfer/importsource.h"
#include "core/transfer/csvwriter.h"
#include "core/storage/secretbytes.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using ImportFormats::Kind;
using Format = ListingRules::Format;

QStringList shownListings(const QList<Listing>& listings)
{
    QStringList shown;
    for (const Listing& l : listings)
        shown.append(l.site + u'|' + l.user + u'|' + l.password);
    return shown;
}

QStringList shownRefused(const QList<ImportPlan::Refused>& refused)
{
    QStringList shown;
    for (const ImportPlan::Refused& r : refused)
        shown.append(QStringLiteral("%1:%2:%3").arg(r.line).arg(r.site, r.reason));
    return shown;
}

QStringList shownNotTaken(const QList<ImportPlan::NotTaken>& columns)
{
    QStringList shown;
    for (const ImportPlan::NotTaken& c : columns)
        shown.append(QStringLiteral("%1=%2").arg(c.column).arg(c.rows));
    return shown;
}

struct Counts {
    int alreadyInList = 0;
    int repeatedInFile = 0;
    int notLogins = 0;
    int empty = 0;
    friend bool operator==(const Counts&, const Counts&) = default;
};

void PrintTo(const Counts& c, std::ostream* out)
{
    *out << "inList " << c.alreadyInList << ", repeated " << c.repeatedInFile << ", notLogins " << c.notLogins
         << ", empty " << c.empty;
}

const QString kLongSite = QString(76, u's');

TEST(ImportPlanTest, TakesEachKindOfFile)
{
    const struct {
        const char* name;
        QByteArray bytes;
        Format format;
        QList<Listing> current;
        Kind kind;
        QStringList added;
        Counts counts;
        QStringList refused; // "line:site:reason"
        QStringList notTaken; // "column=rows"
    } cases[] = {
        {"group and title entries",
         "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last Modified\","
         "\"Created\"\n"
         "\"Root\",\"Bank\",\"alice\",\"pw1\",\"https://bank.example\",\"two\nlines\",\"\",\"0\",\"2024\",\"2023\"\n"
         "\"Root/Mail\",\"Mail\",\"bob\",\"pw2\",\"\",\"\",\"otpauth://totp/x\",\"0\",\"2024\",\"2023\"\n",
         Format::ListFile,
         {},
         Kind::TitledEntries,
         {"https://bank.example|alice|pw1", "Mail|bob|pw2"},
         {},
         {},
         {"Group=2", "Notes=1", "TOTP=1", "Title=1"}},
        {"typed items: other types skipped, the first of several addresses",
         "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n"
         "Mail,1,login,Mail,,,0,\"https://mail.example\nhttps://old.example\",carol,pw3,\n"
         ",,note,Secret note,text,,0,,,,\n"
         ",,card,Visa,,,0,,,,\n"
         ",,login,Shop,,\"pin: 1234\",0,\" https://shop.example , https://b.example\",dan,pw4,JBSWY3DP\n"
         ",,login,,,,0,,,,\n"
         ",,login,Router,,,0,,admin,pw5,\n",
         Format::ListFile,
         {},
         Kind::TypedItems,
         {"https://mail.example|carol|pw3", "https://shop.example|dan|pw4", "Router|admin|pw5"},
         {0, 0, 2, 1},
         {},
         {"folder=1", "notes=0", "fields=1", "login_totp=1", "name=2"}},
        {"named logins, byte-order mark and CRLF",
         "\xEF\xBB\xBFname,url,username,password,note\r\n"
         "example.com,https://example.com/,erin,pw6,\r\n"
         "Forum,,frank,\"p,w\"\"7\",my forum\r\n",
         Format::ListFile,
         {},
         Kind::NamedLogins,
         {"https://example.com/|erin|pw6", "Forum|frank|p,w\"7"},
         {},
         {},
         {"note=1", "name=1"}},
        {"realm logins: bookkeeping columns not named",
         "\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\",\"timeCreated\","
         "\"timeLastUsed\",\"timePasswordChanged\"\n"
         "\"https://a.example\",\"gina\",\"pw8\",,\"https://a.example\",\"{1}\",\"1\",\"2\",\"3\"\n",
         Format::ListFile,
         {},
         Kind::RealmLogins,
         {"https://a.example|gina|pw8"},
         {},
         {},
         {}},
        {"a spreadsheet with semicolons, columns guessed by name",
         "Site;Login;Passwort;Kommentar\nwww.b.example;hans;pw9;old\n  ;  ;  \n",
         Format::ListFile,
         {},
         Kind::Generic,
         {"www.b.example|hans|pw9"},
         {0, 0, 0, 1},
         {},
         {"Kommentar=1"}},
        {"long fields, described format",
         "url,username,password,httpRealm\n" + kLongSite.toLatin1() + ",u,p,\nsite2," + QByteArray(21, 'u')
             + ",p,\nsite3,u," + QByteArray(16, 'p') + ",\nsite4,\xC5\x82ukasz,p,\n" + "site5," + QByteArray(20, 'u')
             + "," + QByteArray(15, 'p') + ",\n",
         Format::ListFile,
         {},
         Kind::RealmLogins,
         {"site5|" + QString(20, u'u') + u'|' + QString(15, u'p')},
         {},
         {"2:" + kLongSite + ":site longer than 75 characters", "3:site2:user name longer than 20 characters",
          "4:site3:password longer than 15 characters",
          QString::fromUtf8("5:site4:user name holds \"\xC5\x82\", which is not in Windows-1252")},
         {}},
        {"long fields, strong protection",
         "url,username,password,httpRealm\n" + kLongSite.toLatin1() + ",u,p,\nsite3,u," + QByteArray(1025, 'p') + ",\n",
         Format::Sealed,
         {},
         Kind::RealmLogins,
         {kLongSite + "|u|p"},
         {},
         {"3:site3:password longer than 1024 bytes"},
         {}},
        {"non-Latin text, strong protection",
         "name,url,username,password\n\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80,,\xE6\x97\xA5\xE6\x9C\xAC,"
         "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C\n",
         Format::Sealed,
         {},
         Kind::NamedLogins,
         {QString::fromUtf8("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80|\xE6\x97\xA5\xE6\x9C\xAC|"
                            "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C")},
         {},
         {},
         {}},
        {"non-Latin text, described format",
         "name,url,username,password\n\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80,,u,p\n",
         Format::ListFile,
         {},
         Kind::NamedLogins,
         {},
         {},
         {QString::fromUtf8("2:\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80:site holds \"\xD0\xBF\", which is "
                            "not in Windows-1252")},
         {}},
        {"duplicates in the list (pad spaces aside) and in the file",
         "url,username,password,httpRealm\nsite1,user1,pw1,\n x , y , z ,\nx,y,z,\nx,y,Z,\n",
         Format::ListFile,
         {{QStringLiteral("site1    "), QStringLiteral("user1 "), QStringLiteral("pw1"), {}}},
         Kind::RealmLogins,
         {"x|y|z", "x|y|Z"},
         {1, 1, 0, 0},
         {},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportSource::Source source = ImportSource::examine(c.bytes);
        ASSERT_TRUE(source.ok()) << source.error.toStdString();
        EXPECT_EQ(source.recognised.kind, c.kind);
        const ImportPlan::Plan plan =
            ImportPlan::make(source.table.records, source.recognised.mapping, c.current, c.format);
        EXPECT_EQ(shownListings(plan.toAdd), c.added);
        EXPECT_EQ((Counts {plan.alreadyInList, plan.repeatedInFile, plan.notLogins, plan.empty}), c.counts);
        EXPECT_EQ(shownRefused(plan.refused), c.refused);
        EXPECT_EQ(shownNotTaken(plan.notTaken), c.notTaken);
    }
}

TEST(ImportPlanTest, RefusesWhatIsNoCsvFile)
{
    const struct {
        const char* name;
        QByteArray bytes;
        const char* error; // a part of it
    } cases[] = {
        {"empty", "", "it is empty"},
        {"empty lines only", "\n\r\n\n", "no header row"},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "Line 3 holds a NUL"},
        {"not UTF-8", "a,b\n\xFF\xFE,x\n", "Line 2 is not UTF-8"},
        {"a single column", "Dear diary\nToday I\n", "not a header row of several columns"},
        {"a quote left open", "a,b\n\"x,y\n", "begins on line 2 has no closing quote"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportSource::Source source = ImportSource::examine(c.bytes);
        EXPECT_TRUE(source.error.contains(QLatin1String(c.error))) << source.error.toStdString();
        EXPECT_TRUE(source.table.records.isEmpty());
    }
}

TEST(ImportPlanTest, AGenericMappingTakesTheChosenColumns)
{
    const QStringList header = {"Account", "Who", "Secret", "Memo"};
    const ImportFormats::Mapping mapping = ImportFormats::chosen(header, -1, 1, 2);
    const QList<CsvReader::Record> records = {{1, header}, {2, {"bank", "me", "pw", "x"}}};
    const ImportPlan::Plan plan = ImportPlan::make(records, mapping, {}, Format::ListFile);
    EXPECT_EQ(shownListings(plan.toAdd), QStringList {"|me|pw"});
    EXPECT_EQ(shownNotTaken(plan.notTaken), (QStringList {"Account=1", "Memo=1"}));
    EXPECT_EQ(ImportFormats::describe(header, mapping), "no site, user name from \"Who\", password from \"Secret\"");
}

// A large export: 50,000 rows, 10 MB, made here.
TEST(ImportPlanTest, TakesFiftyThousandRowsOfTenMegabytes)
{
    QByteArray bytes = "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,"
                       "login_totp\n";
    const QByteArray notes(140, 'n');
    for (int row = 0; row < 50'000; ++row) {
        const QByteArray n = QByteArray::number(row);
        bytes += "Work,,login,Site " + n + "," + notes + ",,0,https://site" + n + ".example/login,user" + n
                 + ",\"pw\"\"" + n + "\",\n";
    }
    ASSERT_GE(bytes.size(), 10'000'000);
    const ImportSource::Source source = ImportSource::examine(bytes);
    ASSERT_TRUE(source.ok()) << source.error.toStdString();
    const ImportPlan::Plan plan =
        ImportPlan::make(source.table.records, source.recognised.mapping,
                         {{"https://site7.example/login", "user7", "pw\"7", {}}}, Format::Sealed);
    EXPECT_EQ(plan.toAdd.size(), 49'999);
    EXPECT_EQ(plan.alreadyInList, 1);
    EXPECT_EQ(shownListings({plan.toAdd.back()}), QStringList {"https://site49999.example/login|user49999|pw\"49999"});
    EXPECT_EQ(shownNotTaken(plan.notTaken),
              (QStringList {"folder=50000", "notes=50000", "fields=0", "login_totp=0", "name=50000"}));
}

} // namespace

namespace {

// What Export writes comes back by Import into an empty list as the same
// listings, in both formats, whatever the values hold.
TEST(ImportPlanTest, AnExportImportsBackAsTheSameListings)
{
    const QList<Listing> sealed = {
        {"www.example.com", "alice", "pw,1", {}},
        {"Mail \"home\"", "bob", "line\r\nbreak", {}},
        {QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC.example"),
         QString::fromUtf8("\xD0\xB8\xD0\xBC\xD1\x8F"),
         QString(300, u'p'),
         {}},
        {"", "only user", "", {}},
        {"semi;colon", "tab\tuser", "'quoted'", {}},
    };
    const QList<Listing> described = {
        {"www.example.com", "alice", "pw,1", {}},
        {"Caf\u00e9 \"menu\"", "bob", "x;y", {}},
    };
    for (const auto& [format, listings] :
         {std::pair {Format::Sealed, sealed}, std::pair {Format::ListFile, described}}) {
        SCOPED_TRACE(format == Format::Sealed ? "sealed" : "list file");
        const SecretBytes csv = CsvWriter::write(listings);
        const ImportSource::Source source = ImportSource::examine(csv.bytes());
        ASSERT_TRUE(source.ok()) << source.error.toStdString();
        EXPECT_EQ(source.recognised.kind, Kind::OwnExport) << "no columns to choose";
        const ImportPlan::Plan plan = ImportPlan::make(source.table.records, source.recognised.mapping, {}, format);
        EXPECT_EQ(shownListings(plan.toAdd), shownListings(listings));
        EXPECT_TRUE(plan.refused.isEmpty());
        EXPECT_TRUE(plan.notTaken.isEmpty());
    }
}

} // namespace
