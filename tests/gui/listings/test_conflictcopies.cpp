// Conflict copies that sync tools leave, offered when the list opens, and
// Tools -> Merge From...
#include "core/masterpassword/strongprotection.h"
#include "core/listings/vaultlist.h"
#include "gui/listings/listfixture.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/passwordprompt.h"

#include <QDir>

namespace {

const char* kCopy = "kxplst.sync-conflict-20261210-101500-ABCDEFG.ene";

class ConflictCopiesTest : public ListWindowTest {
protected:
    void SetUp() override
    {
        ListWindowTest::SetUp();
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
    }
    void TearDown() override
    {
        PasswordPrompt::setAnswerForTesting({});
        ListWindowTest::TearDown();
    }
    QByteArray laptopList() const
    {
        return record("site1", "user1", "pw1") + record("www.laptop.example", "lap", "lappw");
    }
    QStringList sitesOnDisk()
    {
        ListSession fresh(folder());
        EXPECT_TRUE(fresh.unlockPair(QStringLiteral("Mk1")).opened);
        EXPECT_TRUE(fresh.load());
        QStringList sites;
        for (const Listing& l : fresh.listings())
            sites.append(l.site.trimmed());
        return sites;
    }
};

TEST_F(ConflictCopiesTest, OfferedAtUnlockMergedAndKeptAsABackup)
{
    const struct {
        const char* name;
        QByteArray key; // the copy's password
        bool companion; // a password file goes with it
        std::optional<QString> typed; // what the prompt answers (none: not asked)
    } cases[] = {
        {"under the same password", "Mk1", false, std::nullopt},
        {"its password file beside it", "Other2", true, std::nullopt},
        {"its password typed", "Other2", false, QStringLiteral("Other2")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeCiphered(kCopy, laptopList(), c.key);
        if (c.companion)
            writeCiphered("kxpwfl.sync-conflict-20261210-101500-ABCDEFG.ene", c.key.leftJustified(25, ' '), "sx8peu3");
        const QByteArray copy = readFile(kCopy);
        int asked = 0;
        PasswordPrompt::setAnswerForTesting([&](const QString& text) -> std::optional<QString> {
            ++asked;
            EXPECT_TRUE(text.contains(QDir::toNativeSeparators(path(kCopy)))) << qPrintable(text);
            return c.typed;
        });
        MsgBox::setAnswerForTesting(true);
        messages.clear();
        openWithListings(2);
        EXPECT_EQ(asked, c.typed ? 1 : 0);
        ASSERT_FALSE(messages.isEmpty());
        EXPECT_EQ(messages[0].caption, "Conflict Copy Found");
        EXPECT_EQ(MsgBox::lastDefaultForTesting(), MsgBox::Default::Yes);
        EXPECT_EQ(grid()->Rows() - 1, 3);
        EXPECT_EQ(sitesOnDisk(), (QStringList {"site1", "site2", "www.laptop.example"}));
        EXPECT_FALSE(exists(kCopy));
        const QStringList backups = files().filter(QRegularExpression("^kxplst-backup-\\d{8}-\\d{6}\\.ene$"));
        ASSERT_EQ(backups.size(), 1) << qPrintable(files().join(' '));
        EXPECT_EQ(readFile(backups[0]), copy) << "moved, never deleted";
        delete list;
        list = nullptr;
        settle();
        for (const QString& name : files())
            if (name != "kxpwfl.ene")
                QFile::remove(path(name));
    }
}

TEST_F(ConflictCopiesTest, ADeclinedCopyStaysAndIsOfferedAgain)
{
    writeCiphered(kCopy, laptopList(), "Mk1");
    for (int start = 0; start < 2; ++start) {
        MsgBox::setAnswerForTesting(false);
        messages.clear();
        openWithListings(2);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].caption, "Conflict Copy Found");
        EXPECT_EQ(grid()->Rows() - 1, 2);
        EXPECT_TRUE(exists(kCopy));
        delete list;
        list = nullptr;
        settle();
    }
}

TEST_F(ConflictCopiesTest, MergeFromAVaultElsewhereAsksForItsPassword)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    const auto key = StrongProtection::newSession(QStringLiteral("Laptop9"));
    StrongProtection::setNewVaultParamsForTesting(std::nullopt);
    ASSERT_TRUE(key);
    QByteArray sealed;
    ASSERT_TRUE(VaultList::seal(
        {{QStringLiteral("www.elsewhere.example"), QStringLiteral("e"), QStringLiteral("p"), ListingStamp::fresh(1)}},
        *key, &sealed));
    const QString file = elsewhere.filePath("kxplst.vault");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(sealed) == sealed.size());
    out.close();

    openWithListings(2);
    QStringList typed {QStringLiteral("wrong"), QStringLiteral("Laptop9")};
    PasswordPrompt::setAnswerForTesting([&](const QString&) -> std::optional<QString> {
        return typed.isEmpty() ? std::nullopt : std::optional<QString>(typed.takeFirst());
    });
    messages.clear();
    EXPECT_TRUE(list->mergeFrom(file));
    EXPECT_TRUE(typed.isEmpty());
    EXPECT_EQ(messages.value(0).caption, "Merge From") << "the wrong password said so";
    EXPECT_EQ(messages.back().caption, "List Merged");
    EXPECT_EQ(sitesOnDisk(), (QStringList {"site1", "site2", "www.elsewhere.example"}));
    EXPECT_TRUE(QFile::exists(file)) << "a file picked is never moved";

    // Cancelled: nothing changes.
    const auto before = snapshot();
    PasswordPrompt::setAnswerForTesting([](const QString&) { return std::optional<QString>(); });
    EXPECT_FALSE(list->mergeFrom(file));
    EXPECT_EQ(snapshot(), before);
}

} // namespace
