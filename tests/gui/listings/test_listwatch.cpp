// The list open on this machine while a sync tool puts another machine's
// version of it in place.
#include "gui/listings/frm_add.h"
#include "gui/listings/listfixture.h"
#include "gui/listings/listwatch.h"

#include <QPointer>
#include <QTest>

namespace {

class ListWatchTest : public ListWindowTest {
protected:
    void SetUp() override
    {
        ListWindowTest::SetUp();
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

TEST_F(ListWatchTest, TheFolderWatcherNoticesAReplacement)
{
    laptopAdds("www.laptop.example");
    EXPECT_TRUE(QTest::qWaitFor([this] { return grid()->Rows() - 1 == 3; }, 10000));
}

} // namespace
