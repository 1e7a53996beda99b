#include "gui/masterpassword/passwordboxes.h"

#include "core/masterpassword/passwordrules.h"
#include "core/masterpassword/strongprotection.h"
#include "core/storage/datafiles.h"
#include "core/storage/module1.h"
#include "core/storage/textutil.h"
#include "gui/ui/busy.h"
#include "gui/ui/msgbox.h"

#include <QLineEdit>

namespace PasswordBoxes {

bool oldPasswordMatches(QLineEdit* box, bool& busy, const QString& failureCaption)
{
    const QString typed = TrimSpaces(box->text());
    bool matches = false;
    if (Module1::StrongSession.isOpen()) {
        Busy::run(busy, [&] { matches = StrongProtection::checkPassword(Module1::StrongSession, typed); });
    } else {
        // Checked against the file, not the password in memory.
        QString stored;
        if (auto read = DataFiles::readStoredPassword(Module1::Folder, &stored); !read) {
            // The list with its unsaved changes stays open: no reason to stop.
            MsgBox::show(QStringLiteral("The password was not changed.\r%1").arg(read.error), failureCaption);
            return false;
        }
        matches = typed == stored;
        wipeText(stored);
    }
    if (!matches) {
        MsgBox::show(QStringLiteral("Please re-enter old password as it doesn't match."), QStringLiteral("Boo Boo"));
        box->clear();
    }
    return matches;
}

std::optional<QString> acceptedNewPassword(QLineEdit* fresh, QLineEdit* confirm)
{
    const QString password = TrimSpaces(fresh->text());
    QString refusal;
    QString caption = PasswordRules::caption();
    if (password != TrimSpaces(confirm->text())) {
        refusal = QStringLiteral("New Password and Confirmed Password Do No Match. Please re-enter.");
        caption = QStringLiteral("Boo Boo");
    } else if (password.isEmpty()) {
        refusal = PasswordRules::emptyMessage();
    } else {
        refusal = PasswordRules::unstorableMessage(password);
    }
    if (refusal.isEmpty())
        return password;
    MsgBox::show(refusal, caption);
    fresh->clear();
    confirm->clear();
    return std::nullopt;
}

} // namespace PasswordBoxes
