#pragma once

#include "core/storage/secretbytes.h"

#include <QString>
#include <QStringView>

// A password kept as text for as long as the list is open: its characters
// live in memory of its own that is overwritten before it is let go, and
// it is read through views, so no QString copy of it travels around.
// Not copyable, for the same reason as SecretBytes.
class SecretText {
public:
    SecretText() = default;
    explicit SecretText(QStringView text) { assign(text); }

    SecretText(SecretText&&) noexcept = default;
    SecretText& operator=(SecretText&&) noexcept = default;

    // Holds a copy of text from now on; what it held before is wiped.
    void assign(QStringView text);
    QStringView view() const;
    bool isEmpty() const { return m_utf16.isEmpty(); }
    // Compared in constant time for a given length.
    bool equals(QStringView text) const;
    void wipe() { m_utf16.wipe(); }

private:
    SecretBytes m_utf16;
};

// Overwrites the characters text holds when it is their only holder, and
// empties it. For strings that held a password or a listing and are let go;
// characters shared with another holder are left to that one.
void wipeText(QString& text);
// The same, also when other holders share the characters: for the end of
// an open list, when every copy of a listing left anywhere is stale.
void wipeTextEverywhere(QString& text);
