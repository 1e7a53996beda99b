#include "gui/masterpassword/frm_pchange.h"

#include "core/session/listsession.h"
#include "core/storage/textutil.h"
#include "gui/masterpassword/backupquestions.h"
#include "gui/masterpassword/passwordboxes.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kChangeCaption = QStringLiteral("Password Change");

} // namespace

frm_pchange* frm_pchange::showOnce(ListSession& session)
{
    return Forms::showOnce(s_instance, [&session] { return new frm_pchange(session); });
}

frm_pchange::frm_pchange(ListSession& session)
    : m_session(session)
{
    Forms::setUpWindow(this, "frm_pchange", kChangeCaption);
    Forms::setClientSize(this, 3525, 2295);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("Old Password"), 360, 360, 1095, 255);
    txt_old = Forms::addPasswordBox(this, "txt_old", 1560, 240, 1695, 375);
    Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("New Password"), 360, 840, 1095, 255);
    txt_new = Forms::addPasswordBox(this, "txt_new", 1560, 720, 1695, 375);
    Label3 = Forms::addFieldLabel(this, "Label3", QStringLiteral("Confirm Password"), 120, 1320, 1335, 255);
    txt_confirm = Forms::addPasswordBox(this, "txt_confirm", 1560, 1200, 1695, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 360, 1800, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 1920, 1800, 1215, 375);

    Forms::setTabOrder({txt_old, txt_new, txt_confirm, Command1, Command2});
    if (session.isStrong())
        PasswordBoxes::takeSealedPasswords({txt_old, txt_new, txt_confirm});

    connect(Command1, &QPushButton::clicked, this, &frm_pchange::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_pchange::Command2_Click);
}

void frm_pchange::Command1_Click()
{
    if (m_busy || m_session.working())
        return;
    // The old entry comes first: with a wrong one the new ones are not compared.
    if (!PasswordBoxes::oldPasswordMatches(m_session, txt_old, QStringLiteral("Password Not Changed")))
        return;
    const std::optional<QString> accepted =
        PasswordBoxes::acceptedNewPassword(txt_new, txt_confirm, m_session.isStrong());
    if (!accepted)
        return;
    const QString newPassword = *accepted;
    const QString oldPassword = TrimSpaces(txt_old->text());

    // The list this dialog was for has closed.
    if (!m_session.hasKey()) {
        close();
        return;
    }
    const bool strong = m_session.isStrong();
    const PairedCommit::Outcome changed = m_session.changePassword(newPassword);
    if (changed.result) {
        BackupQuestions::settle(m_session.folder(), m_session.listings(),
                                {oldPassword, newPassword, strong, strong, {}}, m_busy, kChangeCaption);
        close();
        return;
    }
    if (!changed.newPasswordInForce) {
        MsgBox::show(QStringLiteral("The password was not changed.\r%1").arg(changed.result.error),
                     QStringLiteral("Password Not Changed"));
        return;
    }
    // The new password file is in place but the list is not yet: the new
    // password holds, and the list takes its place at the next save.
    MsgBox::show(QStringLiteral("The new password is in use, but the list could not be put in place under it yet.\r%1\r"
                                "Lock/Close will save the list under the new password.")
                     .arg(changed.result.error),
                 QStringLiteral("Password Changed"));
    close();
}

void frm_pchange::Command2_Click()
{
    if (!m_busy && !m_session.working())
        close();
}
