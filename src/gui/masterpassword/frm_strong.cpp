#include "gui/masterpassword/frm_strong.h"

#include "core/masterpassword/strongprotection.h"
#include "core/listings/listbackups.h"
#include "core/session/listsession.h"
#include "core/storage/safewrite.h"
#include "core/storage/textutil.h"
#include "gui/masterpassword/backupquestions.h"
#include "gui/masterpassword/passwordboxes.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/strengthmeter.h"

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
        Forms::setClientSize(this, 4815, 4515);
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
        fra_strength = new StrengthMeter(this, QStringLiteral("strength"), 120, 2610, 4575, 720);
        fra_strength->follow(txt_new);
        Label4 = Forms::addFieldLabel(this, "Label4", QStringLiteral("Confirm Password"), 120, 3480, 1815, 255);
        txt_confirm = Forms::addPasswordBox(this, "txt_confirm", 2040, 3420, 1695, 375);
        Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 840, 4020, 1215, 375);
        Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 2520, 4020, 1215, 375);
        Forms::setTabOrder({txt_old, txt_new, txt_confirm, Command1, Command2});
        // The vault's password, not the list file's.
        PasswordBoxes::takeSealedPasswords({txt_new, txt_confirm});
    } else {
        Forms::setClientSize(this, 4815, 3375);
        Label1 = Forms::addLabel(
            this, "Label1",
            QStringLiteral("Strong protection is on. Turning it off writes your list back in the earlier format, "
                           "which anyone who can read this folder can read, and removes the sealed list. That "
                           "format gives its master password away, so it takes a new one, not the current one."),
            120, 120, 4575, 1095);
        Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("Current Password"), 120, 1380, 1815, 255);
        txt_old = Forms::addPasswordBox(this, "txt_old", 2040, 1320, 1695, 375);
        Label3 = Forms::addFieldLabel(this, "Label3", QStringLiteral("New Password"), 120, 1860, 1815, 255);
        txt_new = Forms::addPasswordBox(this, "txt_new", 2040, 1800, 1695, 375);
        Label4 = Forms::addFieldLabel(this, "Label4", QStringLiteral("Confirm Password"), 120, 2340, 1815, 255);
        txt_confirm = Forms::addPasswordBox(this, "txt_confirm", 2040, 2280, 1695, 375);
        Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 840, 2880, 1215, 375);
        Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 2520, 2880, 1215, 375);
        Forms::setTabOrder({txt_old, txt_new, txt_confirm, Command1, Command2});
        PasswordBoxes::takeSealedPasswords({txt_old});
    }
    Label1->setWordWrap(true);
    Forms::fitText(Label1);

    Forms::bindReturnAndEscape(this, Command1, Command2);
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
    const std::optional<QString> accepted = PasswordBoxes::acceptedNewPassword(txt_new, txt_confirm, true);
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
    if (!PasswordBoxes::keptDespiteWeakness(*accepted, txt_new, txt_confirm, kStrongCaption))
        return;
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
    const std::optional<QString> accepted = PasswordBoxes::acceptedNewPassword(txt_new, txt_confirm);
    if (!accepted)
        return;
    // The earlier format gives its password away: it must not open the
    // vault's backups or its copies elsewhere.
    if (*accepted == TrimSpaces(txt_old->text())) {
        MsgBox::show(QStringLiteral("The new password must differ from the current one: the earlier format gives its "
                                    "password away, and the current one still opens the sealed backups."),
                     kStrongCaption);
        txt_new->clear();
        txt_confirm->clear();
        return;
    }
    // The list this dialog was for has closed.
    if (!m_session.hasKey()) {
        close();
        return;
    }
    if (const QString refusal = misfitsMessage(m_session.listings()); !refusal.isEmpty()) {
        MsgBox::show(refusal, kStrongCaption);
        return;
    }
    if (!MsgBox::ask(QStringLiteral("Turn strong protection off?\rYour list will be kept in the earlier format again: "
                                    "anyone who can read this folder can then read your master password and every "
                                    "listing."),
                     kStrongCaption))
        return;
    if (auto turned = m_session.turnOff(*accepted); !turned) {
        MsgBox::show(QStringLiteral("Strong protection stays on.\r%1").arg(turned.error), kStrongCaption);
        return;
    }
    for (QLineEdit* box : {txt_old, txt_new, txt_confirm})
        box->clear();
    offerToRemoveSealedBackups();
    close();
}

QString frm_strong::misfitsMessage(const QList<Listing>& listings)
{
    QStringList sites;
    qsizetype count = 0;
    for (const Listing& listing : listings) {
        if (ListFile::fits(listing))
            continue;
        if (++count <= 3)
            sites.append(QStringLiteral("\"%1\"").arg(TrimSpaces(listing.site)));
    }
    if (count == 0)
        return {};
    return QStringLiteral("Strong protection stays on: %1 of your listings cannot be kept in the earlier format, "
                          "which holds at most 75 characters of web site or program, 20 of user name and 15 of "
                          "password, in Western European letters. %2 %3.\r"
                          "Shorten or change them first; nothing was changed.")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("It is") : QStringLiteral("Among them"))
        .arg(sites.join(QStringLiteral(", ")));
}

void frm_strong::offerToRemoveSealedBackups()
{
    QStringList sealed;
    for (const ListBackups::Backup& backup : ListBackups::find(m_session.folder())) {
        if (backup.kind == ListBackups::Kind::Vault)
            sealed.append(backup.path);
    }
    if (sealed.isEmpty())
        return;
    QStringList names;
    for (const QString& path : sealed)
        names.append(QFileInfo(path).fileName());
    if (!MsgBox::ask(QStringLiteral("Strong protection is off. These sealed backups of your list remain, and open "
                                    "with the passwords they were kept under:\r%1\r\rRemove them?")
                         .arg(names.join(QStringLiteral("\r"))),
                     kStrongCaption, MsgBox::Default::No))
        return;
    QStringList failed;
    for (const QString& path : sealed) {
        if (auto removed = SafeWrite::removeFile(path); !removed)
            failed.append(removed.error);
    }
    if (!failed.isEmpty())
        MsgBox::show(
            QStringLiteral("Not every sealed backup could be removed.\r%1").arg(failed.join(QStringLiteral("\r"))),
            kStrongCaption);
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
