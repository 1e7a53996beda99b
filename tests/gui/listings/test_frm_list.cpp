#include "core/storage/filecipher.h"
#include "core/storage/module1.h"
#include "core/storage/safewrite.h"
#include "gui/listings/frm_list.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/msgbox.h"
#include "support/formchecks.h"
#include "support/guifixture.h"
#include "support/listrecords.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

namespace {

class FrmListTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        session.useKeyForTesting(QStringLiteral("Mk1"));
    }
    frm_list* open(const QByteArray& plainList)
    {
        writeCiphered("kxplst.ene", plainList, "Mk1");
        // As the unlock does before each opening: closing forgets it.
        session.useKeyForTesting(QStringLiteral("Mk1"));
        frm_list* list = frm_list::open(session);
        EXPECT_NE(list, nullptr);
        return list;
    }
    QString cell(frm_list* list, int row, int column)
    {
        list->grd_password->setRow(row);
        list->grd_password->setCol(column);
        return list->grd_password->Text();
    }
    const Message bye {"Bye..", "Sorry to see you go."};
    const QByteArray twoListings = record("www.a.com", "ann", "pw1") + record("Mail program", "bob", "pw2");
};

TEST_F(FrmListTest, Layout)
{
    frm_list* list = open({});
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Your Password List"));
    expectWindowBasics(list, "Your Password List", 0, 0);
    EXPECT_EQ(list->centralWidget()->size(), Twips::size(5535, 3090));
    expectLayout(
        list->centralWidget(),
        {
            {"Label1", "Double Click A Website To Start Your Browser\nAnd Go To That Site.", 120, 120, 4575, 375},
            {"grd_password", {}, 120, 600, 5295, 1335},
            {"cmd_add", "Add", 360, 2040, 1455, 375},
            {"cmd_edit", "Edit", 2040, 2040, 1455, 375},
            {"cmd_delete", "Delete", 3720, 2040, 1455, 375},
            {"cmd_lock", "Lock/Close", 360, 2520, 1455, 375},
            {"cmd_pword", "Change Password", 2040, 2520, 1455, 375},
            {"cmd_nothing", "Does Nothing", 3720, 2520, 1455, 375},
        });
    EXPECT_EQ(tabOrder(list->cmd_add), (QStringList {"cmd_add", "cmd_edit", "cmd_delete", "cmd_lock", "cmd_pword",
                                                     "cmd_nothing", "grd_password"}));
    EXPECT_EQ(list->focusWidget(), list->cmd_add);
    for (auto* button : list->centralWidget()->findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << qPrintable(button->objectName());
}

TEST_F(FrmListTest, MenusAndTheirAccessKeys)
{
    frm_list* list = open({});
    QStringList bar;
    for (QAction* action : list->menuBar()->actions())
        bar.append(action->objectName() + "=" + action->text());
    EXPECT_EQ(bar, (QStringList {"mnu_btns=&Buttons", "mnu_lock=&Lock/Close", "mnu_pword=&Change Password",
                                 "mnu_tools=&Tools", "mnu_help=&Help"}));
    EXPECT_EQ(list->mnu_tools->menu()->objectName(), QStringLiteral("mnu_tools_menu"));
    QStringList buttons;
    for (QAction* action : list->mnu_btns->menu()->actions())
        buttons.append(action->objectName() + "=" + action->text());
    EXPECT_EQ(buttons, (QStringList {"btn_add=&Add", "btn_edit=&Edit", "btn_delete=&Delete"}));
    QStringList help;
    for (QAction* action : list->mnu_help->menu()->actions())
        help.append(action->objectName() + "=" + (action->isSeparator() ? "-" : action->text()));
    EXPECT_EQ(help, (QStringList {"mnu_about=Abou&t", "mnu_dash1=-", "mnu_help2=H&elp"}));
    QStringList tools;
    for (QAction* action : list->mnu_tools->menu()->actions())
        tools.append(action->objectName() + "=" + (action->isSeparator() ? "-" : action->text()));
    EXPECT_EQ(tools, (QStringList {"mnu_showpasswords=Show &Passwords", "mnu_find=&Find...", "mnu_findnext=Find &Next",
                                   "mnu_dash2=-", "mnu_options=&Options...", "mnu_strong=&Strong Protection...",
                                   "mnu_generator=Password &Generator...", "mnu_restore=&Restore From Backup...",
                                   "mnu_merge=&Merge From...", "mnu_import=&Import...", "mnu_export=&Export..."}));
    EXPECT_TRUE(list->mnu_showpasswords->isCheckable());
    EXPECT_TRUE(list->mnu_showpasswords->isChecked()) << "passwords show by default";
    // The only keys beyond the access keys: the window's Ctrl commands.
    const QMap<QString, QString> keys {{"mnu_find", "Ctrl+F"},
                                       {"mnu_findnext", "F3"},
                                       {"mnu_copypassword", "Ctrl+C"},
                                       {"mnu_copyuser", "Ctrl+B"},
                                       {"mnu_copysite", "Ctrl+U"}};
    for (QAction* action : list->findChildren<QAction*>())
        EXPECT_EQ(action->shortcut().toString(), keys.value(action->objectName())) << qPrintable(action->objectName());
}

// The grid edits the session's listings in place: a listing typed in gets
// an id of its own, a changed one its time, a deleted one is kept in the
// session's removals when it had an id.
TEST_F(FrmListTest, TheGridKeepsTheStampsOfTheSessionsListings)
{
    frm_list* list = open(record("www.a.com", "ann", "pw1"));
    PasswordGrid* grid = list->grd_password;
    ASSERT_EQ(session.listings().size(), 1);
    EXPECT_FALSE(session.listings()[0].stamp.hasId()) << "the list file keeps no ids";

    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    grid->AddItem({"2", "www.b.com", "bob", "pw2"});
    ASSERT_EQ(session.listings().size(), 2);
    const ListingStamp added = session.listings()[1].stamp;
    EXPECT_TRUE(added.hasId());
    EXPECT_GE(added.created, before);

    grid->setRow(2);
    grid->setCol(3);
    grid->setText("pw2");
    EXPECT_EQ(session.listings()[1].stamp.modified, added.modified) << "the same text changes nothing";
    QTest::qWait(2);
    grid->setText("new");
    EXPECT_EQ(session.listings()[1].password, "new");
    EXPECT_GT(session.listings()[1].stamp.modified, added.modified);
    EXPECT_EQ(session.listings()[1].stamp.id, added.id);

    grid->RemoveItem(1);
    EXPECT_TRUE(session.removals().isEmpty()) << "the loaded listing had no id";
    grid->RemoveItem(1);
    ASSERT_EQ(session.removals().size(), 1);
    EXPECT_EQ(session.removals()[0].id, added.id);
    EXPECT_TRUE(session.listings().isEmpty());
}

TEST_F(FrmListTest, FreshListShowsTheHeaderRowAlone)
{
    frm_list* list = open({});
    EXPECT_EQ(list->grd_password->Rows(), 1);
    const QStringList headers {"#", "Web Site/Program", "Username", "Password"};
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(cell(list, 0, column), headers[column]);
    EXPECT_EQ(files(), QStringList {"kxplst.ene"});
}

TEST_F(FrmListTest, ColumnWidthsComeFromTheWindowWidth)
{
    frm_list* list = open({});
    const int expected[] = {552, 2486, 1243, 1243};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(list->grd_password->ColWidth(column), expected[column]) << column;
        EXPECT_EQ(list->grd_password->columnWidth(column), Twips::toPixels(expected[column])) << column;
    }
}

TEST_F(FrmListTest, ListingsLoadIntoRowsWithTheirPadding)
{
    frm_list* list = open(twoListings);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(list->grd_password->Rows(), 3);
    EXPECT_EQ(cell(list, 1, 0), QStringLiteral("1"));
    EXPECT_EQ(cell(list, 2, 0), QStringLiteral("2"));
    EXPECT_EQ(cell(list, 2, 1), QString("Mail program").leftJustified(75));
    EXPECT_EQ(cell(list, 1, 3), QString("pw1").leftJustified(15));
    EXPECT_EQ(files(), QStringList {"kxplst.ene"});
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), twoListings) << "a load changes nothing";
}

// A save would lose what a damaged file holds past its last whole listing,
// or after a NUL in a field: the file is kept as found first, and the user
// is told where.
TEST_F(FrmListTest, DamagedListIsKeptAsFoundAndNamedInOneMessage)
{
    QByteArray withNul = twoListings;
    withNul[80] = '\0';
    const struct {
        QByteArray plain;
        const char* says;
    } cases[] = {
        {twoListings + QByteArray(50, 'x'), "last 50 bytes"},
        {QByteArray(1, 'x'), "last 1 bytes"},
        {withNul, "NUL"},
    };
    for (const auto& c : cases) {
        clearFolder();
        messages.clear();
        QPointer<frm_list> list = open(c.plain);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].caption, QStringLiteral("Damaged List"));
        EXPECT_TRUE(messages[0].text.contains(c.says)) << qPrintable(messages[0].text);
        const QStringList names = files();
        ASSERT_EQ(names.size(), 2) << qPrintable(names.join(' '));
        EXPECT_TRUE(messages[0].text.contains(names[0])) << "names the copy: " << qPrintable(messages[0].text);
        EXPECT_EQ(readDeciphered(names[0], "Mk1"), c.plain);
        EXPECT_EQ(list->grd_password->Rows(), 1 + int(c.plain.size() / 110));
        delete list;
    }
}

TEST_F(FrmListTest, UnreadableListStopsWithAMessage)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("kxplst.ene"));
    EXPECT_THROW(frm_list::open(session), FaultStopped);
    ASSERT_EQ(faults.size(), 1);
    EXPECT_TRUE(faults[0].contains("kxplst")) << qPrintable(faults[0]);
}

TEST_F(FrmListTest, DoesNothingSaysSoAndChangesNothing)
{
    frm_list* list = open(twoListings);
    const QByteArray before = readFile("kxplst.ene");
    QTest::mouseClick(list->cmd_nothing, Qt::LeftButton);
    EXPECT_EQ(messages, (QList<Message> {{"Told you this button did nothing. But you had to check anyway. The button "
                                          "just makes it a little more symmetrical.",
                                          "Does Nothing"}}));
    EXPECT_EQ(list->grd_password->Rows(), 3);
    EXPECT_EQ(readFile("kxplst.ene"), before);
    EXPECT_TRUE(list->isVisible());
}

TEST_F(FrmListTest, EveryWayOfClosingSavesTheGridAndSaysByeOnce)
{
    enum class Way { Button, Menu, CloseBox };
    for (const Way way : {Way::Button, Way::Menu, Way::CloseBox}) {
        messages.clear();
        QPointer<frm_list> list = open(twoListings);
        list->grd_password->AddItem({"3", "www.added.org", "carol", "pw3"});
        switch (way) {
        case Way::Button:
            QTest::mouseClick(list->cmd_lock, Qt::LeftButton);
            break;
        case Way::Menu:
            list->mnu_lock->trigger();
            break;
        case Way::CloseBox:
            list->close();
            break;
        }
        settle();
        EXPECT_TRUE(list.isNull()) << int(way);
        EXPECT_EQ(messages, QList<Message> {bye}) << int(way);
        EXPECT_EQ(files(), QStringList {"kxplst.ene"});
        EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), twoListings + record("www.added.org", "carol", "pw3"));
    }
}

TEST_F(FrmListTest, SaveUsesTheMasterPasswordOfTheMoment)
{
    frm_list* list = open(twoListings);
    session.useKeyForTesting(QStringLiteral("changed"));
    list->close();
    EXPECT_EQ(readDeciphered("kxplst.ene", "changed"), twoListings);
}

TEST_F(FrmListTest, ClosingClosesEveryOtherWindow)
{
    frm_list* list = open({});
    auto* other = new QWidget;
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->show();
    QPointer<QWidget> guard(other);
    list->close();
    settle();
    EXPECT_TRUE(guard.isNull());
}

TEST_F(FrmListTest, FailedSaveKeepsTheWindowAndTheLastGoodFile)
{
    QPointer<frm_list> list = open(twoListings);
    const QByteArray good = readFile("kxplst.ene");
    list->grd_password->AddItem({"3", "www.new.org", "n", "p"});
    SafeWrite::setWriteBudgetForTesting(100);
    list->close();
    settle();
    ASSERT_FALSE(list.isNull());
    EXPECT_TRUE(list->isVisible());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Save Failed"));
    EXPECT_TRUE(messages[0].text.contains("kxplst")) << qPrintable(messages[0].text);
    EXPECT_EQ(list->grd_password->Rows(), 4);
    EXPECT_EQ(files(), QStringList {"kxplst.ene"});
    EXPECT_EQ(readFile("kxplst.ene"), good);

    // Room again: the next try saves and closes.
    SafeWrite::setWriteBudgetForTesting(-1);
    messages.clear();
    list->close();
    settle();
    EXPECT_TRUE(list.isNull());
    EXPECT_EQ(messages, QList<Message> {bye});
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), twoListings + record("www.new.org", "n", "p"));
}

// A save that keeps failing must not trap the user: from the second failed
// close in a row they may leave without saving.
TEST_F(FrmListTest, ASecondFailedCloseOffersToCloseWithoutSaving)
{
    for (const bool leave : {false, true}) {
        messages.clear();
        QPointer<frm_list> list = open(twoListings);
        const QByteArray good = readFile("kxplst.ene");
        list->grd_password->AddItem({"3", "www.new.org", "n", "p"});
        setWritable("kxplst.ene", false);
        list->close();
        settle();
        ASSERT_FALSE(list.isNull());
        ASSERT_EQ(messages.size(), 1);
        EXPECT_FALSE(messages[0].text.contains("Close without saving?"));

        MsgBox::setAnswerForTesting(leave);
        list->close();
        settle();
        ASSERT_EQ(messages.size(), leave ? 3 : 2);
        EXPECT_EQ(messages[1].caption, QStringLiteral("Save Failed"));
        EXPECT_TRUE(messages[1].text.contains("kxplst.ene")) << qPrintable(messages[1].text);
        EXPECT_TRUE(messages[1].text.endsWith("Close without saving? The changes since the last successful save "
                                              "will be lost."))
            << qPrintable(messages[1].text);
        EXPECT_EQ(list.isNull(), leave);
        if (leave) {
            EXPECT_EQ(messages[2], bye);
        }
        setWritable("kxplst.ene", true);
        EXPECT_EQ(readFile("kxplst.ene"), good) << "the last good list stays either way";
        delete list;
    }
}

TEST_F(FrmListTest, ShutdownSaveWritesTheListWithoutGoodbye)
{
    frm_list* list = open(twoListings);
    list->grd_password->RemoveItem(1);
    list->savePolicy().saveForShutdown();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), record("Mail program", "bob", "pw2"));
    list->close();
    EXPECT_TRUE(messages.isEmpty()) << "no second save and no goodbye";
}

TEST_F(FrmListTest, SaveRequestedByTheSessionKeepsTheWindowWorking)
{
    frm_list* list = open(twoListings);
    list->grd_password->RemoveItem(2);
    list->savePolicy().saveBeforeLogout();
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), record("www.a.com", "ann", "pw1"));
    EXPECT_TRUE(messages.isEmpty());
    // The logout was cancelled: later changes are still saved on close.
    list->grd_password->AddItem({"2", "www.later.com", "l", "p"});
    list->close();
    EXPECT_EQ(messages, QList<Message> {bye});
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"),
              record("www.a.com", "ann", "pw1") + record("www.later.com", "l", "p"));
}

TEST_F(FrmListTest, OpeningTwiceGivesTheSameWindow)
{
    frm_list* first = open({});
    EXPECT_EQ(frm_list::open(session), first);
    EXPECT_EQ(openWindowCount("frm_list"), 1);
}

} // namespace
