#include "gui/masterpassword/frm_reveal.h"

#include "core/masterpassword/strongprotection.h"
#include "core/storage/module1.h"
#include "gui/ui/busy.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_reveal* frm_reveal::showOnce(std::function<void()> onAccepted)
{
    return Forms::showOnce(s_instance, [&onAccepted] { return new frm_reveal(std::move(onAccepted)); });
}

frm_reveal::frm_reveal(std::function<void()> onAccepted)
    : m_onAccepted(std::move(onAccepted))
{
    // The unlock dialog's layout: the same question.
    Forms::setUpWindow(this, "frm_reveal", QStringLiteral("Show Passwords"));
    Forms::setClientSize(this, 3990, 1350);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("Password"), 120, 360, 855, 255);
    txt_password = Forms::addPasswordBox(this, "txt_password", 1080, 240, 2655, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 720, 840, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 2160, 840, 1215, 375);

    Forms::setTabOrder({txt_password, Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &frm_reveal::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_reveal::Command2_Click);
}

void frm_reveal::Command1_Click()
{
    if (m_busy)
        return;
    // Compared as the unlock dialog compares: exactly as typed. With strong
    // protection on, no password is kept: the entry must derive the key.
    const QString entry = txt_password->text();
    bool right = !Module1::MasterPassword.isEmpty() && Module1::MasterPassword.equals(entry);
    if (Module1::StrongSession.isOpen())
        Busy::run(m_busy, [&] { right = StrongProtection::checkPassword(Module1::StrongSession, entry); });
    if (right) {
        const auto accepted = std::move(m_onAccepted);
        close();
        if (accepted)
            accepted();
        return;
    }
    MsgBox::show(QStringLiteral("Sorry password entered is in-correct"), QStringLiteral("Sorry"));
    txt_password->clear();
    txt_password->setFocus();
}

void frm_reveal::Command2_Click()
{
    if (!m_busy)
        close();
}
