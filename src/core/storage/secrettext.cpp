#include "core/storage/secrettext.h"

#include <sodium.h>

#include <cstring>

void SecretText::assign(QStringView text)
{
    SecretBytes utf16(text.size() * qsizetype(sizeof(char16_t)));
    if (!text.isEmpty())
        std::memcpy(utf16.bytes().data(), text.utf16(), size_t(utf16.size()));
    m_utf16 = std::move(utf16);
}

QStringView SecretText::view() const
{
    const QByteArray& bytes = m_utf16.bytes();
    return QStringView(reinterpret_cast<const char16_t*>(bytes.constData()),
                       bytes.size() / qsizetype(sizeof(char16_t)));
}

bool SecretText::equals(QStringView text) const
{
    const QStringView held = view();
    if (held.size() != text.size())
        return false;
    if (held.isEmpty())
        return true;
    return sodium_memcmp(held.utf16(), text.utf16(), size_t(held.size()) * sizeof(char16_t)) == 0;
}

namespace {

void overwrite(QString& text)
{
    // Only memory the string allocated: a literal or raw data has none
    // (capacity 0) and may lie in read-only memory.
    if (text.capacity() > 0)
        sodium_memzero(const_cast<QChar*>(text.constData()), size_t(text.capacity()) * sizeof(QChar));
}

} // namespace

void wipeTextEverywhere(QString& text)
{
    overwrite(text);
    text = QString();
}

void wipeText(QString& text)
{
    // The whole allocation: a string that shrank keeps its earlier
    // characters beyond its size.
    if (text.isDetached())
        overwrite(text);
    text = QString();
}
