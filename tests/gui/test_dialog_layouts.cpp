// Every dialog's layout from one table: caption, client area, each
// control's text and place in twips, the tab order and where the focus
// starts, and which boxes hide what is typed; each dialog a test of its own.
#include "core/masterpassword/strongprotection.h"
#include "core/storage/module1.h"
#include "core/storage/vault.h"
#include "gui/launch/frm_about.h"
#include "gui/listings/frm_add.h"
#include "gui/listings/frm_delete.h"
#include "gui/listings/frm_edit.h"
#include "gui/listings/frm_find.h"
#include "gui/listings/frm_generator.h"
#include "gui/listings/frm_which.h"
#include "gui/listings/listfixture.h"
#include "gui/masterpassword/frm_new.h"
#include "gui/masterpassword/frm_protect.h"
#include "gui/masterpassword/frm_strongnew.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/masterpassword/frm_pchange.h"
#include "gui/masterpassword/frm_reveal.h"
#include "gui/masterpassword/frm_strong.h"
#include "gui/options/frm_options.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/twips.h"
#include "support/formchecks.h"

#include <QAction>
#include <QFontMetrics>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <optional>
#include <vector>

namespace {

class DialogLayoutTest;

struct DialogLayout {
    const char* name;
    QString caption;
    int width, height;
    std::vector<ControlPlace> controls;
    QStringList tabOrder; // the first takes the focus
    QStringList passwordBoxes; // "*" for each character, at most 15
    QStringList fieldLabels; // right-aligned beside their boxes
    // Shows the dialog; one reached from the listing window opens that first.
    std::function<void(DialogLayoutTest&)> open;
    const char* variant = ""; // tells apart two layouts of one dialog
    // Password boxes for the vault's password: up to 1,024 characters.
    QStringList sealedBoxes = {};
    // The one button shown as the default (the program's own question).
    const char* defaultButton = "";
};

void PrintTo(const DialogLayout& layout, std::ostream* out)
{
    *out << layout.name << ' ' << layout.variant;
}

class DialogLayoutTest : public ListWindowTest, public ::testing::WithParamInterface<DialogLayout> {
public:
    static std::vector<DialogLayout> dialogs();
};

std::vector<DialogLayout> DialogLayoutTest::dialogs()
{
    return {
        {"frm_protect",
         "Protect Your Password List",
         5655,
         3495,
         {{"Label1", {}, 120, 120, 5415, 495},
          {"cmd_strong", "Strong protection (recommended)", 120, 720, 5415, 495},
          {"lbl_strong", {}, 360, 1260, 5175, 615},
          {"cmd_scrambled", "The scrambled format of earlier versions", 120, 2040, 5415, 495},
          {"lbl_scrambled", {}, 360, 2580, 5175, 615}},
         {"cmd_strong", "cmd_scrambled"},
         {},
         {},
         [](DialogLayoutTest&) { Forms::showCentred(new frm_protect([] {}, [] {})); },
         "",
         {},
         "cmd_strong"},
        {"frm_strongnew",
         "Set Up Strong Protection",
         4815,
         3555,
         {{"Label1", {}, 120, 120, 4575, 855},
          {"Label2", "New Password", 120, 1200, 1815, 255},
          {"txt_npassword", "", 2040, 1140, 2655, 375},
          {"fra_strength", {}, 120, 1590, 4575, 720},
          {"bar_strength", {}, 0, 0, 4575, 180},
          {"lbl_strength", "", 0, 225, 4575, 495},
          {"Label3", "Confirm Password", 120, 2460, 1815, 255},
          {"txt_npasswordc", "", 2040, 2400, 2655, 375},
          {"Command1", "OK", 840, 3000, 1215, 375},
          {"Command2", "Cancel", 2520, 3000, 1215, 375}},
         {"txt_npassword", "txt_npasswordc", "Command1", "Command2"},
         {"txt_npassword", "txt_npasswordc"},
         {"Label2", "Label3"},
         [](DialogLayoutTest& t) { Forms::showCentred(new frm_strongnew(t.session, t.listOpener(), {})); },
         "",
         {"txt_npassword", "txt_npasswordc"},
         "Command1"},
        {"frm_new",
         "Enter your new password..",
         3390,
         2730,
         {{"Label1", "Enter a Password for your password list. ", 120, 120, 3135, 255},
          {"Label4", "Don't worry you'll be able to change it later. This is so the program can setup properly.", 120,
           360, 3015, 615},
          {"Label2", "New Password", 240, 1320, 1095, 255},
          {"txt_npassword", "", 1440, 1200, 1695, 375},
          {"Label3", "Confirm Password", 0, 1800, 1335, 255},
          {"txt_npasswordc", "", 1440, 1680, 1695, 375},
          {"Command1", "OK", 360, 2160, 1215, 375},
          {"Command2", "Cancel", 1800, 2160, 1215, 375}},
         {"txt_npassword", "txt_npasswordc", "Command1", "Command2"},
         {"txt_npassword", "txt_npasswordc"},
         {"Label2", "Label3"},
         [](DialogLayoutTest& t) { Forms::showCentred(new frm_new(t.session, t.listOpener())); }},
        {"frm_password",
         "Enter Password",
         3990,
         1350,
         {{"Label1", "Password", 120, 360, 855, 255},
          {"txt_password", "", 1080, 240, 2655, 375},
          {"Command1", "Enter", 720, 840, 1215, 375},
          {"Command2", "Cancel", 2160, 840, 1215, 375}},
         {"txt_password", "Command1", "Command2"},
         {"txt_password"},
         {"Label1"},
         [](DialogLayoutTest& t) { Forms::showCentred(new frm_password(t.session, t.listOpener())); }},
        {"frm_pchange",
         "Password Change",
         3525,
         2295,
         {{"Label1", "Old Password", 360, 360, 1095, 255},
          {"txt_old", "", 1560, 240, 1695, 375},
          {"Label2", "New Password", 360, 840, 1095, 255},
          {"txt_new", "", 1560, 720, 1695, 375},
          {"Label3", "Confirm Password", 120, 1320, 1335, 255},
          {"txt_confirm", "", 1560, 1200, 1695, 375},
          {"Command1", "OK", 360, 1800, 1215, 375},
          {"Command2", "Cancel", 1920, 1800, 1215, 375}},
         {"txt_old", "txt_new", "txt_confirm", "Command1", "Command2"},
         {"txt_old", "txt_new", "txt_confirm"},
         {"Label1", "Label2", "Label3"},
         [](DialogLayoutTest& t) { t.openWithListings(1)->cmd_pword->click(); }},
        {"frm_add",
         "Add A Listing",
         6690,
         2235,
         {{"Label4", "Enter Your Website or Program and Usename and Password into the text boxes below.", 120, 120,
           6495, 255},
          {"Label5", "Click \"Add\" to add to your listings.", 120, 360, 6495, 255},
          {"Label1", "WebSite/Program", 120, 720, 1335, 375},
          {"txt_program", "", 1560, 720, 4935, 375},
          {"Label2", "Username", 0, 1200, 1455, 375},
          {"txt_user", "", 1560, 1200, 1935, 375},
          {"Label3", "Password", 0, 1680, 1455, 375},
          {"txt_password", "", 1560, 1680, 1935, 375},
          {"cmd_add", "Add", 4440, 1200, 1215, 375},
          {"Command2", "Cancel", 4440, 1680, 1215, 375}},
         {"txt_program", "txt_user", "txt_password", "cmd_add", "Command2"},
         {},
         {"Label1", "Label2", "Label3"},
         [](DialogLayoutTest& t) { t.openWithListings(1)->cmd_add->click(); }},
        {"frm_which",
         "Which Listing?",
         2475,
         1005,
         {{"Label1", "Which Listing Do You Want To Change?", 120, 120, 1695, 495},
          {"txt_change", "", 1800, 120, 495, 375},
          {"Command1", "OK", 120, 600, 975, 255},
          {"Command2", "Cancel", 1320, 600, 975, 255}},
         {"txt_change", "Command1", "Command2"},
         {},
         {},
         [](DialogLayoutTest& t) { t.openWithListings(1)->cmd_edit->click(); }},
        {"frm_edit",
         "Edit A Listing",
         6690,
         2775,
         {{"Label4", "Enter Your New Website or Program and Usename and Password into the text boxes below.", 120, 120,
           6495, 255},
          {"Label5", "Click \"Change\" to change to your listings.", 120, 360, 6495, 255},
          {"Label6", "The Listing You Want To Change is:", 120, 840, 3375, 255},
          {"lbl_list", "1", 2760, 840, 1215, 255},
          {"Label1", "WebSite/Program", 120, 1320, 1335, 255},
          {"txt_program", {}, 1560, 1200, 4935, 375},
          {"Label2", "Username", 0, 1800, 1455, 255},
          {"txt_user", {}, 1560, 1680, 1935, 375},
          {"Label3", "Password", 0, 2280, 1455, 255},
          {"txt_password", {}, 1560, 2160, 1935, 375},
          {"cmd_change", "Change", 4440, 1680, 1215, 375},
          {"Command1", "Cancel", 4440, 2160, 1215, 375}},
         {"txt_program", "txt_user", "txt_password", "cmd_change", "Command1"},
         {},
         {"Label1", "Label2", "Label3"},
         [](DialogLayoutTest& t) { frm_edit::showChosen(t.openWithListings(1)->grd_password, "1"); }},
        {"frm_delete",
         "Which listing?",
         2505,
         1005,
         {{"Label1", "Which Listing Do You Want To Delete?", 120, 120, 1695, 495},
          {"txt_delete", "", 1920, 120, 495, 375},
          {"Command1", "OK", 120, 600, 975, 255},
          {"Command2", "Cancel", 1440, 600, 975, 255}},
         {"txt_delete", "Command1", "Command2"},
         {},
         {},
         [](DialogLayoutTest& t) { t.openWithListings(1)->cmd_delete->click(); }},
        {"frm_strong",
         "Strong Protection",
         4815,
         4515,
         {{"Label1", {}, 120, 120, 4575, 1455},
          {"Label2", "Current Password", 120, 1740, 1815, 255},
          {"txt_old", "", 2040, 1680, 1695, 375},
          {"Label3", "New Password", 120, 2220, 1815, 255},
          {"txt_new", "", 2040, 2160, 1695, 375},
          {"fra_strength", {}, 120, 2610, 4575, 720},
          {"bar_strength", {}, 0, 0, 4575, 180},
          {"lbl_strength", "", 0, 225, 4575, 495},
          {"Label4", "Confirm Password", 120, 3480, 1815, 255},
          {"txt_confirm", "", 2040, 3420, 1695, 375},
          {"Command1", "OK", 840, 4020, 1215, 375},
          {"Command2", "Cancel", 2520, 4020, 1215, 375}},
         {"txt_old", "txt_new", "txt_confirm", "Command1", "Command2"},
         {"txt_old", "txt_new", "txt_confirm"},
         {"Label2", "Label3", "Label4"},
         [](DialogLayoutTest& t) { t.openWithListings(1)->mnu_strong->trigger(); },
         "TurningOn",
         {"txt_new", "txt_confirm"},
         "Command1"},
        // Turning off: only the password; the open list is a vault's.
        {"frm_strong",
         "Strong Protection",
         4815,
         3375,
         {{"Label1", {}, 120, 120, 4575, 1095},
          {"Label2", "Current Password", 120, 1380, 1815, 255},
          {"txt_old", "", 2040, 1320, 1695, 375},
          {"Label3", "New Password", 120, 1860, 1815, 255},
          {"txt_new", "", 2040, 1800, 1695, 375},
          {"Label4", "Confirm Password", 120, 2340, 1815, 255},
          {"txt_confirm", "", 2040, 2280, 1695, 375},
          {"Command1", "OK", 840, 2880, 1215, 375},
          {"Command2", "Cancel", 2520, 2880, 1215, 375}},
         {"txt_old", "txt_new", "txt_confirm", "Command1", "Command2"},
         {"txt_old", "txt_new", "txt_confirm"},
         {"Label2", "Label3", "Label4"},
         [](DialogLayoutTest& t) {
             t.openWithListings(1);
             StrongProtection::setNewVaultParamsForTesting(Vault::minimumParams());
             ASSERT_TRUE(t.session.turnOn("Strong1").on);
             StrongProtection::setNewVaultParamsForTesting(std::nullopt);
             t.list->mnu_strong->trigger();
         },
         "TurningOff",
         {"txt_old"},
         "Command1"},
        {"frm_About",
         "About Vellamar V1.0",
         4680,
         2430,
         {{"Image1", {}, 120, 120, 720, 720},
          {"Label1", "Vellamar V1.0.1", 960, 120, 3135, 375},
          {"Label2", {}, 960, 480, 3615, 255},
          {"Label3", {}, 960, 840, 3615, 255},
          {"Label4", {}, 960, 1080, 3375, 255},
          {"Label5", {}, 960, 1320, 3135, 255},
          {"Label6", {}, 960, 1560, 3375, 255},
          {"Command1", "O.K.", 1800, 1920, 1215, 375}},
         {"Command1"},
         {},
         {},
         [](DialogLayoutTest& t) { t.openWithListings(1)->mnu_about->trigger(); }},
        {"frm_find",
         "Find A Listing",
         4935,
         1215,
         {{"Label1", "Find What", 120, 300, 855, 255},
          {"txt_find", "", 1080, 240, 2415, 375},
          {"cmd_findnext", "Find Next", 3600, 240, 1215, 375},
          {"lbl_status", "", 120, 780, 3375, 255},
          {"cmd_close", "Close", 3600, 720, 1215, 375}},
         {"txt_find", "cmd_findnext", "cmd_close"},
         {},
         {"Label1"},
         [](DialogLayoutTest& t) { t.openWithListings(1)->mnu_find->trigger(); },
         "",
         {},
         "cmd_close"},
        {"frm_options",
         "Options",
         5535,
         2115,
         {{"Label1", "Clear copied text from the clipboard after", 120, 240, 3255, 255},
          {"txt_clipboard", {}, 3480, 180, 1935, 375},
          {"Label2", "Lock the list when left alone for", 120, 720, 3255, 255},
          {"txt_idle", {}, 3480, 660, 1935, 375},
          {"chk_screenlock", "Lock when the screen locks", 120, 1140, 5295, 315},
          {"Command1", "OK", 2760, 1620, 1215, 375},
          {"Command2", "Cancel", 4200, 1620, 1215, 375}},
         {"txt_clipboard", "txt_idle", "chk_screenlock", "Command1", "Command2"},
         {},
         {"Label1", "Label2"},
         [](DialogLayoutTest& t) {
             frm_list* list = t.openWithListings(1);
             list->setScreenLockSeen(true);
             list->mnu_options->trigger();
         },
         "",
         {},
         "Command1"},
        // No bus to hear the screen lock on: the choice cannot be changed
        // (so Tab passes it) and a line says why.
        {"frm_options",
         "Options",
         5535,
         2415,
         {{"Label1", "Clear copied text from the clipboard after", 120, 240, 3255, 255},
          {"txt_clipboard", {}, 3480, 180, 1935, 375},
          {"Label2", "Lock the list when left alone for", 120, 720, 3255, 255},
          {"txt_idle", {}, 3480, 660, 1935, 375},
          {"chk_screenlock", "Lock when the screen locks", 120, 1140, 5295, 315},
          {"lbl_screenlock", "The screen lock cannot be seen on this system.", 120, 1500, 5295, 255},
          {"Command1", "OK", 2760, 1920, 1215, 375},
          {"Command2", "Cancel", 4200, 1920, 1215, 375}},
         {"txt_clipboard", "txt_idle", "Command1", "Command2"},
         {},
         {"Label1", "Label2"},
         [](DialogLayoutTest& t) { t.openWithListings(1)->mnu_options->trigger(); },
         "NoBus",
         {},
         "Command1"},
        {"frm_generator",
         "Password Generator",
         6135,
         4755,
         {{"Label1", "Length", 120, 180, 1215, 255},
          {"txt_length", {}, 1440, 120, 1935, 375},
          {"chk_lower", "Lower-case letters", 120, 660, 2895, 315},
          {"chk_upper", "Upper-case letters", 3120, 660, 2895, 315},
          {"chk_digits", "Digits", 120, 1020, 2895, 315},
          {"chk_symbols", "Symbols (!#$%*+-=?@^_)", 3120, 1020, 2895, 315},
          {"chk_lookalikes", "Leave out look-alike characters (Il1O0)", 120, 1380, 5895, 315},
          {"txt_generated", {}, 120, 1860, 5895, 375},
          {"bar_strength", {}, 120, 2340, 5895, 180},
          {"lbl_strength", {}, 120, 2565, 5895, 570},
          {"Label2", "As a master password:", 120, 3180, 5895, 255},
          {"fra_master", {}, 120, 3435, 5895, 720},
          {"bar_master", {}, 0, 0, 5895, 180},
          {"lbl_master", {}, 0, 225, 5895, 495},
          {"cmd_new", "New", 120, 4260, 1215, 375},
          {"cmd_copy", "Copy", 1440, 4260, 1215, 375},
          {"cmd_use", "Use", 2760, 4260, 1215, 375},
          {"cmd_close", "Close", 4800, 4260, 1215, 375}},
         // Use is off without a listing dialog to fill: Tab passes it by.
         {"txt_length", "chk_lower", "chk_upper", "chk_digits", "chk_symbols", "chk_lookalikes", "txt_generated",
          "cmd_new", "cmd_copy", "cmd_close"},
         {},
         {"Label1"},
         [](DialogLayoutTest& t) { t.openWithListings(1)->mnu_generator->trigger(); },
         "",
         {},
         "cmd_copy"},
        {"frm_reveal",
         "Show Passwords",
         3990,
         1350,
         {{"Label1", "Password", 120, 360, 855, 255},
          {"txt_password", "", 1080, 240, 2655, 375},
          {"Command1", "OK", 720, 840, 1215, 375},
          {"Command2", "Cancel", 2160, 840, 1215, 375}},
         {"txt_password", "Command1", "Command2"},
         {"txt_password"},
         {"Label1"},
         [](DialogLayoutTest& t) { frm_reveal::showOnce(t.session, {}); },
         "",
         {},
         "Command1"},
    };
}

TEST_P(DialogLayoutTest, AsDescribed)
{
    const DialogLayout& layout = GetParam();
    layout.open(*this);
    settle();
    QWidget* form = findWindow(layout.name);
    ASSERT_NE(form, nullptr);
    expectWindowBasics(form, layout.caption, layout.width, layout.height);
    expectLayout(form, layout.controls);
    auto* first = form->findChild<QWidget*>(layout.tabOrder.first());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(tabOrder(first), layout.tabOrder);
    EXPECT_EQ(form->focusWidget(), first);
    for (QLineEdit* box : form->findChildren<QLineEdit*>()) {
        const bool hidden = layout.passwordBoxes.contains(box->objectName());
        EXPECT_EQ(box->echoMode(), hidden ? QLineEdit::Password : QLineEdit::Normal) << qPrintable(box->objectName());
        // The listing dialogs' boxes have no length limit; a password box
        // takes 15 characters and refuses the 16th, saying so.
        if (!hidden) {
            EXPECT_EQ(box->maxLength(), 32767) << qPrintable(box->objectName());
            continue;
        }
        const int limit = layout.sealedBoxes.contains(box->objectName()) ? 1024 : 15;
        messages.clear();
        box->clear();
        box->insert(QString(limit, 'x'));
        QTest::keyClicks(box, "x");
        settle();
        EXPECT_EQ(box->text(), QString(limit, 'x')) << qPrintable(box->objectName());
        ASSERT_EQ(messages.size(), 1) << qPrintable(box->objectName());
        EXPECT_TRUE(messages[0].text.contains(QStringLiteral("at most %1 characters").arg(limit)))
            << qPrintable(messages[0].text);
        box->clear();
    }
    for (const QString& name : layout.fieldLabels) {
        auto* label = form->findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << qPrintable(name);
        EXPECT_TRUE(label->alignment() & Qt::AlignRight) << qPrintable(name);
    }
    // No button answers Return or Escape on its own; one may look the default.
    for (QPushButton* button : form->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->autoDefault()) << qPrintable(button->objectName());
        EXPECT_EQ(button->isDefault(), button->objectName() == QLatin1String(layout.defaultButton))
            << qPrintable(button->objectName());
    }
    delete form;
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, DialogLayoutTest, ::testing::ValuesIn(DialogLayoutTest::dialogs()),
                         [](const ::testing::TestParamInfo<DialogLayout>& info) {
                             return std::string(info.param.name) + (*info.param.variant ? "_" : "")
                                    + info.param.variant;
                         });

// The program's own dialogs follow the desktop: Return presses their first
// button, Escape their Cancel (the described dialogs bind no key).
class OwnDialogKeysTest : public ListWindowTest { };

TEST_F(OwnDialogKeysTest, ReturnPressesOkAndEscapeCancels)
{
    frm_list* list = openWithListings(1);
    const struct {
        const char* name;
        std::function<void()> open;
    } dialogs[] = {
        {"frm_strong", [list] { list->mnu_strong->trigger(); }},
        {"frm_options", [list] { list->mnu_options->trigger(); }},
        {"frm_reveal", [this] { frm_reveal::showOnce(session, {}); }},
        {"frm_strongnew", [this] { Forms::showCentred(new frm_strongnew(session, listOpener(), {})); }},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        for (const int key : {Qt::Key_Return, Qt::Key_Escape}) {
            d.open();
            settle();
            QWidget* form = findWindow(d.name);
            ASSERT_NE(form, nullptr);
            auto* ok = form->findChild<QPushButton*>("Command1");
            auto* cancel = form->findChild<QPushButton*>("Command2");
            ASSERT_TRUE(ok && cancel);
            QSignalSpy okPressed(ok, &QPushButton::clicked);
            QSignalSpy cancelPressed(cancel, &QPushButton::clicked);
            messages.clear();
            QTest::keyClick(form, Qt::Key(key));
            settle();
            EXPECT_EQ(okPressed.size(), key == Qt::Key_Return ? 1 : 0);
            EXPECT_EQ(cancelPressed.size(), key == Qt::Key_Escape ? 1 : 0);
            if (QWidget* still = findWindow(d.name))
                delete still;
            settle();
        }
    }
}

} // namespace

namespace {

// Wherever the focus stands in one of the program's own dialogs, Return
// presses the button that has it, or else the default one, and Escape
// cancels; the title fits the window's width.
TEST_F(OwnDialogKeysTest, ReturnAndEscapeWorkFromEveryControl)
{
    frm_list* list = openWithListings(1);
    const struct {
        const char* name;
        std::function<void()> open;
        const char* onReturn;
        const char* onEscape; // nullptr: the window closes
    } dialogs[] = {
        {"frm_find", [list] { list->mnu_find->trigger(); }, "cmd_close", "cmd_close"},
        {"frm_options", [list] { list->mnu_options->trigger(); }, "Command1", "Command2"},
        {"frm_strong", [list] { list->mnu_strong->trigger(); }, "Command1", "Command2"},
        {"frm_generator", [list] { list->mnu_generator->trigger(); }, "cmd_copy", "cmd_close"},
        {"frm_reveal", [this] { frm_reveal::showOnce(session, {}); }, "Command1", "Command2"},
        {"frm_strongnew", [this] { Forms::showCentred(new frm_strongnew(session, listOpener(), {})); }, "Command1",
         "Command2"},
        {"frm_protect", [] { Forms::showCentred(new frm_protect([] {}, [] {})); }, "cmd_strong", nullptr},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        d.open();
        settle();
        QWidget* form = findWindow(d.name);
        ASSERT_NE(form, nullptr);
        // The title bar also holds the icon and the close button.
        const int titleWidth = QFontMetrics(form->font()).horizontalAdvance(form->windowTitle());
        EXPECT_LE(titleWidth + Twips::size(1200, 0).width(), form->width()) << qPrintable(form->windowTitle());
        const QStringList controls = tabOrder(form->focusWidget());
        ASSERT_FALSE(controls.isEmpty());
        delete form;
        settle();
        for (const QString& control : controls) {
            SCOPED_TRACE(qPrintable(control));
            for (const int key : {Qt::Key_Return, Qt::Key_Escape}) {
                d.open();
                settle();
                QPointer<QWidget> shown = findWindow(d.name);
                ASSERT_FALSE(shown.isNull());
                auto* focus = shown->findChild<QWidget*>(control);
                ASSERT_NE(focus, nullptr);
                focus->setFocus();
                ASSERT_EQ(shown->focusWidget(), focus);
                const bool onButton = qobject_cast<QPushButton*>(focus) != nullptr;
                const char* named = key == Qt::Key_Return ? d.onReturn : d.onEscape;
                const QString expected = key == Qt::Key_Return && onButton ? control : QString::fromLatin1(named);
                QPushButton* button = expected.isEmpty() ? nullptr : shown->findChild<QPushButton*>(expected);
                std::optional<QSignalSpy> pressed;
                ASSERT_EQ(button != nullptr, !expected.isEmpty());
                if (button)
                    pressed.emplace(button, &QPushButton::clicked);
                QTest::keyClick(focus, Qt::Key(key));
                settle();
                if (button)
                    EXPECT_EQ(pressed->size(), 1) << "pressed " << qPrintable(expected);
                else
                    EXPECT_TRUE(shown.isNull() || !shown->isVisible()) << "closed";
                messages.clear();
                if (!shown.isNull())
                    delete shown;
                settle();
            }
        }
    }
}

} // namespace
