#include "core/storage/filecipher.h"
#include "core/storage/module1.h"
#include "gui/listings/frm_list.h"
#include "gui/masterpassword/frm_new.h"
#include "gui/ui/formsupport.h"
#include "support/faultinjection.h"
#include "support/formchecks.h"
#include "support/guifixture.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class FrmNewTest : public GuiTest {
protected:
    frm_new* open()
    {
        auto* form = new frm_new(session, listOpener());
        Forms::showCentred(form);
        return form;
    }
    // Types both entries and presses OK.
    void confirm(frm_new* form, const QString& first, const QString& second)
    {
        form->txt_npassword->setText(first);
        form->txt_npasswordc->setText(second);
        form->Command1->click();
    }
    const Message mismatch {"Both passwords do not match. Please re-enter", "It's Boo Boo Time."};
};

TEST_F(FrmNewTest, SixteenthCharacterCannotBeTyped)
{
    frm_new* form = open();
    QTest::keyClicks(form->txt_npassword, "abcdefghijklmnopq");
    EXPECT_EQ(form->txt_npassword->text(), QStringLiteral("abcdefghijklmno"));
}

TEST_F(FrmNewTest, MatchingEntriesSetUpTheListAndOpenIt)
{
    frm_new* form = open();
    QTest::keyClicks(form->txt_npassword, "abc");
    QTest::keyClicks(form->txt_npasswordc, "abc");
    QPointer<frm_new> guard(form);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    settle();

    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(session.isEntry(QStringLiteral("abc")));
    EXPECT_EQ(files(), (QStringList {"kxplst.ene", "kxpwfl.ene"}));
    EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("abc") + QByteArray(22, ' '));
    EXPECT_TRUE(readFile("kxplst.ene").isEmpty());
    EXPECT_TRUE(guard.isNull()) << "the set-up dialog closes";
    auto* list = window<frm_list>("frm_list");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->findChild<QWidget*>("grd_password")->property("visible").toBool(), true);
}

TEST_F(FrmNewTest, EntriesAreComparedAfterTrimmingSpacesOnly)
{
    frm_new* form = open();
    confirm(form, "  pw one ", "pw one");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(session.isEntry(QStringLiteral("pw one")));
}

TEST_F(FrmNewTest, DifferingEntriesAreRefusedAndBothBoxesEmptied)
{
    const std::pair<QString, QString> cases[] = {
        {"abc", "ABC"}, {"abc", "abd"}, {"abc", "abc\t"}, {"abc", ""}, {"", "abc"}};
    frm_new* form = open();
    for (const auto& [first, second] : cases) {
        messages.clear();
        form->txt_npasswordc->setFocus();
        confirm(form, first, second);
        EXPECT_EQ(messages, QList<Message> {mismatch}) << qPrintable(first + "/" + second);
        EXPECT_TRUE(form->txt_npassword->text().isEmpty());
        EXPECT_TRUE(form->txt_npasswordc->text().isEmpty());
        EXPECT_EQ(form->focusWidget(), form->txt_npasswordc) << "the focus is not moved";
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_TRUE(files().isEmpty());
    EXPECT_EQ(window<frm_list>("frm_list"), nullptr);
}

TEST_F(FrmNewTest, EmptyOrBlankPasswordIsRefused)
{
    frm_new* form = open();
    for (const QString& blank : {QString(), QStringLiteral("   ")}) {
        messages.clear();
        confirm(form, blank, blank);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].text.contains("cannot be empty")) << qPrintable(messages[0].text);
        EXPECT_TRUE(form->txt_npassword->text().isEmpty());
        EXPECT_TRUE(form->txt_npasswordc->text().isEmpty());
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_TRUE(files().isEmpty());
    EXPECT_FALSE(session.hasKey());
}

TEST_F(FrmNewTest, CharacterTheFileCannotHoldIsRefusedAndTheTextKept)
{
    frm_new* form = open();
    for (QLineEdit* box : {form->txt_npassword, form->txt_npasswordc}) {
        QTest::keyClicks(box, "pa");
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf16(u"\u0142"), Qt::NoModifier);
    }
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains(QString::fromUtf16(u"\u0142"))) << qPrintable(messages[0].text);
    EXPECT_EQ(form->txt_npassword->text(), QString::fromUtf16(u"pa\u0142"));
    EXPECT_EQ(form->txt_npasswordc->text(), QString::fromUtf16(u"pa\u0142"));
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(FrmNewTest, CancelOrCloseBoxWritesNothing)
{
    for (const bool viaButton : {true, false}) {
        QPointer<frm_new> form = open();
        form->txt_npassword->setText("abc");
        form->txt_npasswordc->setText("abc");
        if (viaButton)
            QTest::mouseClick(form->Command2, Qt::LeftButton);
        else
            form->close();
        settle();
        EXPECT_TRUE(form.isNull());
        EXPECT_TRUE(files().isEmpty());
        EXPECT_FALSE(session.hasKey());
    }
}

TEST_F(FrmNewTest, EarlierListIsKeptAsABackupAndTheUserToldItsName)
{
    const QByteArray earlier = CipherBytes(QByteArray(110, 'e'), "lost password");
    writeFile("kxplst.ene", earlier);
    confirm(open(), "newpw", "newpw");
    ASSERT_EQ(messages.size(), 1);
    const QStringList backups = files().filter("backup");
    ASSERT_EQ(backups.size(), 1);
    EXPECT_TRUE(messages[0].text.contains(backups[0])) << qPrintable(messages[0].text);
    EXPECT_EQ(readFile(backups[0]), earlier);
    EXPECT_TRUE(readFile("kxplst.ene").isEmpty());
    auto* list = window<frm_list>("frm_list");
    ASSERT_NE(list, nullptr);
}

} // namespace

namespace {

// A set-up that fails before the password file is in place changes nothing
// and lets the user try again; one that fails after it opens the list.
TEST_F(FrmNewTest, ASetUpFailingAtAnyStepLeavesAFolderThatOpens)
{
    QPointer<frm_new> form;
    const int steps = FaultInjection::failAtEachStep(
        [&] {
            messages.clear();
            delete frm_list::instance();
            clearFolder();
            if (!form)
                form = open();
        },
        [&] { confirm(form, "abc", "abc"); },
        [&](const FaultInjection::Attempt& run) {
            settle();
            if (!run.faulted) {
                EXPECT_TRUE(messages.isEmpty());
                EXPECT_TRUE(form.isNull());
                return;
            }
            ASSERT_EQ(messages.size(), 1) << run.step;
            if (messages[0].caption == QStringLiteral("Set-Up Failed")) {
                EXPECT_TRUE(form && form->isVisible()) << run.step;
                EXPECT_TRUE(files().isEmpty()) << run.step << ": " << qPrintable(files().join(' '));
                EXPECT_EQ(frm_list::instance(), nullptr);
            } else {
                EXPECT_EQ(messages[0].caption, QStringLiteral("Set-Up Incomplete")) << run.step;
                EXPECT_TRUE(session.isEntry(QStringLiteral("abc")));
                ASSERT_NE(frm_list::instance(), nullptr) << run.step;
                EXPECT_EQ(readDeciphered("kxpwfl.ene", "sx8peu3"), QByteArray("abc") + QByteArray(22, ' '));
            }
        });
    EXPECT_EQ(steps, 10);
}

} // namespace
