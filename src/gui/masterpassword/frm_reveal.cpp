#include "gui/masterpassword/frm_reveal.h"

#include "core/session/listsession.h"
#include "gui/masterpassword/passwordboxes.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_reveal* frm_reveal::showOnce(ListSession& session, std::function<void()> onAccepted)
{
    return Forms::showOnce(s_instance,
                           [&session, &onAccepted] { return new frm_reveal(session, std::move(onAccepted)); });
}

frm_reveal::frm_reveal(ListSession& session, std::function<void()> onAccepted)
    : m_session(session)
    , m_onAccepted(std::move(onAccepted))
{
    // The unlock dialog's layout: the same question.
    Forms::setUpWindow(this, "frm_reveal", QStringLiteral("Show Passwords"));
    Forms::setClientSize(this, 3990, 1350);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("Password"), 120, 360, 855, 255);
    txt_password = Forms::addPasswordBox(this, "txt_password", 1080, 240, 2655, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 720, 840, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 2160, 840, 1215, 375);

    Forms::setTabOrder({txt_password, Command1, Command2});
    if (session.isStrong())
        PasswordBoxes::takeSealedPasswords({txt_password});

    Forms::bindReturnAndEscape(this, Command1, Command2);
    connect(Command1, &QPushButton::clicked, this, &frm_reveal::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_reveal::Command2_Click);
}

void frm_reveal::Command1_Click()
{
    if (m_session.working())
        return;
    // Compared as the unlock dialog compares. With strong protection on, no
    // password is kept: the entry must derive the key.
    if (m_session.isEntry(txt_password->text())) {
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
    if (!m_session.working())
        close();
}
