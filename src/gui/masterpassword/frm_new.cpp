#include "gui/masterpassword/frm_new.h"

#include "core/masterpassword/passwordrules.h"
#include "core/masterpassword/setupstore.h"
#include "core/session/listsession.h"
#include "core/storage/textutil.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_new::frm_new(ListSession& session, std::function<bool()> openList)
    : m_session(session)
    , m_openList(std::move(openList))
{
    Forms::setUpWindow(this, "frm_new", QStringLiteral("Enter your new password.."));
    Forms::setClientSize(this, 3390, 2730);
    Label1 = Forms::addLabel(this, "Label1", QStringLiteral("Enter a Password for your password list. "), 120, 120,
                             3135, 255);
    Label4 = Forms::addLabel(this, "Label4",
                             QStringLiteral("Don't worry you'll be able to change it later. "
                                            "This is so the program can setup properly."),
                             120, 360, 3015, 615);
    Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("New Password"), 240, 1320, 1095, 255);
    txt_npassword = Forms::addPasswordBox(this, "txt_npassword", 1440, 1200, 1695, 375);
    Label3 = Forms::addFieldLabel(this, "Label3", QStringLiteral("Confirm Password"), 0, 1800, 1335, 255);
    txt_npasswordc = Forms::addPasswordBox(this, "txt_npasswordc", 1440, 1680, 1695, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 360, 2160, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 1800, 2160, 1215, 375);

    Forms::setTabOrder({txt_npassword, txt_npasswordc, Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &frm_new::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_new::Command2_Click);
}

void frm_new::Command1_Click()
{
    const QString first = TrimSpaces(txt_npassword->text());
    const QString second = TrimSpaces(txt_npasswordc->text());
    if (second != first) {
        MsgBox::show(QStringLiteral("Both passwords do not match. Please re-enter"),
                     QStringLiteral("It's Boo Boo Time."));
        txt_npassword->clear();
        txt_npasswordc->clear();
        return;
    }
    if (first.isEmpty()) {
        MsgBox::show(PasswordRules::emptyMessage(), PasswordRules::caption());
        txt_npassword->clear();
        txt_npasswordc->clear();
        return;
    }
    if (const QString refusal = PasswordRules::unstorableMessage(first); !refusal.isEmpty()) {
        MsgBox::show(refusal, PasswordRules::caption());
        return;
    }

    const SetupStore::Outcome stored = m_session.setUp(first);
    if (!stored.passwordInForce) {
        // Nothing changed on disk: the user can try again or cancel.
        MsgBox::show(QStringLiteral("Your password could not be set up.\r%1").arg(stored.result.error),
                     QStringLiteral("Set-Up Failed"));
        return;
    }
    if (!stored.result) {
        MsgBox::show(QStringLiteral("Your password is set up, but the new list could not be put in place yet.\r%1\r"
                                    "Lock/Close will save the list in its place.")
                         .arg(stored.result.error),
                     QStringLiteral("Set-Up Incomplete"));
    }
    if (!stored.backupPath.isEmpty()) {
        MsgBox::show(QStringLiteral("A list file was already here. It was kept as\r\"%1\"\r"
                                    "and is not opened under your new password.")
                         .arg(QFileInfo(stored.backupPath).fileName()),
                     QStringLiteral("Earlier List Kept"));
    }
    // The listing window must be open before this, the only window, closes.
    if (m_openList())
        close();
}

void frm_new::Command2_Click()
{
    close();
}
