#include "gui/masterpassword/frm_strong.h"

#include "core/masterpassword/strongprotection.h"
#include "core/session/listsession.h"
#include "core/storage/textutil.h"
#include "gui/masterpassword/backupquestions.h"
#include "gui/masterpassword/passwordboxes.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kStrongCaption = QStringLiteral("Strong Protection");

} // namespace

frm_strong* frm_strong::showOnce(ListSession& session)
{
    return Forms::showOnce(s_instance, [&session] {
        // What the open list is, not what lies in the folder, says which way.
        return new frm_strong(session, !session.isStrong());
    });
}

frm_strong::frm_strong(ListSession& session, bool turnsOn)
    : m_turnsOn(turnsOn)
    , m_session(session)
{
    Forms::setUpWindow(this, "frm_strong", kStrongCaption);
    if (turnsOn) {
        Forms::setClientSize(this, 4815, 3735);
        Label1 = Forms::addLabel(
            this, "Label1",
            QStringLiteral("Strong protection seals your list with a key made from your master password, so that "
                           "the files cannot be read without it. Earlier versions of Vellamar cannot open a sealed "
                           "list, and opening it takes about half a second. Your master password must change, "
                           "because the current one can be read from the files kept until now and from the "
                           "disk's deleted blocks."),
            120, 120, 4575, 1455);
        Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("Current Password"), 120, 1740, 1815, 255);
        txt_old = Forms::addPasswordBox(this, "txt_old", 2040, 1680, 1695, 375);
        Label3 = Forms::addFieldLabel(this, "Label3", QStringLiteral("New Password"), 120, 2220, 1815, 255);
        txt_new = Forms::addPasswordBox(this, "txt_new", 2040, 2160, 1695, 375);
        Label4 = Forms::addFieldLabel(this, "Label4", QStringLiteral("Confirm Password"), 120, 2700, 1815, 255);
        txt_confirm = Forms::addPasswordBox(this, "txt_confirm", 2040, 2640, 1695, 375);
        Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 840, 3240, 1215, 375);
        Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 2520, 3240, 1215, 375);
        Forms::setTabOrder({txt_old, txt_new, txt_confirm, Command1, Command2});
    } else {
        Forms::setClientSize(this, 4815, 2175);
        Label1 = Forms::addLabel(
            this, "Label1",
            QStringLiteral("Strong protection is on. Turning it off writes your list back in the earlier format, "
                           "which anyone who can read this folder can read, and removes the sealed list."),
            120, 120, 4575, 855);
        Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("Password"), 120, 1140, 1815, 255);
        txt_old = Forms::addPasswordBox(this, "txt_old", 2040, 1080, 1695, 375);
        Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 840, 1680, 1215, 375);
        Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 2520, 1680, 1215, 375);
        Forms::setTabOrder({txt_old, Command1, Command2});
    }
    Label1->setWordWrap(true);
    Forms::fitText(Label1);

    connect(Command1, &QPushButton::clicked, this, &frm_strong::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_strong::Command2_Click);
}

void frm_strong::Command1_Click()
{
    if (m_busy || m_session.working())
        return;
    if (!PasswordBoxes::oldPasswordMatches(m_session, txt_old, kStrongCaption))
        return;
    if (m_turnsOn)
        turnOn();
    else
        turnOff();
}

void frm_strong::turnOn()
{
    const std::optional<QString> accepted = PasswordBoxes::acceptedNewPassword(txt_new, txt_confirm);
    if (!accepted)
        return;
    if (*accepted == TrimSpaces(txt_old->text())) {
        MsgBox::show(QStringLiteral("The new password must differ from the current one: the current one can be read "
                                    "from the files Vellamar kept until now."),
                     kStrongCaption);
        txt_new->clear();
        txt_confirm->clear();
        return;
    }
    if (auto refusal = StrongProtection::refusalToTurnOn(m_session.folder()); !refusal) {
        MsgBox::show(QStringLiteral("Strong protection was not turned on.\r%1").arg(refusal.error), kStrongCaption);
        return;
    }
    // The list this dialog was for has closed.
    if (!m_session.hasKey()) {
        close();
        return;
    }
    const StrongProtection::TurnedOn turned = m_session.turnOn(*accepted);
    if (!turned.on) {
        MsgBox::show(QStringLiteral("Strong protection was not turned on.\r%1").arg(turned.result.error),
                     kStrongCaption);
        return;
    }
    // The copies kept so far are weak, and under the old password.
    const BackupQuestions::Change change {TrimSpaces(txt_old->text()), *accepted, true, false, {}};
    for (QLineEdit* box : {txt_old, txt_new, txt_confirm})
        box->clear();
    if (!turned.result) {
        MsgBox::show(QStringLiteral("Strong protection is on, but an earlier file could not be removed yet.\r%1\r"
                                    "The next start keeps it aside as a backup.")
                         .arg(turned.result.error),
                     kStrongCaption);
    }
    BackupQuestions::settle(m_session.folder(), m_session.listings(), change, m_busy, kStrongCaption);
    close();
}

void frm_strong::turnOff()
{
    if (!MsgBox::ask(QStringLiteral("Turn strong protection off?\rYour list will be kept in the earlier format again: "
                                    "anyone who can read this folder can then read your master password and every "
                                    "listing."),
                     kStrongCaption))
        return;
    if (!m_session.hasKey()) {
        close();
        return;
    }
    if (auto turned = m_session.turnOff(TrimSpaces(txt_old->text())); !turned) {
        MsgBox::show(QStringLiteral("Strong protection stays on.\r%1").arg(turned.error), kStrongCaption);
        return;
    }
    txt_old->clear();
    close();
}

void frm_strong::Command2_Click()
{
    if (!m_busy && !m_session.working())
        close();
}

void frm_strong::closeEvent(QCloseEvent* event)
{
    // Not while a key is being derived for this dialog.
    if (m_busy || m_session.working())
        event->ignore();
    else
        QWidget::closeEvent(event);
}
