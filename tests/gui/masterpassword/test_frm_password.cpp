#include "core/masterpassword/strongprotection.h"
#include "gui/ui/msgbox.h"
#include "core/storage/module1.h"
#include "gui/listings/frm_list.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/ui/formsupport.h"
#include "support/formchecks.h"
#include "support/guifixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
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

namespace {

// One machine kept the list in the vault, another in the described pair,
// both under the same password: the unlock merges the two, and the pair is
// kept as a backup as before.
class BothFormatsTest : public GuiTest { };

TEST_F(BothFormatsTest, AVaultAndAPairUnderTheSameEntryAreMerged)
{
    StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
    session.setFolder(folder());
    ASSERT_TRUE(session.setUpStrong(QStringLiteral("Same1")).on);
    session.listings().append({QStringLiteral("www.vault.example"), QStringLiteral("v"), QStringLiteral("pv")});
    ASSERT_TRUE(session.save());
    session.forget();
    writeCiphered("kxpwfl.ene", "Same1", "sx8peu3");
    writeCiphered("kxplst.ene",
                  QByteArray("www.pair.example").leftJustified(75, ' ') + QByteArray("p").leftJustified(20, ' ')
                      + QByteArray("pp").leftJustified(15, ' '),
                  "Same1");
    const QByteArray pairList = readFile("kxplst.ene");
    MsgBox::setAnswerForTesting(false);
    frm_list* list = unlockWith(QStringLiteral("Same1"));
    StrongProtection::setNewVaultParamsForTesting(std::nullopt);
    ASSERT_NE(list, nullptr);
    QStringList sites;
    for (const Listing& l : session.listings())
        sites.append(l.site.trimmed());
    EXPECT_EQ(sites, (QStringList {"www.vault.example", "www.pair.example"}));
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                            [](const Message& m) { return m.text.contains("1 listings came in"); }));
    const QStringList kept = files().filter(QRegularExpression("^kxplst-backup-\\d{8}-\\d{6}\\.ene$"));
    ASSERT_EQ(kept.size(), 1) << qPrintable(files().join(' '));
    EXPECT_EQ(readFile(kept[0]), pairList) << "kept as a backup, as found";
}

} // namespace
