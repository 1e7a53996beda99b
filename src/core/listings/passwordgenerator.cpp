#include "core/listings/passwordgenerator.h"

#include <QRandomGenerator>

namespace PasswordGenerator {
namespace {

constexpr char16_t kFirst = u'!';
constexpr char16_t kLast = u'~';

} // namespace

bool meetsRules(QStringView password)
{
    if (password.size() != kLength)
        return false;
    bool upper = false, lower = false, digit = false, punctuation = false;
    for (const QChar c : password) {
        const char16_t code = c.unicode();
        if (code < kFirst || code > kLast)
            return false;
        if (code >= u'A' && code <= u'Z')
            upper = true;
        else if (code >= u'a' && code <= u'z')
            lower = true;
        else if (code >= u'0' && code <= u'9')
            digit = true;
        else
            punctuation = true;
    }
    return upper && lower && digit && punctuation;
}

QString generate(const Draw& draw)
{
    const quint32 choices = kLast - kFirst + 1;
    QString password(kLength, QChar());
    do {
        for (int i = 0; i < kLength; ++i)
            password[i] = QChar(char16_t(kFirst + draw(choices)));
    } while (!meetsRules(password));
    return password;
}

QString generate()
{
    return generate([](quint32 bound) { return QRandomGenerator::system()->bounded(bound); });
}

} // namespace PasswordGenerator
