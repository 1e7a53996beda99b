#include "gui/listings/frm_add.h"
#include "gui/listings/frm_delete.h"
#include "gui/listings/frm_edit.h"
#include "gui/listings/frm_which.h"
#include "gui/listings/listfixture.h"
#include "support/choicecases.h"
#include "support/formchecks.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class ListingDialogsTest : public ListWindowTest {
protected:
    template <class W> W* shown(const char* name)
    {
        settle();
        return window<W>(name);
    }
    frm_edit* chooseToChange(const QString& typed)
    {
        list->cmd_edit->click();
        auto* which = shown<frm_which>("frm_which");
        EXPECT_NE(which, nullptr);
        which->txt_change->setText(typed);
        which->Command1->click();
        return shown<frm_edit>("frm_edit");
    }
    void deleteListing(const QString& typed)
    {
        list->cmd_delete->click();
        auto* form = shown<frm_delete>("frm_delete");
        ASSERT_NE(form, nullptr);
        form->txt_delete->setText(typed);
        form->Command1->click();
        settle();
    }
};

TEST_F(ListingDialogsTest, AddAppendsTheTrimmedListingNumberedOnePastTheLast)
{
    openWithListings(3);
    list->btn_add->trigger();
    auto* add = shown<frm_add>("frm_add");
    ASSERT_NE(add, nullptr);
    QTest::keyClicks(add->txt_program, "  www.new site.com ");
    add->txt_user->setText("\tme\t");
    add->txt_password->setText("p w");
    QPointer<frm_add> guard(add);
    add->cmd_add->click();
    settle();
    EXPECT_TRUE(guard.isNull());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(grid()->Rows(), 5);
    EXPECT_EQ(rowText(4), QStringLiteral("4|www.new site.com|\tme\t|p w"));
    EXPECT_EQ(rowText(3), "3|" + padded("site3", 75) + "|" + padded("user3", 20) + "|" + padded("pw3", 15));
}

TEST_F(ListingDialogsTest, AddWithEmptyBoxesIntoAnEmptyList)
{
    openWithListings(0);
    list->cmd_add->click();
    shown<frm_add>("frm_add")->cmd_add->click();
    EXPECT_EQ(grid()->Rows(), 2);
    EXPECT_EQ(rowText(1), QStringLiteral("1|||"));
}

TEST_F(ListingDialogsTest, AddRefusesWhatTheFileCannotHoldAndKeepsTheText)
{
    openWithListings(1);
    list->cmd_add->click();
    auto* add = shown<frm_add>("frm_add");
    add->txt_program->setText(QString(76, 'x'));
    add->cmd_add->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains("75")) << qPrintable(messages[0].text);
    EXPECT_EQ(add->txt_program->text(), QString(76, 'x'));
    EXPECT_EQ(grid()->Rows(), 2);
    EXPECT_TRUE(add->isVisible());
}

TEST_F(ListingDialogsTest, AddCancelLeavesTheGridAndTheNextOpeningIsEmpty)
{
    openWithListings(1);
    list->cmd_add->click();
    auto* add = shown<frm_add>("frm_add");
    add->txt_user->setText("typed");
    add->Command2->click();
    settle();
    EXPECT_EQ(grid()->Rows(), 2);
    list->cmd_add->click();
    EXPECT_TRUE(shown<frm_add>("frm_add")->txt_user->text().isEmpty());
}

TEST_F(ListingDialogsTest, AskingForAnOpenDialogBringsItForwardUnchanged)
{
    openWithListings(2);
    list->cmd_add->click();
    shown<frm_add>("frm_add")->txt_program->setText("kept");
    list->btn_add->trigger();
    EXPECT_EQ(openWindowCount("frm_add"), 1);
    EXPECT_EQ(shown<frm_add>("frm_add")->txt_program->text(), QStringLiteral("kept"));

    list->cmd_delete->click();
    shown<frm_delete>("frm_delete")->txt_delete->setText("2");
    list->btn_delete->trigger();
    EXPECT_EQ(openWindowCount("frm_delete"), 1);
    EXPECT_EQ(shown<frm_delete>("frm_delete")->txt_delete->text(), QStringLiteral("2"));

    list->cmd_edit->click();
    list->btn_edit->trigger();
    EXPECT_EQ(openWindowCount("frm_which"), 1);
}

TEST_F(ListingDialogsTest, WhichDialogAcceptsAndRefusesEveryEntry)
{
    openWithListings(kChoiceListings);
    for (const ChoiceCase& c : kChoiceCases) {
        messages.clear();
        const QString typed = QString::fromLatin1(c.typed);
        frm_edit* edit = chooseToChange(typed);
        if (c.chosen == 0) {
            EXPECT_EQ(messages, QList<Message> {invalidChoice}) << c.typed;
            EXPECT_EQ(edit, nullptr) << c.typed;
            auto* which = shown<frm_which>("frm_which");
            ASSERT_NE(which, nullptr);
            EXPECT_TRUE(which->txt_change->text().isEmpty());
            EXPECT_EQ(which->focusWidget(), which->txt_change);
            which->close();
            continue;
        }
        EXPECT_TRUE(messages.isEmpty()) << c.typed;
        ASSERT_NE(edit, nullptr) << c.typed;
        EXPECT_EQ(shown<frm_which>("frm_which"), nullptr) << "the which-dialog closes";
        EXPECT_EQ(edit->lbl_list->text(), typed) << "shown as typed";
        EXPECT_EQ(Module1::ChosenListing, typed.trimmed());
        const QString k = QString::number(c.chosen);
        EXPECT_EQ(edit->txt_program->text(), padded("site" + k, 75)) << c.typed;
        EXPECT_EQ(edit->txt_user->text(), padded("user" + k, 20));
        EXPECT_EQ(edit->txt_password->text(), padded("pw" + k, 15));
        edit->close();
    }
    EXPECT_EQ(grid()->Rows(), kChoiceListings + 1);
}

TEST_F(ListingDialogsTest, DeleteAcceptsAndRefusesEveryEntry)
{
    for (const ChoiceCase& c : kChoiceCases) {
        messages.clear();
        openWithListings(kChoiceListings);
        deleteListing(QString::fromLatin1(c.typed));
        if (c.chosen == 0) {
            EXPECT_EQ(messages, QList<Message> {invalidChoice}) << c.typed;
            EXPECT_EQ(grid()->Rows(), kChoiceListings + 1) << c.typed;
            auto* form = window<frm_delete>("frm_delete");
            ASSERT_NE(form, nullptr);
            EXPECT_TRUE(form->txt_delete->text().isEmpty());
            EXPECT_EQ(form->focusWidget(), form->txt_delete);
        } else {
            EXPECT_TRUE(messages.isEmpty()) << c.typed;
            EXPECT_EQ(window<frm_delete>("frm_delete"), nullptr);
            ASSERT_EQ(grid()->Rows(), kChoiceListings) << c.typed;
            int remaining = 0;
            for (int k = 1; k <= kChoiceListings; ++k) {
                if (k == c.chosen)
                    continue;
                ++remaining;
                EXPECT_EQ(cell(remaining, 0), QString::number(remaining));
                EXPECT_EQ(cell(remaining, 1), padded("site" + QString::number(k), 75)) << c.typed;
            }
        }
        delete list;
        for (const char* name : {"frm_delete"})
            delete findWindow(name);
        settle();
    }
}

TEST_F(ListingDialogsTest, ChangeWritesTrimmedValuesIntoTheChosenRowOnly)
{
    openWithListings(5);
    frm_edit* edit = chooseToChange(" 03 ");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->lbl_list->text(), QStringLiteral(" 03 "));
    edit->txt_program->setText(" www.changed.com ");
    edit->txt_password->clear();
    edit->cmd_change->click();
    settle();
    EXPECT_EQ(window<frm_edit>("frm_edit"), nullptr);
    EXPECT_EQ(grid()->Rows(), 6);
    EXPECT_EQ(rowText(3), QStringLiteral("03|www.changed.com|user3|"));
    EXPECT_EQ(cell(2, 1), padded("site2", 75));
    EXPECT_EQ(cell(4, 0), QStringLiteral("4"));

    // A delete renumbers every row, "03" included.
    deleteListing("1");
    EXPECT_EQ(cell(2, 0), QStringLiteral("2"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("www.changed.com"));
}

TEST_F(ListingDialogsTest, ChangeRefusesWhatTheFileCannotHold)
{
    openWithListings(2);
    frm_edit* edit = chooseToChange("2");
    edit->txt_user->setText(QString(21, 'u'));
    edit->cmd_change->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains("Username")) << qPrintable(messages[0].text);
    EXPECT_EQ(edit->txt_user->text(), QString(21, 'u'));
    EXPECT_EQ(cell(2, 2), padded("user2", 20));
}

TEST_F(ListingDialogsTest, OpenChangeDialogShowsANewChoice)
{
    openWithListings(5);
    frm_edit* edit = chooseToChange("2");
    edit->txt_program->setText("abandoned edit");
    EXPECT_EQ(chooseToChange("4"), edit);
    EXPECT_EQ(openWindowCount("frm_edit"), 1);
    EXPECT_EQ(edit->lbl_list->text(), QStringLiteral("4"));
    EXPECT_EQ(edit->txt_program->text(), padded("site4", 75));
    edit->txt_user->setText("new4");
    edit->cmd_change->click();
    EXPECT_EQ(cell(4, 2), QStringLiteral("new4"));
    EXPECT_EQ(cell(2, 1), padded("site2", 75));
}

TEST_F(ListingDialogsTest, ChangeDialogFollowsItsListingOrClosesWithIt)
{
    openWithListings(5);
    frm_edit* edit = chooseToChange("03");
    EXPECT_EQ(edit->lbl_list->text(), QStringLiteral("03"));
    deleteListing("1");
    ASSERT_NE(window<frm_edit>("frm_edit"), nullptr);
    EXPECT_EQ(edit->lbl_list->text(), QStringLiteral("2")) << "the number its listing has now";
    list->cmd_add->click();
    settle();
    window<frm_add>("frm_add")->cmd_add->click();
    settle();
    EXPECT_EQ(edit->lbl_list->text(), QStringLiteral("2")) << "a listing added below moves nothing";
    edit->txt_user->setText("moved");
    edit->cmd_change->click();
    EXPECT_EQ(rowText(2), QStringLiteral("2|site3|moved|pw3"));
    EXPECT_EQ(cell(3, 2), padded("user4", 20));

    QPointer<frm_edit> second = chooseToChange("3");
    ASSERT_FALSE(second.isNull());
    deleteListing("3");
    EXPECT_TRUE(second.isNull()) << "its listing is gone";
    EXPECT_EQ(grid()->Rows(), 5) << "one added, one deleted";
}

TEST_F(ListingDialogsTest, NumberLabelShrinksForALongChoiceAndGrowsBackForAShortOne)
{
    openWithListings(3);
    frm_edit* edit = chooseToChange("2");
    const QFont full = edit->lbl_list->font();
    chooseToChange("  +0,000,000,000,000,000,002.000000000000e0  ");
    ASSERT_EQ(window<frm_edit>("frm_edit"), edit) << "the open dialog is filled again";
    EXPECT_LT(edit->lbl_list->font().pointSizeF(), full.pointSizeF()) << "shrunk to fit";
    chooseToChange("3");
    EXPECT_EQ(edit->lbl_list->text(), QStringLiteral("3"));
    EXPECT_EQ(edit->lbl_list->font(), full);
}

TEST_F(ListingDialogsTest, CancelInEitherDialogLeavesTheGrid)
{
    openWithListings(2);
    list->cmd_edit->click();
    shown<frm_which>("frm_which")->Command2->click();
    frm_edit* edit = chooseToChange("1");
    edit->txt_program->setText("not written");
    edit->Command1->click();
    settle();
    EXPECT_EQ(cell(1, 1), padded("site1", 75));
    EXPECT_EQ(openWindowCount("frm_edit") + openWindowCount("frm_which"), 0);
}

TEST_F(ListingDialogsTest, ClosingTheListClosesTheDialogsAndSavesWhatIsShown)
{
    openWithListings(3);
    list->cmd_add->click();
    list->cmd_delete->click();
    chooseToChange("2")->txt_program->setText("unsaved edit");
    deleteListing("1");
    list->cmd_lock->click();
    settle();
    for (const char* name : {"frm_add", "frm_delete", "frm_edit", "frm_which", "frm_list"})
        EXPECT_EQ(findWindow(name), nullptr) << name;
    EXPECT_EQ(readDeciphered("kxplst.ene", "Mk1"), record("site2", "user2", "pw2") + record("site3", "user3", "pw3"));
}

} // namespace
