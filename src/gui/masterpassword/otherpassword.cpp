#include "gui/masterpassword/otherpassword.h"

#include "core/session/listsession.h"
#include "gui/ui/passwordprompt.h"

#include <QDir>

namespace OtherPassword {

bool adopt(ListSession& session)
{
    const QString caption = QStringLiteral("Another Version of Your List");
    const QString name = QDir::toNativeSeparators(session.isStrong() ? session.folder().vaultShownPath()
                                                                     : session.folder().list.shownPath);
    const QString text = QStringLiteral("\"%1\" was replaced by a version saved under another master password, "
                                        "perhaps changed on another computer. Enter that password to merge the two "
                                        "lists; from then on it is the master password here too.\n\n"
                                        "Cancel keeps that version aside as a conflict copy.")
                             .arg(name);
    return PasswordPrompt::askUntilTaken(text, caption, name,
                                         [&session](const QString& typed) { return session.adoptOtherVersion(typed); });
}

} // namespace OtherPassword
