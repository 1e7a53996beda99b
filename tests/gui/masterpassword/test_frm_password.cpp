#include "core/storage/module1.h"
#include "gui/listings/frm_list.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/ui/formsupport.h"
#include "support/formchecks.h"
#include "support/guifixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class FrmPasswordTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        writeCiphered("kxplst.ene", {}, "abc");
    }
    frm_password* open()
    {
        auto* form = new frm_password(session, listOpener());
        Forms::showCentred(form);
        return form;
    }
    void enter(frm_password* form, const QString& entry)
    {
        form->txt_password->setText(entry);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        settle();
    }
    const Message wrong {"Sorry password entered is in-correct", "Sorry"};
    const Message thief {"Thieving bastages", "So couldn't get in huh."};
};

TEST_F(FrmPasswordTest, RightEntryOpensTheListInEitherFileLayout)
{
    for (const QByteArray& stored : {QByteArray("abc") + QByteArray(22, ' '), QByteArray("abc")}) {
        writeCiphered("kxpwfl.ene", stored, "sx8peu3");
        QPointer<frm_password> form = open();
        enter(form, "abc");
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_TRUE(form.isNull());
        EXPECT_TRUE(session.isEntry(QStringLiteral("abc")));
        auto* list = window<frm_list>("frm_list");
        ASSERT_NE(list, nullptr);
        delete list;
        EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), stored) << "unlocking changes no file";
        EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"}));
    }
}

TEST_F(FrmPasswordTest, EntryIsComparedExactlyAsTyped)
{
    writeCiphered("kxpwfl.ene", QByteArray("abc") + QByteArray(22, ' '), "sx8peu3");
    frm_password* form = open();
    for (const QString& entry : {QStringLiteral("ABC"), QStringLiteral("ab")}) {
        messages.clear();
        enter(form, entry);
        EXPECT_EQ(messages, QList<Message> {wrong}) << qPrintable(entry);
        EXPECT_TRUE(form->txt_password->text().isEmpty());
        EXPECT_EQ(form->focusWidget(), form->txt_password);
    }
    // The third wrong entry: spaces around the password count.
    messages.clear();
    QPointer<frm_password> guard(form);
    enter(form, " abc");
    EXPECT_EQ(messages, (QList<Message> {wrong, thief}));
    EXPECT_TRUE(guard.isNull()) << "the third wrong entry ends the dialog";
    EXPECT_EQ(window<frm_list>("frm_list"), nullptr);
}

TEST_F(FrmPasswordTest, TwoWrongEntriesThenTheRightOne)
{
    writeCiphered("kxpwfl.ene", "abc", "sx8peu3");
    QPointer<frm_password> form = open();
    enter(form, "abc ");
    enter(form, "x");
    EXPECT_EQ(form->WrongEntryCount, 2);
    enter(form, "abc");
    EXPECT_EQ(messages, (QList<Message> {wrong, wrong}));
    EXPECT_TRUE(form.isNull());
    EXPECT_NE(window<frm_list>("frm_list"), nullptr);
}

TEST_F(FrmPasswordTest, EmptyStoredPasswordNeverUnlocks)
{
    frm_password* form = open();
    enter(form, "");
    EXPECT_EQ(messages, QList<Message> {wrong});
    EXPECT_EQ(window<frm_list>("frm_list"), nullptr);
    EXPECT_EQ(files(), QStringList {"kxplst.ene"}) << "the read wrote nothing";
}

TEST_F(FrmPasswordTest, CancelAfterAWrongEntryEndsWithoutMoreMessages)
{
    writeCiphered("kxpwfl.ene", "abc", "sx8peu3");
    QPointer<frm_password> form = open();
    enter(form, "nope");
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    settle();
    EXPECT_EQ(messages, QList<Message> {wrong});
    EXPECT_TRUE(form.isNull());
}

} // namespace
