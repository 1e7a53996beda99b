#include "gui/masterpassword/frm_password.h"

#include "core/masterpassword/strongprotection.h"
#include "core/storage/datafiles.h"
#include "core/storage/module1.h"
#include "gui/ui/busy.h"
#include "gui/ui/fault.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_password::frm_password(std::function<bool()> openList) : m_openList(std::move(openList))
{
    Forms::setUpWindow(this, "frm_password", QStringLiteral("Enter Password"));
    Forms::setClientSize(this, 3990, 1350);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("Password"), 120, 360, 855, 255);
    txt_password = Forms::addPasswordBox(this, "txt_password", 1080, 240, 2655, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("Enter"), 720, 840, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 2160, 840, 1215, 375);

    Forms::setTabOrder({txt_password, Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &frm_password::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_password::Command2_Click);
}

void frm_password::Command1_Click()
{
    if (m_busy)
        return;
    // Compared exactly as typed: spaces around the entry count.
    const QString entry = txt_password->text();
    if (StrongProtection::isOn(Module1::Folder)) {
        StrongProtection::Unlocked unlocked;
        Busy::run(m_busy, [&] { unlocked = StrongProtection::unlock(Module1::Folder, entry, &Module1::StrongSession); });
        if (!unlocked.result) {
            Fault::stop(unlocked.result.error);
            return;
        }
        if (unlocked.opened) {
            // The key stands in for the password, which is not kept.
            Module1::MasterPassword.clear();
            txt_password->clear();
            if (m_openList())
                close();
            return;
        }
        refuse();
        return;
    }
    QString stored;
    if (auto read = DataFiles::readStoredPassword(Module1::Folder, &stored); !read) {
        Fault::stop(read.error);
        return;
    }
    Module1::MasterPassword = stored;

    // An empty stored password never unlocks.
    if (!stored.isEmpty() && entry == stored) {
        if (m_openList())
            close();
        return;
    }

    refuse();
}

void frm_password::refuse()
{
    MsgBox::show(QStringLiteral("Sorry password entered is in-correct"), QStringLiteral("Sorry"));
    txt_password->clear();
    txt_password->setFocus();
    ++WrongEntryCount;
    if (WrongEntryCount == 3) {
        MsgBox::show(QStringLiteral("Thieving bastages"), QStringLiteral("So couldn't get in huh."));
        close();
    }
}

void frm_password::Command2_Click()
{
    if (!m_busy)
        close();
}
