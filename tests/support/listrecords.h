#pragma once

#include <QByteArray>

// One plain list record: the three values space-padded to 75, 20 and 15.
inline QByteArray record(const QByteArray& site, const QByteArray& user, const QByteArray& password)
{
    return site.leftJustified(75, ' ', true) + user.leftJustified(20, ' ', true)
           + password.leftJustified(15, ' ', true);
}
