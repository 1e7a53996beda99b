// Tools -> Import... on the real listing window.
#include "core/masterpassword/strongprotection.h"
#include "core/storage/safewrite.h"
#include "gui/listings/listfixture.h"
#include "gui/transfer/frm_importmap.h"
#include "gui/transfer/importsummary.h"
#include "gui/ui/msgbox.h"
#include "support/faultinjection.h"
#include "support/formchecks.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QByteArray kRealmHeader = "url,username,password,httpRealm\n";

class ImportTest : public ListWindowTest {
protected:
    void SetUp() override
    {
        ListWindowTest::SetUp();
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        ASSERT_TRUE(outside.isValid());
        // Questions answered as told; each message recorded.
        MsgBox::setObserverForTesting([this](const QString& text, const QString& caption) {
            messages.append({text, caption});
            if (text.endsWith(QLatin1String("Import them?")))
                MsgBox::setAnswerForTesting(importAnswer);
            else if (text.endsWith(QLatin1String("Remove it now?"))) {
                MsgBox::setAnswerForTesting(removeAnswer);
                if (removalFault)
                    SafeWrite::setFailingStepForTesting(1);
            }
        });
    }
    void TearDown() override
    {
        MsgBox::setAnswerForTesting(false);
        SafeWrite::setFailingStepForTesting(0);
        ListWindowTest::TearDown();
    }

    // A CSV file outside the program's folder, as a download would be.
    QString csv(const QByteArray& bytes, const QString& name = QStringLiteral("export.csv"))
    {
        const QString file = outside.filePath(name);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size());
        return file;
    }
    static QByteArray bytesOf(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(unreadable)");
    }
    QStringList sitesInGrid() const
    {
        QStringList sites;
        for (const Listing& listing : grid()->listings())
            sites.append(listing.site.trimmed());
        return sites;
    }
    const Message* messageWith(const char* part) const
    {
        for (const Message& m : messages)
            if (m.text.contains(QLatin1String(part)))
                return &m;
        return nullptr;
    }

    QTemporaryDir outside;
    bool importAnswer = true;
    bool removeAnswer = false;
    bool removalFault = false;
};

TEST_F(ImportTest, ToolsMenuHoldsImportBesideMerge)
{
    openWithListings(1);
    ASSERT_NE(list->mnu_import, nullptr);
    EXPECT_EQ(list->mnu_import->objectName(), "mnu_import");
    EXPECT_EQ(list->mnu_import->text(), "&Import...");
    const QList<QAction*> tools = list->mnu_tools->menu()->actions();
    EXPECT_EQ(tools.indexOf(list->mnu_import), tools.indexOf(list->mnu_merge) + 1);
}

TEST_F(ImportTest, AddsAfterTheSummaryInOneSaveAndNeverWritesTheFile)
{
    openWithListings(2);
    const QString file =
        csv(kRealmHeader + "site1,user1,pw1,\nhttps://new.example,nu,np,\n\"https://b.example\",bu,\"b,p\",\n");
    const QByteArray before = bytesOf(file);
    const QStringList steps = FaultInjection::stepsOf([&] { EXPECT_TRUE(list->importFrom(file)); });

    ASSERT_EQ(messages.size(), 2);
    const QString shown = QDir::toNativeSeparators(file);
    EXPECT_EQ(messages[0].caption, "Import");
    EXPECT_TRUE(messages[0].text.startsWith("\"" + shown
                                            + "\": site from \"url\", user name from \"username\", "
                                              "password from \"password\"."))
        << qPrintable(messages[0].text);
    EXPECT_TRUE(messages[0].text.contains("\r2 listings will be added to your list.\r"
                                          "1 row is already in your list (the same site, user name and password): "
                                          "skipped."))
        << qPrintable(messages[0].text);
    EXPECT_EQ(messages[1].text, "2 listings were added to your list and saved.\r\r\"" + shown
                                    + "\" holds every password in clear. Remove it now?");
    EXPECT_EQ(MsgBox::lastDefaultForTesting(), MsgBox::Default::No);

    EXPECT_EQ(sitesInGrid(), (QStringList {"site1", "site2", "https://new.example", "https://b.example"}));
    EXPECT_EQ(sitesOnDisk(), sitesInGrid());
    EXPECT_EQ(steps.filter(QRegularExpression("^write ")).size(), 1) << qPrintable(steps.join(", "));
    EXPECT_TRUE(steps.filter(outside.path()).isEmpty()) << qPrintable(steps.join(", "));
    EXPECT_EQ(bytesOf(file), before) << "kept when No is answered, unchanged";
    EXPECT_EQ(QDir(outside.path()).entryList(QDir::Files), QStringList {"export.csv"}) << "no copy";
}

TEST_F(ImportTest, NothingChangesWhenCancelledOrNotACsvFile)
{
    const struct {
        const char* name;
        QByteArray bytes; // empty with missing: no file at all
        bool missing;
        bool answer; // the summary's answer
        const char* said; // a part of the one message (nullptr: only the summary)
    } cases[] = {
        {"the summary answered No", kRealmHeader + "a,b,c,\n", false, false, nullptr},
        {"nothing new to add", kRealmHeader + "site1,user1,pw1,\n,,,\n", false, true, "Nothing was added"},
        {"an empty file", "", false, true, "cannot be imported: it is empty."},
        {"a binary file",
         QByteArray("\x7f"
                    "ELF\x02\x01\x01\0\0\0",
                    10),
         false, true, "it is not a CSV file"},
        {"no header row", "\n\n", false, true, "no header row"},
        {"a single column", "just some text\nmore text\n", false, true, "not a header row of several columns"},
        {"a missing file", "", true, true, "it cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openWithListings(2);
        const QByteArray listBefore = readFile("kxplst.ene");
        const QString file = c.missing ? outside.filePath("gone.csv") : csv(c.bytes);
        messages.clear();
        importAnswer = c.answer;
        EXPECT_FALSE(list->importFrom(file));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].caption, "Import");
        if (c.said) {
            EXPECT_TRUE(messages[0].text.contains(QLatin1String(c.said))) << qPrintable(messages[0].text);
            EXPECT_TRUE(messages[0].text.contains(QDir::toNativeSeparators(file))) << "names the file";
        }
        EXPECT_EQ(readFile("kxplst.ene"), listBefore);
        EXPECT_EQ(sitesInGrid(), (QStringList {"site1", "site2"}));
        delete list;
        list = nullptr;
        settle();
    }
}

TEST_F(ImportTest, AFailedSaveLeavesTheListAsItWas)
{
    openWithListings(2);
    const QByteArray listBefore = readFile("kxplst.ene");
    const QString file = csv(kRealmHeader + "https://new.example,nu,np,\n");
    SafeWrite::setFailingStepForTesting(1);
    EXPECT_FALSE(list->importFrom(file));
    EXPECT_TRUE(SafeWrite::failingStepFiredForTesting());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1].caption, "Save Failed");
    EXPECT_TRUE(messages[1].text.startsWith("Your list could not be saved.\r")) << qPrintable(messages[1].text);
    EXPECT_TRUE(messages[1].text.contains("Nothing was imported")) << qPrintable(messages[1].text);
    EXPECT_EQ(readFile("kxplst.ene"), listBefore);
    EXPECT_EQ(sitesInGrid(), (QStringList {"site1", "site2"}));
    EXPECT_EQ(session.listings().size(), 2);
    EXPECT_EQ(grid()->Rows(), 3);
    EXPECT_TRUE(QFile::exists(file));

    // Tried again without the fault, it goes in whole, once.
    messages.clear();
    EXPECT_TRUE(list->importFrom(file));
    EXPECT_EQ(sitesOnDisk(), (QStringList {"site1", "site2", "https://new.example"}));
}

#ifdef Q_OS_UNIX
// A device or a pipe is no file: named, not read (one may never end).
TEST_F(ImportTest, ADeviceOrAPipeIsNoFile)
{
    const QString pipe = outside.filePath("pipe.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString& file : {QStringLiteral("/dev/zero"), pipe}) {
        SCOPED_TRACE(qPrintable(file));
        openWithListings(1);
        messages.clear();
        EXPECT_FALSE(list->importFrom(file));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].text.contains("it is not a file.")) << qPrintable(messages[0].text);
        delete list;
        list = nullptr;
        settle();
    }
}

// Removing a file reached through a link removes the file that holds the
// passwords, not only the link.
TEST_F(ImportTest, RemovingThroughALinkRemovesTheFileItLeadsTo)
{
    openWithListings(1);
    const QString target = csv(kRealmHeader + "https://linked.example,u,p,\n", "real.csv");
    const QString link = outside.filePath("link.csv");
    ASSERT_TRUE(QFile::link(target, link));
    removeAnswer = true;
    EXPECT_TRUE(list->importFrom(link));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}
#endif

TEST_F(ImportTest, OffersToRemoveTheFile)
{
    const struct {
        const char* name;
        bool fault;
        bool removed;
    } cases[] = {{"removed", false, true}, {"the removal fails", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openWithListings(1);
        const QString file = csv(kRealmHeader + "https://" + QByteArray(c.name).replace(' ', '-') + ".example,u,p,\n");
        messages.clear();
        removeAnswer = true;
        removalFault = c.fault;
        EXPECT_TRUE(list->importFrom(file));
        EXPECT_EQ(QFile::exists(file), !c.removed);
        if (c.fault) {
            EXPECT_TRUE(SafeWrite::failingStepFiredForTesting());
            const Message* failed = messageWith("could not be removed");
            ASSERT_NE(failed, nullptr);
            EXPECT_TRUE(failed->text.startsWith("\"" + QDir::toNativeSeparators(file) + "\" could not be removed."))
                << qPrintable(failed->text);
        } else {
            EXPECT_EQ(messages.size(), 2);
        }
        delete list;
        list = nullptr;
        settle();
    }
}

TEST_F(ImportTest, LongFieldsNeedStrongProtection)
{
    const QString longSite = "https://" + QString(80, u'l') + ".example";
    const QByteArray rows = kRealmHeader + longSite.toLatin1() + ",u,p,\nshort.example,u,p,\n";
    const struct {
        const char* name;
        bool strong;
        QStringList added;
    } cases[] = {
        {"the described format", false, {"short.example"}},
        {"strong protection", true, {longSite, "short.example"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openWithListings(0);
        if (c.strong) {
            StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
            ASSERT_TRUE(session.turnOn(QStringLiteral("Strong1")).on);
            StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        }
        messages.clear();
        EXPECT_TRUE(list->importFrom(csv(rows)));
        ASSERT_FALSE(messages.isEmpty());
        const QString& summary = messages[0].text;
        EXPECT_EQ(summary.contains("1 row cannot be taken"), !c.strong) << qPrintable(summary);
        EXPECT_EQ(summary.contains("line 2: " + longSite.left(48) + "... (site longer than 75 characters)"), !c.strong)
            << qPrintable(summary);
        EXPECT_EQ(summary.contains(QString::fromUtf16(u"strong protection (Tools \u2192 Strong Protection...)")),
                  !c.strong);
        EXPECT_EQ(sitesInGrid(), c.added);
        delete list;
        list = nullptr;
        settle();
        clearFolder();
        restartSession();
    }
}

TEST_F(ImportTest, AFileOfNoKnownKindIsMappedInADialog)
{
    openWithListings(1);
    QByteArray bytes = "Konto;Kennung;Geheim;Notiz\n";
    for (int row = 1; row <= 7; ++row)
        bytes += "www.s" + QByteArray::number(row) + ".example;u" + QByteArray::number(row) + ";p;n\n";
    const QString file = csv(bytes);
    const struct {
        const char* name;
        int site, user, password; // the rows picked in the boxes
        bool cancel;
        QStringList sites;
    } cases[] = {
        {"Escape cancels", 0, 0, 0, true, {"site1"}},
        {"columns chosen, Return",
         1,
         1,
         2,
         false,
         {"site1", "www.s1.example", "www.s2.example", "www.s3.example", "www.s4.example", "www.s5.example",
          "www.s6.example", "www.s7.example"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<frm_importmap*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            // Keys go to the active window, which offscreen is not always made.
            QApplication::setActiveWindow(dialog);
            expectWindowBasics(dialog, "Import: Choose The Columns", 7455, 4095);
            EXPECT_TRUE(dialog->Label1->text().startsWith("\"export.csv\" is a CSV file of no kind"));
            // The caption fits the title bar with room to spare.
            EXPECT_LT(dialog->fontMetrics().horizontalAdvance(dialog->windowTitle()), dialog->width() / 2);
            EXPECT_EQ(dialog->focusWidget(), dialog->cbo_site);
            EXPECT_EQ(tabOrder(dialog->cbo_site),
                      (QStringList {"cbo_site", "cbo_user", "cbo_password", "cmd_ok", "cmd_cancel"}));
            EXPECT_EQ(dialog->tbl_rows->rowCount(), 5);
            EXPECT_EQ(dialog->tbl_rows->columnCount(), 4);
            EXPECT_EQ(dialog->tbl_rows->item(4, 0)->text(), "www.s5.example");
            EXPECT_EQ(dialog->cbo_site->itemText(0), "(none)");
            EXPECT_EQ(dialog->cbo_site->count(), 5);
            EXPECT_EQ(dialog->cbo_user->count(), 4);
            if (c.cancel) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            dialog->cbo_site->setCurrentIndex(c.site);
            dialog->cbo_user->setCurrentIndex(c.user);
            dialog->cbo_password->setCurrentIndex(c.password);
            EXPECT_EQ(dialog->tbl_rows->item(0, c.password)->text(), QString(8, u'\u2022'))
                << "the column taken as the passwords shows none";
            EXPECT_EQ(dialog->tbl_rows->item(0, 1)->text(), "u1");
            QTest::keyClick(dialog->cbo_password, Qt::Key_Return);
        });
        EXPECT_EQ(list->importFrom(file), !c.cancel);
        EXPECT_TRUE(seen);
        EXPECT_EQ(sitesInGrid(), c.sites);
        if (!c.cancel) {
            const Message* summary = messageWith("will be added");
            ASSERT_NE(summary, nullptr);
            EXPECT_TRUE(summary->text.contains("site from \"Konto\", user name from \"Kennung\", password from "
                                               "\"Geheim\""))
                << qPrintable(summary->text);
            EXPECT_TRUE(summary->text.contains("Columns not taken, which the list has no place for: \"Notiz\" (7 rows "
                                               "hold a value)."))
                << qPrintable(summary->text);
        }
    }
}

TEST_F(ImportTest, TheSummaryNamesTwentyRefusedRowsThenCounts)
{
    ImportPlan::Plan plan;
    for (int row = 2; row <= 26; ++row)
        plan.refused.append(
            {row, QStringLiteral("s%1").arg(row), QStringLiteral("password longer than 15 characters")});
    const QString text = ImportSummary::text(plan, ListingRules::Format::ListFile, "x.csv", "taken");
    EXPECT_TRUE(text.contains("\r25 rows cannot be taken (by the line of the file where the row begins):\r"
                              "    line 2: s2 (password longer than 15 characters)\r"))
        << qPrintable(text);
    EXPECT_TRUE(text.contains("    line 21: s21 (password longer than 15 characters)\r    and 5 more.\r"))
        << qPrintable(text);
    EXPECT_FALSE(text.contains("line 22:"));
}

} // namespace
