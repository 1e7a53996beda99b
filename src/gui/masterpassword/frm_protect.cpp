#include "gui/masterpassword/frm_protect.h"

#include "gui/ui/formsupport.h"

#include <QLabel>
#include <QPushButton>

frm_protect::frm_protect(std::function<void()> onStrong, std::function<void()> onScrambled)
    : m_onStrong(std::move(onStrong))
    , m_onScrambled(std::move(onScrambled))
{
    Forms::setUpWindow(this, "frm_protect", QStringLiteral("Protect Your Password List"));
    Forms::setClientSize(this, 5655, 3495);
    Label1 = Forms::addLabel(this, "Label1",
                             QStringLiteral("Vellamar keeps your log-ins under one master password. How should it "
                                            "protect your new list?"),
                             120, 120, 5415, 495);
    cmd_strong =
        Forms::addButton(this, "cmd_strong", QStringLiteral("Strong protection (recommended)"), 120, 720, 5415, 495);
    lbl_strong = Forms::addLabel(this, "lbl_strong",
                                 QStringLiteral("Your list is sealed with a key made from your master password: "
                                                "nothing in it can be read without that password. Earlier versions "
                                                "of Vellamar cannot open it."),
                                 360, 1260, 5175, 615);
    cmd_scrambled = Forms::addButton(this, "cmd_scrambled", QStringLiteral("The scrambled format of earlier versions"),
                                     120, 2040, 5415, 495);
    lbl_scrambled = Forms::addLabel(this, "lbl_scrambled",
                                    QStringLiteral("Anyone who can read this folder can read your list and your "
                                                   "master password. It is kept so that earlier versions of Vellamar "
                                                   "can open the list."),
                                    360, 2580, 5175, 615);
    for (QLabel* label : {Label1, lbl_strong, lbl_scrambled}) {
        label->setWordWrap(true);
        Forms::fitText(label);
    }
    Forms::setTabOrder({cmd_strong, cmd_scrambled});
    // Escape and the close box end the program, as closing the set-up does.
    Forms::bindReturnAndEscape(this, cmd_strong, nullptr);

    connect(cmd_strong, &QPushButton::clicked, this, &frm_protect::cmd_strong_Click);
    connect(cmd_scrambled, &QPushButton::clicked, this, &frm_protect::cmd_scrambled_Click);
}

void frm_protect::cmd_strong_Click()
{
    // The next window first: the last one closing would end the program.
    m_onStrong();
    close();
}

void frm_protect::cmd_scrambled_Click()
{
    m_onScrambled();
    close();
}
