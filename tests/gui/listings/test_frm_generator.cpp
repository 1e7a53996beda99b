// The password generator: its dialog from the Tools menu and from the
// password box of a listing dialog, and Ctrl+G with the last settings.
#include "core/listings/passwordgenerator.h"
#include "core/options/optionsstore.h"
#include "gui/listings/frm_add.h"
#include "gui/listings/frm_generator.h"
#include "gui/listings/generatorcontext.h"
#include "gui/listings/listfixture.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/formsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

using namespace std::chrono_literals;

class GeneratorTest : public ListWindowTest {
protected:
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        ListWindowTest::TearDown();
    }
    frm_generator* openFromTools()
    {
        if (!list)
            openWithListings(1);
        list->mnu_generator->trigger();
        settle();
        auto* generator = window<frm_generator>("frm_generator");
        EXPECT_NE(generator, nullptr);
        return generator;
    }
    frm_add* openAdd()
    {
        list->cmd_add->click();
        settle();
        auto* add = window<frm_add>("frm_add");
        EXPECT_NE(add, nullptr);
        return add;
    }
    // The generator as the add dialog's password box opens it.
    frm_generator* openFromBox(QLineEdit* box)
    {
        auto* open = box->findChild<QAction*>("mnu_opengenerator");
        EXPECT_NE(open, nullptr);
        open->trigger();
        settle();
        auto* generator = window<frm_generator>("frm_generator");
        EXPECT_NE(generator, nullptr);
        return generator;
    }
    static PasswordGenerator::Settings shownSettings(const frm_generator* g)
    {
        return {g->txt_length->value(),     g->chk_lower->isChecked(),   g->chk_upper->isChecked(),
                g->chk_digits->isChecked(), g->chk_symbols->isChecked(), g->chk_lookalikes->isChecked()};
    }
    static QString clipboardText() { return QGuiApplication::clipboard()->text(); }
};

TEST_F(GeneratorTest, OpensWithTheDefaultsOfTheListFile)
{
    frm_generator* g = openFromTools();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->windowTitle(), QStringLiteral("Password Generator"));
    EXPECT_EQ(g->txt_length->value(), 15);
    EXPECT_EQ(g->txt_length->maximum(), 15) << "the list file holds 15 characters of password";
    EXPECT_EQ(g->txt_length->minimum(), 1);
    EXPECT_TRUE(g->chk_lower->isChecked() && g->chk_upper->isChecked() && g->chk_digits->isChecked()
                && g->chk_symbols->isChecked());
    EXPECT_FALSE(g->chk_lookalikes->isChecked());
    EXPECT_EQ(g->chk_lookalikes->text(), QStringLiteral("Leave out look-alike characters (Il1O0)"));
    EXPECT_TRUE(g->txt_generated->isReadOnly());
    EXPECT_TRUE(PasswordGenerator::meetsRules(g->txt_generated->text())) << qPrintable(g->txt_generated->text());
    EXPECT_TRUE(g->txt_length->hasFocus()) << "the focus starts in the first box";
    EXPECT_FALSE(g->cmd_use->isEnabled()) << "no listing dialog to fill";
    EXPECT_TRUE(g->cmd_copy->isEnabled());
    const QString first = g->txt_generated->text();
    g->cmd_new->click();
    EXPECT_NE(g->txt_generated->text(), first);
    EXPECT_TRUE(PasswordGenerator::meetsRules(g->txt_generated->text()));
    for (QWidget* control : g->findChildren<QWidget*>())
        EXPECT_FALSE(control->objectName().isEmpty()) << control->metaObject()->className();
}

// Return presses Copy (the default button without a listing dialog), which
// copies through the window's clipboard guard and closes; Escape closes.
TEST_F(GeneratorTest, ReturnCopiesThroughTheClipboardGuardAndEscapeCloses)
{
    frm_generator* g = openFromTools();
    ASSERT_NE(g, nullptr);
    list->clipboard()->setDelay(60s);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(g, Qt::Key_Escape);
    settle();
    EXPECT_EQ(findWindow("frm_generator"), nullptr);
    EXPECT_EQ(clipboardText(), QStringLiteral("before")) << "Escape copies nothing";

    g = openFromTools();
    ASSERT_NE(g, nullptr);
    const QString shown = g->txt_generated->text();
    QTest::keyClick(g->txt_length, Qt::Key_Return);
    settle();
    EXPECT_EQ(findWindow("frm_generator"), nullptr);
    EXPECT_EQ(clipboardText(), shown);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(ClipboardGuard::kSecretHintType), QByteArray(ClipboardGuard::kSecretHintValue));
    EXPECT_TRUE(list->clipboard()->clearPending()) << "cleared again like every copy";
    EXPECT_TRUE(list->clipboard()->clearIfStillOurs());
    EXPECT_TRUE(clipboardText().isEmpty());
}

// Each choice draws again at once; a choice that allows no password says
// why and offers nothing to copy.
TEST_F(GeneratorTest, ChoicesDrawAgainAndRefusalsSayWhy)
{
    frm_generator* g = openFromTools();
    ASSERT_NE(g, nullptr);
    g->txt_length->setValue(8);
    g->chk_symbols->setChecked(false);
    g->chk_lookalikes->setChecked(true);
    const QString password = g->txt_generated->text();
    EXPECT_TRUE(PasswordGenerator::meetsRules(password, shownSettings(g))) << qPrintable(password);
    for (const QChar c : QStringLiteral("Il1O0!#$%*+-=?@^_"))
        EXPECT_FALSE(password.contains(c)) << qPrintable(password);
    const double bits = PasswordGenerator::entropyBits(shownSettings(g));
    EXPECT_EQ(g->bar_strength->value(), qRound(bits));
    EXPECT_EQ(g->lbl_strength->text(), PasswordGenerator::strengthPhrase(bits));

    g->txt_length->setValue(2);
    EXPECT_TRUE(g->txt_generated->text().isEmpty());
    EXPECT_TRUE(g->lbl_strength->text().startsWith(QStringLiteral("Too short to hold 3 kinds")))
        << qPrintable(g->lbl_strength->text());
    EXPECT_TRUE(Forms::textFits(g->lbl_strength));
    EXPECT_FALSE(g->cmd_copy->isEnabled());
    EXPECT_EQ(g->bar_strength->value(), 0);

    g->txt_length->setValue(12);
    for (QCheckBox* box : {g->chk_lower, g->chk_upper, g->chk_digits})
        box->setChecked(false);
    EXPECT_TRUE(g->txt_generated->text().isEmpty());
    EXPECT_EQ(g->lbl_strength->text(), QStringLiteral("Choose at least one kind of character."));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(g, Qt::Key_Return);
    settle();
    EXPECT_EQ(clipboardText(), QStringLiteral("before")) << "nothing to copy";
    EXPECT_NE(findWindow("frm_generator"), nullptr) << "Copy is not pressed while there is nothing to copy";
}

// The settings are kept in the options file as they change; a new
// Options load finds them, and the next opening shows them.
TEST_F(GeneratorTest, SettingsAreKeptAcrossANewOptionsLoad)
{
    frm_generator* g = openFromTools();
    ASSERT_NE(g, nullptr);
    g->chk_upper->setChecked(false);
    g->chk_lookalikes->setChecked(true);
    g->txt_length->setValue(11);
    const PasswordGenerator::Settings chosen = shownSettings(g);
    g->cmd_close->click();
    settle();

    const PasswordGenerator::Settings read = OptionsStore::read(path("vellamar.ini")).generator;
    EXPECT_TRUE(read == chosen) << read.length;

    g = openFromTools();
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(shownSettings(g) == chosen);
    EXPECT_TRUE(PasswordGenerator::meetsRules(g->txt_generated->text(), chosen));
}

// From the add dialog's password box, Use (then the default) fills it
// through its edit history; Ctrl+G there uses the last settings.
TEST_F(GeneratorTest, UseFillsTheListingDialogsBoxAndCtrlGTakesTheLastSettings)
{
    openWithListings(1);
    frm_add* add = openAdd();
    ASSERT_NE(add, nullptr);
    add->txt_password->setText(QStringLiteral("old"));
    frm_generator* g = openFromBox(add->txt_password);
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->cmd_use->isEnabled());
    g->chk_symbols->setChecked(false);
    g->chk_upper->setChecked(false);
    g->txt_length->setValue(6);
    const PasswordGenerator::Settings chosen = shownSettings(g);
    const QString shown = g->txt_generated->text();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(g->txt_length, Qt::Key_Return);
    settle();
    EXPECT_EQ(findWindow("frm_generator"), nullptr);
    EXPECT_EQ(add->txt_password->text(), shown);
    EXPECT_EQ(clipboardText(), QStringLiteral("before")) << "Use copies nothing";
    add->txt_password->undo();
    EXPECT_EQ(add->txt_password->text(), QStringLiteral("old"));

    QApplication::setActiveWindow(add);
    add->txt_password->setFocus();
    QTest::keyClick(add->txt_password, Qt::Key_G, Qt::ControlModifier);
    const QString made = add->txt_password->text();
    EXPECT_TRUE(PasswordGenerator::meetsRules(made, chosen)) << qPrintable(made);
    EXPECT_EQ(findWindow("frm_generator"), nullptr) << "Ctrl+G opens no dialog";
}

// A generator open for one box closes when another opens it; Use is
// disabled once the box it fills is gone.
TEST_F(GeneratorTest, UseFollowsItsBox)
{
    openWithListings(1);
    frm_add* add = openAdd();
    ASSERT_NE(add, nullptr);
    frm_generator* g = openFromBox(add->txt_password);
    ASSERT_NE(g, nullptr);
    add->close();
    settle();
    EXPECT_FALSE(g->cmd_use->isEnabled());
    list->mnu_generator->trigger();
    settle();
    EXPECT_EQ(openWindowCount("frm_generator"), 1);
    auto* fromTools = window<frm_generator>("frm_generator");
    ASSERT_NE(fromTools, nullptr);
    EXPECT_FALSE(fromTools->cmd_use->isEnabled());
}

// With strong protection a password may have 128 characters and has 24
// unless set; a length set there is kept, and a list file takes at most 15.
TEST_F(GeneratorTest, LengthFollowsTheListsFormat)
{
    PasswordGenerator::Settings kept;
    bool anyText = true;
    ClipboardGuard clipboard;
    GeneratorContext context([&kept] { return kept; },
                             [&kept](const PasswordGenerator::Settings& settings) { kept = settings; },
                             [&anyText] { return anyText; }, &clipboard);
    EXPECT_EQ(context.generate().password.view().size(), 24);
    frm_generator* g = frm_generator::showFor(&context);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->txt_length->maximum(), 128);
    EXPECT_EQ(g->txt_length->value(), 24);
    g->chk_symbols->setChecked(false);
    EXPECT_EQ(kept.length, 0) << "the default length stays the format's default";
    for (const int length : {1, 6, 24, 128}) {
        g->txt_length->setValue(length);
        EXPECT_TRUE(Forms::textFits(g->lbl_strength)) << qPrintable(g->lbl_strength->text());
    }
    g->txt_length->setValue(100);
    EXPECT_EQ(g->txt_generated->text().size(), 100);
    EXPECT_EQ(g->bar_strength->value(), frm_generator::kFullBarBits);
    EXPECT_EQ(kept.length, 100);
    g->cmd_close->click();
    settle();

    anyText = false;
    EXPECT_EQ(context.generate().password.view().size(), 15);
    g = frm_generator::showFor(&context);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->txt_length->value(), 15);
    g->chk_symbols->setChecked(true);
    EXPECT_EQ(kept.length, 100) << "a choice of kinds keeps the length set with strong protection";
    g->cmd_close->click();
    settle();
}

} // namespace
