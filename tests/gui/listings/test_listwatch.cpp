// The list open on this machine while a sync tool puts another machine's
// version of it in place.
#include "gui/listings/frm_add.h"
#include "gui/listings/listfixture.h"
#include "gui/listings/listwatch.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/passwordprompt.h"

#include <QPointer>
#include <QTest>

namespace {

class ListWatchTest : public ListWindowTest {
protected:
    void TearDown() override
    {
        ListSession::setQuietIntervalForTesting(std::chrono::milliseconds(2000));
        ListWindowTest::TearDown();
    }
    void SetUp() override
    {
        ListWindowTest::SetUp();
        ListSession::setQuietIntervalForTesting(std::chrono::milliseconds(10));
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        openWithListings(2);
        ASSERT_NE(list, nullptr);
    }
    // The laptop opens the synced copy, adds a listing and saves.
    void laptopAdds(const QString& site)
    {
        ListSession laptop(folder());
        ASSERT_TRUE(laptop.unlockPair(QStringLiteral("Mk1")).opened);
        ASSERT_TRUE(laptop.load());
        laptop.listings().append({site, QStringLiteral("lapuser"), QStringLiteral("lappw")});
        ASSERT_TRUE(laptop.save());
    }
    const Message merged1 {"Another version of your list was merged in from \"kxplst.ene\": 1 listings came in, 0 "
                           "changed and 0 went; 0 changed on both sides were kept twice.",
                           "List Merged"};
};

TEST_F(ListWatchTest, AnotherVersionIsMergedIntoTheOpenListAndKeptAtLockClose)
{
    laptopAdds("www.laptop.example");
    list->listWatch()->check();
    EXPECT_EQ(grid()->Rows() - 1, 3);
    EXPECT_EQ(cell(3, 1).trimmed(), "www.laptop.example");
    EXPECT_EQ(messages, QList<Message> {merged1});
    MsgBox::setAnswerForTesting(true);
    list->close();
    settle();
    EXPECT_EQ(sitesOnDisk(), (QStringList {"site1", "site2", "www.laptop.example"}));
}

TEST_F(ListWatchTest, AnOpenDialogPutsTheMergeOffUntilItCloses)
{
    laptopAdds("www.laptop.example");
    list->cmd_add->click();
    settle();
    QPointer<QWidget> add = findWindow("frm_add");
    ASSERT_NE(add, nullptr);
    list->listWatch()->check();
    EXPECT_EQ(grid()->Rows() - 1, 2) << "not while a dialog is open";
    EXPECT_TRUE(messages.isEmpty());
    add->close();
    settle();
    list->listWatch()->check();
    EXPECT_EQ(grid()->Rows() - 1, 3);
}

TEST_F(ListWatchTest, LockCloseMergesAVersionThatArrivedUnnoticed)
{
    laptopAdds("www.laptop.example");
    grid()->AddItem({"3", "www.desk.example", "deskuser", "deskpw"});
    MsgBox::setAnswerForTesting(true);
    list->close();
    settle();
    EXPECT_TRUE(messages.contains(merged1));
    EXPECT_EQ(sitesOnDisk(), (QStringList {"site1", "site2", "www.desk.example", "www.laptop.example"}));
}

// The laptop changed the master password: asked for it, the desk merges the
// two and goes on under it; without it, the laptop's version is kept aside.
TEST_F(ListWatchTest, AVersionUnderAPasswordChangedElsewhere)
{
    for (const bool knowsIt : {true, false}) {
        SCOPED_TRACE(knowsIt ? "password given" : "cancelled");
        if (!list)
            openWithListings(2);
        ListSession laptop(folder());
        ASSERT_TRUE(laptop.unlockPair(QStringLiteral("Mk1")).opened);
        ASSERT_TRUE(laptop.load());
        laptop.listings().append({QStringLiteral("www.laptop.example"), QStringLiteral("u"), QStringLiteral("p")});
        ASSERT_TRUE(laptop.changePassword(QStringLiteral("Mk2")).newPasswordInForce);
        const QByteArray theirs = readFile("kxplst.ene");
        QStringList asked;
        int tries = 0;
        PasswordPrompt::setAnswerForTesting([&](const QString& text) -> std::optional<QString> {
            asked.append(text);
            if (!knowsIt)
                return std::nullopt;
            return ++tries == 1 ? QStringLiteral("wrong") : QStringLiteral("Mk2");
        });
        grid()->AddItem({"3", "www.desk.example", "d", "p"});
        MsgBox::setAnswerForTesting(true);
        list->close();
        settle();
        PasswordPrompt::setAnswerForTesting({});
        ASSERT_FALSE(asked.isEmpty());
        EXPECT_TRUE(asked[0].contains("kxplst.ene")) << qPrintable(asked[0]);
        ListSession fresh(folder());
        if (knowsIt) {
            EXPECT_EQ(asked.size(), 2);
            EXPECT_TRUE(messages.contains(Message {"That password does not open \"" + path("kxplst.ene") + "\".",
                                                   "Another Version of Your List"}));
            ASSERT_TRUE(fresh.unlockPair(QStringLiteral("Mk2")).opened);
            ASSERT_TRUE(fresh.load());
            EXPECT_EQ(fresh.listings().size(), 4) << "both sides' listings, under the password set there";
        } else {
            ASSERT_TRUE(fresh.unlockPair(QStringLiteral("Mk1")).opened) << "the pair is whole again";
            ASSERT_TRUE(fresh.load());
            EXPECT_EQ(fresh.listings().size(), 3);
            const QStringList copies = files().filter("kxplst-conflict-");
            ASSERT_EQ(copies.size(), 1);
            EXPECT_EQ(readFile(copies[0]), theirs);
            EXPECT_EQ(files().filter("kxpwfl-conflict-").size(), 1);
        }
        list = nullptr;
        clearFolder();
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        messages.clear();
    }
}

// Nobody to ask at an idle lock: the list goes beside the other version.
TEST_F(ListWatchTest, AnUnattendedSaveWritesBesideAVersionItCannotOpen)
{
    ListSession laptop(folder());
    ASSERT_TRUE(laptop.unlockPair(QStringLiteral("Mk1")).opened);
    ASSERT_TRUE(laptop.load());
    ASSERT_TRUE(laptop.changePassword(QStringLiteral("Mk2")).newPasswordInForce);
    const auto theirs = snapshot();
    grid()->AddItem({"3", "www.desk.example", "d", "p"});
    PasswordPrompt::setAnswerForTesting([](const QString&) -> std::optional<QString> {
        ADD_FAILURE() << "nobody is there to ask";
        return std::nullopt;
    });
    ASSERT_TRUE(list->savePolicy().saveOnIdleLock());
    PasswordPrompt::setAnswerForTesting({});
    const QStringList copies = files().filter("kxplst-conflict-");
    ASSERT_EQ(copies.size(), 1);
    for (auto it = theirs.cbegin(); it != theirs.cend(); ++it)
        EXPECT_EQ(readFile(it.key()), it.value()) << qPrintable(it.key()) << " stays as the laptop left it";
    EXPECT_EQ(readDeciphered(copies[0], "Mk1"),
              record("site1", "user1", "pw1") + record("site2", "user2", "pw2") + record("www.desk.example", "d", "p"));
}

TEST_F(ListWatchTest, TheFolderWatcherNoticesAReplacement)
{
    laptopAdds("www.laptop.example");
    EXPECT_TRUE(QTest::qWaitFor([this] { return grid()->Rows() - 1 == 3; }, 10000));
}

} // namespace
