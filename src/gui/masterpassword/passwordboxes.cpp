#include "gui/masterpassword/passwordboxes.h"

#include "core/masterpassword/passwordrules.h"
#include "core/masterpassword/passwordstrength.h"
#include "core/session/listsession.h"
#include "core/storage/textutil.h"
#include "gui/ui/lengthlimit.h"
#include "gui/ui/msgbox.h"

#include <QLineEdit>

namespace PasswordBoxes {

bool oldPasswordMatches(ListSession& session, QLineEdit* box, const QString& failureCaption)
{
    const ListSession::Check check = session.checkPassword(TrimSpaces(box->text()));
    if (!check.result) {
        // The list with its unsaved changes stays open: no reason to stop.
        MsgBox::show(QStringLiteral("The password was not changed.\r%1").arg(check.result.error), failureCaption);
        return false;
    }
    if (!check.matches) {
        MsgBox::show(QStringLiteral("Please re-enter old password as it doesn't match."), QStringLiteral("Boo Boo"));
        box->clear();
    }
    return check.matches;
}

void takeSealedPasswords(std::initializer_list<QLineEdit*> boxes)
{
    for (QLineEdit* box : boxes)
        LimitLength(box, PasswordRules::kSealedLength);
}

std::optional<QString> acceptedNewPassword(QLineEdit* fresh, QLineEdit* confirm, bool sealed)
{
    const QString password = TrimSpaces(fresh->text());
    QString refusal;
    QString caption = PasswordRules::caption();
    if (password != TrimSpaces(confirm->text())) {
        refusal = QStringLiteral("New Password and Confirmed Password Do No Match. Please re-enter.");
        caption = QStringLiteral("Boo Boo");
    } else if (password.isEmpty()) {
        refusal = PasswordRules::emptyMessage();
    } else if (!sealed) {
        refusal = PasswordRules::unstorableMessage(password);
    }
    if (refusal.isEmpty())
        return password;
    MsgBox::show(refusal, caption);
    fresh->clear();
    confirm->clear();
    return std::nullopt;
}

bool keptDespiteWeakness(const QString& password, QLineEdit* fresh, QLineEdit* confirm, const QString& caption)
{
    const PasswordStrength::Estimate estimate = PasswordStrength::estimate(password);
    if (estimate.level >= PasswordStrength::kWarnBelow)
        return true;
    if (MsgBox::ask(QStringLiteral("This master password is %1: %2.\rA longer one, such as a few words that do not "
                                   "belong together, holds out far longer.\r\rUse it anyway?")
                        .arg(PasswordStrength::levelName(estimate.level).toLower(), estimate.phrase),
                    caption, MsgBox::Default::No))
        return true;
    fresh->clear();
    confirm->clear();
    fresh->setFocus();
    return false;
}

} // namespace PasswordBoxes
