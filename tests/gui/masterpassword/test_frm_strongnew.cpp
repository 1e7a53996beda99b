// A new list's first start: the question of how to protect it, and the
// set-up of strong protection.
#include "core/masterpassword/strongprotection.h"
#include "core/storage/filecipher.h"
#include "core/storage/vault.h"
#include "gui/listings/frm_list.h"
#include "gui/masterpassword/frm_protect.h"
#include "gui/masterpassword/frm_strongnew.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"
#include "support/guifixture.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

// Forty characters of several scripts, typed key by key.
const QString kForty =
    QString::fromUtf16(u"\u0141ukasz \u017Ar\u00F3d\u0142o \u65E5\u672C\u8A9E \u0645\u0631\u062D"
                       u"\u0628\u0627 \u0394\u03B5\u03BB\u03C4\u03B1 \u043A\u043B\u044E\u0447 9\u00DF!");

void typeInto(QWidget* box, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

class FrmProtectTest : public GuiTest { };

TEST_F(FrmProtectTest, ReturnTakesTheFocusedChoiceAndEscapeTakesNone)
{
    const struct {
        const char* name;
        std::function<void(frm_protect*)> act;
        const char* chosen; // "" when the window closed without a choice
    } cases[] = {
        {"Return", [](frm_protect* form) { QTest::keyClick(form, Qt::Key_Return); }, "strong"},
        {"Tab then Return",
         [](frm_protect* form) {
             QTest::keyClick(form->focusWidget(), Qt::Key_Tab);
             QTest::keyClick(form, Qt::Key_Return);
         },
         "scrambled"},
        {"click scrambled", [](frm_protect* form) { form->cmd_scrambled->click(); }, "scrambled"},
        {"Escape", [](frm_protect* form) { QTest::keyClick(form, Qt::Key_Escape); }, ""},
        {"close box", [](frm_protect* form) { form->close(); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString chosen;
        QPointer<frm_protect> form =
            new frm_protect([&chosen] { chosen = "strong"; }, [&chosen] { chosen = "scrambled"; });
        Forms::showCentred(form);
        settle();
        EXPECT_EQ(form->focusWidget(), form->cmd_strong);
        EXPECT_TRUE(form->cmd_strong->isDefault());
        c.act(form);
        settle();
        EXPECT_EQ(chosen, QString::fromLatin1(c.chosen));
        EXPECT_TRUE(form.isNull()) << "the question closes either way";
    }
}

class FrmStrongNewTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
        session.setFolder(folder());
    }
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        GuiTest::TearDown();
    }
    frm_strongnew* open()
    {
        auto* form = new frm_strongnew(session, listOpener(), [this] { ++backs; });
        Forms::showCentred(form);
        settle();
        return form;
    }
    void confirm(frm_strongnew* form, const QString& first, const QString& second)
    {
        form->txt_npassword->setText(first);
        form->txt_npasswordc->setText(second);
        form->Command1->click();
        settle();
    }

    int backs = 0;
};

TEST_F(FrmStrongNewTest, AFortyCharacterPasswordInAnyScriptSealsTheNewList)
{
    QPointer<frm_strongnew> form = open();
    typeInto(form->txt_npassword, kForty);
    typeInto(form->txt_npasswordc, kForty);
    ASSERT_EQ(form->txt_npassword->text(), kForty) << "nothing cut";
    QTest::keyClick(form, Qt::Key_Return);
    settle();
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.value(0).text);
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(backs, 0);
    ASSERT_NE(frm_list::instance(), nullptr);
    EXPECT_TRUE(session.holdsAnyText());
    EXPECT_EQ(files(), (QStringList {"kxinit.ene", "kxplst.vault"}));

    // The next start: the unlock dialog opens the vault with the password.
    delete frm_list::instance();
    settle();
    restartSession();
    ASSERT_NE(unlockWith(kForty), nullptr);
    EXPECT_TRUE(session.holdsAnyText());
}

TEST_F(FrmStrongNewTest, RefusedEntriesWriteNothing)
{
    const struct {
        const char* name;
        QString first, second;
        Message said;
    } cases[] = {
        {"differ",
         "one pass",
         "one pasS",
         {"New Password and Confirmed Password Do No Match. Please re-enter.", "Boo Boo"}},
        {"empty",
         "",
         "",
         {"The password cannot be empty or only spaces.\rPlease enter a password.", "Password Not Accepted"}},
        {"only spaces",
         "   ",
         "   ",
         {"The password cannot be empty or only spaces.\rPlease enter a password.", "Password Not Accepted"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<frm_strongnew> form = open();
        const auto before = snapshot();
        messages.clear();
        confirm(form, c.first, c.second);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].caption, c.said.caption);
        EXPECT_EQ(messages[0].text, c.said.text);
        EXPECT_TRUE(form->txt_npassword->text().isEmpty() && form->txt_npasswordc->text().isEmpty());
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(frm_list::instance(), nullptr);
        delete form.data();
    }
}

TEST_F(FrmStrongNewTest, CancelOrCloseGoesBackToTheQuestion)
{
    for (const bool byEscape : {false, true}) {
        QPointer<frm_strongnew> form = open();
        form->txt_npassword->setText("typed");
        if (byEscape)
            QTest::keyClick(form, Qt::Key_Escape);
        else
            form->close();
        settle();
        EXPECT_TRUE(form.isNull());
    }
    EXPECT_EQ(backs, 2);
    EXPECT_EQ(files(), QStringList {"kxinit.ene"});
}

TEST_F(FrmStrongNewTest, AnEarlierListIsNamedAndItsCopiesOffered)
{
    writeFile("kxplst.ene", CipherBytes(QByteArray(110, 'x'), "old"));
    writeCiphered("kxpwfl.ene", QByteArray("old").leftJustified(25, ' '), "sx8peu3");
    MsgBox::setAnswerForTesting(false);
    QPointer<frm_strongnew> form = open();
    confirm(form, "new pass phrase 8 kettle", "new pass phrase 8 kettle");
    ASSERT_NE(frm_list::instance(), nullptr);
    const QStringList kept = files().filter("-backup-");
    ASSERT_EQ(kept.size(), 2) << qPrintable(files().join(' '));
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages[0].text.contains(kept.at(0))) << qPrintable(messages[0].text);
    EXPECT_EQ(messages[0].caption, "Set Up Strong Protection");
    EXPECT_TRUE(messages.back().text.contains("Remove them")) << qPrintable(messages.back().text);
    EXPECT_EQ(files().filter("-backup-"), kept) << "No kept them";
}

TEST_F(FrmStrongNewTest, AFolderThatRefusesTheVaultLeavesTheDialogOpen)
{
    setWritable("", false);
    QPointer<frm_strongnew> form = open();
    confirm(form, "new pass phrase 8 kettle", "new pass phrase 8 kettle");
    setWritable("", true);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].caption, "Set-Up Failed");
    EXPECT_TRUE(messages[0].text.contains("kxplst.vault")) << qPrintable(messages[0].text);
    EXPECT_FALSE(form.isNull());
    EXPECT_EQ(frm_list::instance(), nullptr);
    EXPECT_EQ(files(), QStringList {"kxinit.ene"});
}

} // namespace
