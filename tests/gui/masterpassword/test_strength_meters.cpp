// The strength meters under the boxes that set a new master password, and
// the question a weak one leads to.
#include "core/listings/passwordgenerator.h"
#include "core/masterpassword/strongprotection.h"
#include "core/storage/vault.h"
#include "gui/listings/frm_generator.h"
#include "gui/listings/listfixture.h"
#include "gui/masterpassword/frm_strong.h"
#include "gui/masterpassword/frm_strongnew.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/strengthmeter.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

using PasswordStrength::Level;

const QString kWeak = QStringLiteral("password1");
const QString kStrong = QStringLiteral("tulip-marble-orbit-93");

class StrengthMeterTest : public ListWindowTest {
public:
    void SetUp() override
    {
        ListWindowTest::SetUp();
        StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
        writeCiphered("kxinit.ene", "VELLA1nty-V1.0.1-NEWSETUP", "hmut58qkze");
    }
    void TearDown() override
    {
        StrongProtection::setNewVaultParamsForTesting(std::nullopt);
        ListWindowTest::TearDown();
    }
    frm_strongnew* openStrongNew()
    {
        session.setFolder(folder());
        auto* form = new frm_strongnew(session, listOpener(), {});
        Forms::showCentred(form);
        settle();
        return form;
    }
    frm_strong* openStrong()
    {
        writeCiphered("kxpwfl.ene", "Mk1", "sx8peu3");
        openWithListings(1);
        list->mnu_strong->trigger();
        settle();
        return window<frm_strong>("frm_strong");
    }
    // A weak password confirmed in form is asked about once: No (the
    // default) leaves nothing done and the boxes empty for another try,
    // Yes goes on until done() holds.
    void expectAskedOnceThenKept(QPointer<QWidget> form, const char* fresh, const char* confirm, const QString& caption,
                                 const std::function<bool()>& done)
    {
        ASSERT_NE(form, nullptr);
        const QString question =
            QStringLiteral("This master password is very weak: %1.\rA longer one, such as a few words that do not "
                           "belong together, holds out far longer.\r\rUse it anyway?")
                .arg(PasswordStrength::estimate(kWeak).phrase);
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(yes ? "Yes" : "No");
            auto* freshBox = control<QLineEdit>(form, fresh);
            auto* confirmBox = control<QLineEdit>(form, confirm);
            freshBox->setText(kWeak);
            confirmBox->setText(kWeak);
            messages.clear();
            MsgBox::setAnswerForTesting(yes);
            control<QPushButton>(form, "Command1")->click();
            settle();
            ASSERT_FALSE(messages.isEmpty());
            EXPECT_EQ(messages[0], (Message {question, caption}));
            EXPECT_EQ(MsgBox::lastDefaultForTesting(), MsgBox::Default::No);
            if (yes) {
                EXPECT_TRUE(done());
                EXPECT_TRUE(form.isNull()) << "done, the dialog closed";
                continue;
            }
            EXPECT_EQ(messages.size(), 1) << qPrintable(messages.back().text);
            EXPECT_FALSE(done());
            ASSERT_FALSE(form.isNull()) << "the dialog stays for another password";
            EXPECT_TRUE(freshBox->text().isEmpty());
            EXPECT_TRUE(confirmBox->text().isEmpty());
            EXPECT_EQ(form->focusWidget(), freshBox);
        }
    }
    // What the meter shows agrees with its estimate, and the estimate with
    // typed.
    static void expectShows(StrengthMeter* meter, const QString& typed)
    {
        const PasswordStrength::Estimate expected = PasswordStrength::estimate(typed);
        EXPECT_EQ(meter->estimate().bits, expected.bits);
        EXPECT_EQ(meter->label->text(), PasswordStrength::summary(expected));
        EXPECT_EQ(meter->bar->value(), typed.trimmed().isEmpty() ? 0 : expected.level + 1);
        EXPECT_EQ(meter->bar->palette().color(QPalette::Highlight), StrengthMeter::colourOf(expected.level));
        EXPECT_TRUE(Forms::textFits(meter->label)) << qPrintable(meter->label->text());
    }
};

TEST_F(StrengthMeterTest, TheMeterFollowsTypingInEachDialog)
{
    const struct {
        const char* name;
        std::function<QWidget*(StrengthMeterTest&)> open;
        const char* box;
    } dialogs[] = {
        {"frm_strongnew", [](StrengthMeterTest& t) -> QWidget* { return t.openStrongNew(); }, "txt_npassword"},
        {"frm_strong", [](StrengthMeterTest& t) -> QWidget* { return t.openStrong(); }, "txt_new"},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        QPointer<QWidget> form = d.open(*this);
        ASSERT_NE(form, nullptr);
        auto* box = control<QLineEdit>(form, d.box);
        auto* meter = control<StrengthMeter>(form, "fra_strength");
        ASSERT_TRUE(box && meter);
        EXPECT_EQ(meter->label->text(), QString());
        EXPECT_EQ(meter->bar->value(), 0);

        box->setFocus();
        QString typed;
        for (const QString& more :
             {QStringLiteral("pass"), QStringLiteral("word"), QStringLiteral("-marble-orbit"), QStringLiteral("-93")}) {
            QTest::keyClicks(box, more);
            typed += more;
            SCOPED_TRACE(qPrintable(typed));
            expectShows(meter, typed);
        }
        EXPECT_GE(meter->estimate().level, Level::Strong);
        EXPECT_TRUE(meter->label->text().startsWith(PasswordStrength::levelName(meter->estimate().level) + ": "));
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
        expectShows(meter, QString());
        delete form.data();
        delete list;
        settle();
    }
}

TEST_F(StrengthMeterTest, TheGeneratorJudgesItsPasswordAsAMasterPasswordNoHigherThanItsBits)
{
    openWithListings(1);
    list->mnu_generator->trigger();
    settle();
    auto* generator = window<frm_generator>("frm_generator");
    ASSERT_NE(generator, nullptr);
    StrengthMeter* meter = generator->fra_master;
    const struct {
        const char* name;
        std::function<void()> choose;
        Level atLeast, atMost;
    } cases[] = {
        {"15 characters of every kind", [] {}, Level::VeryStrong, Level::VeryStrong},
        {"4 digits",
         [generator] {
             for (QCheckBox* box : {generator->chk_lower, generator->chk_upper, generator->chk_symbols})
                 box->setChecked(false);
             generator->txt_length->setValue(4);
         },
         Level::VeryWeak, Level::VeryWeak},
        {"10 digits", [generator] { generator->txt_length->setValue(10); }, Level::VeryWeak, Level::Weak},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.choose();
        const QString drawn = generator->txt_generated->text();
        const double bits = PasswordGenerator::entropyBits(
            PasswordGenerator::Settings {generator->txt_length->value(), generator->chk_lower->isChecked(),
                                         generator->chk_upper->isChecked(), generator->chk_digits->isChecked(),
                                         generator->chk_symbols->isChecked(), generator->chk_lookalikes->isChecked()});
        EXPECT_EQ(meter->estimate().bits, qMin(bits, PasswordStrength::estimate(drawn).bits));
        EXPECT_GE(meter->estimate().level, c.atLeast) << qPrintable(drawn);
        EXPECT_LE(meter->estimate().level, c.atMost) << qPrintable(drawn);
        EXPECT_EQ(meter->label->text(), PasswordStrength::summary(meter->estimate()));
        EXPECT_TRUE(Forms::textFits(meter->label)) << qPrintable(meter->label->text());
        // The exact bits stay shown above it.
        EXPECT_EQ(generator->lbl_strength->text(), PasswordGenerator::strengthPhrase(bits));
    }
}

TEST_F(StrengthMeterTest, AWeakPasswordForStrongSetUpIsAskedAboutOnceAndEitherAnswerHonoured)
{
    frm_strongnew* form = openStrongNew();
    expectAskedOnceThenKept(form, "txt_npassword", "txt_npasswordc", QStringLiteral("Set Up Strong Protection"),
                            [this] { return exists("kxplst.vault"); });
}

TEST_F(StrengthMeterTest, AWeakPasswordForTurningOnIsAskedAboutOnceAndEitherAnswerHonoured)
{
    frm_strong* form = openStrong();
    ASSERT_NE(form, nullptr);
    form->txt_old->setText("Mk1");
    expectAskedOnceThenKept(form, "txt_new", "txt_confirm", QStringLiteral("Strong Protection"),
                            [this] { return session.isStrong() && exists("kxplst.vault"); });
}

TEST_F(StrengthMeterTest, AStrongNewPasswordIsNotAskedAbout)
{
    QPointer<frm_strongnew> form = openStrongNew();
    form->txt_npassword->setText(kStrong);
    form->txt_npasswordc->setText(kStrong);
    form->Command1->click();
    settle();
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.value(0).text);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(files().contains("kxplst.vault"));
}

} // namespace
