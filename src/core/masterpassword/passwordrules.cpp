#include "core/masterpassword/passwordrules.h"

#include "core/storage/ansi.h"

namespace PasswordRules {

QString caption()
{
    return QStringLiteral("Password Not Accepted");
}

QString emptyMessage()
{
    return QStringLiteral("The password cannot be empty or only spaces.\rPlease enter a password.");
}

QString unstorableMessage(const QString& password)
{
    const auto bad = Ansi::firstUnencodable(password);
    if (!bad)
        return {};
    return QStringLiteral("The password cannot hold the character \"%1\".\r"
                          "Please use letters, digits and the usual signs.")
        .arg(*bad);
}

} // namespace PasswordRules
