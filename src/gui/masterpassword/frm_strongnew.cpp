#include "gui/masterpassword/frm_strongnew.h"

#include "core/session/listsession.h"
#include "gui/masterpassword/backupquestions.h"
#include "gui/masterpassword/passwordboxes.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/strengthmeter.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kSetUpCaption = QStringLiteral("Set Up Strong Protection");

} // namespace

frm_strongnew::frm_strongnew(ListSession& session, std::function<bool()> openList, std::function<void()> back)
    : m_session(session)
    , m_openList(std::move(openList))
    , m_back(std::move(back))
{
    Forms::setUpWindow(this, "frm_strongnew", kSetUpCaption);
    Forms::setClientSize(this, 4815, 3555);
    Label1 = Forms::addLabel(this, "Label1",
                             QStringLiteral("Choose the master password that seals your list. Nothing in the list can "
                                            "be read without it, and no one can recover it for you. It can be up to "
                                            "1,024 characters long, in any language."),
                             120, 120, 4575, 855);
    Label1->setWordWrap(true);
    Forms::fitText(Label1);
    Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("New Password"), 120, 1200, 1815, 255);
    txt_npassword = Forms::addPasswordBox(this, "txt_npassword", 2040, 1140, 2655, 375);
    fra_strength = new StrengthMeter(this, QStringLiteral("strength"), 120, 1590, 4575, 720);
    fra_strength->follow(txt_npassword);
    Label3 = Forms::addFieldLabel(this, "Label3", QStringLiteral("Confirm Password"), 120, 2460, 1815, 255);
    txt_npasswordc = Forms::addPasswordBox(this, "txt_npasswordc", 2040, 2400, 2655, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 840, 3000, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 2520, 3000, 1215, 375);
    Forms::setTabOrder({txt_npassword, txt_npasswordc, Command1, Command2});
    PasswordBoxes::takeSealedPasswords({txt_npassword, txt_npasswordc});

    Forms::bindReturnAndEscape(this, Command1, Command2);
    connect(Command1, &QPushButton::clicked, this, &frm_strongnew::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_strongnew::Command2_Click);
}

void frm_strongnew::Command1_Click()
{
    if (m_busy || m_done || m_session.working())
        return;
    const std::optional<QString> accepted = PasswordBoxes::acceptedNewPassword(txt_npassword, txt_npasswordc, true);
    if (!accepted || !PasswordBoxes::keptDespiteWeakness(*accepted, txt_npassword, txt_npasswordc, kSetUpCaption))
        return;
    StrongSetup::Outcome outcome = m_session.setUpStrong(*accepted);
    if (!outcome.on) {
        // Nothing changed on disk: the user can try again, or go back.
        MsgBox::show(QStringLiteral("Strong protection could not be set up.\r%1").arg(outcome.result.error),
                     QStringLiteral("Set-Up Failed"));
        return;
    }
    txt_npassword->clear();
    txt_npasswordc->clear();
    m_done = true;
    // What was found beside the new list leads the questions about the
    // weak copies, which are under no password the user has typed here.
    const BackupQuestions::Change change {{}, *accepted, true, false, outcome.note};
    BackupQuestions::settle(m_session.folder(), m_session.listings(), change, m_busy, kSetUpCaption);
    // The listing window must be open before this, the only window, closes.
    // Should it not open (it said why), the vault is in place all the same:
    // the program ends, and the next start asks for its password.
    m_openList();
    close();
}

void frm_strongnew::Command2_Click()
{
    close();
}

void frm_strongnew::closeEvent(QCloseEvent* event)
{
    if (m_busy || m_session.working()) {
        event->ignore();
        return;
    }
    if (!m_done && m_back)
        std::exchange(m_back, nullptr)();
    QWidget::closeEvent(event);
}
