#pragma once

#include <QByteArray>

#include <utility>

// Bytes that hold passwords or listings in clear. They are overwritten
// before their memory is released, so a freed buffer never keeps them.
// Not copyable: a second owner would keep a copy nobody wipes.
class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(qsizetype size)
        : m_bytes(size, Qt::Uninitialized)
    {
    }
    ~SecretBytes() { wipe(); }

    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    SecretBytes(SecretBytes&& other) noexcept
        : m_bytes(std::move(other.m_bytes))
    {
    }
    SecretBytes& operator=(SecretBytes&& other) noexcept
    {
        if (this != &other) {
            wipe();
            m_bytes = std::move(other.m_bytes);
        }
        return *this;
    }

    // Takes over bytes; the caller must not keep another reference to them.
    static SecretBytes adopt(QByteArray&& bytes)
    {
        SecretBytes secret;
        secret.m_bytes = std::move(bytes);
        return secret;
    }

    QByteArray& bytes() { return m_bytes; }
    const QByteArray& bytes() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }
    // Read where a view is taken (a key handed to the cipher), no copy made.
    operator QByteArrayView() const { return m_bytes; }
    bool isEmpty() const { return m_bytes.isEmpty(); }

    // Hands the bytes over without wiping them, once they hold nothing
    // secret any more (ciphered in place).
    QByteArray release() { return std::exchange(m_bytes, QByteArray()); }

    // Overwrites the bytes and lets them go.
    void wipe();

private:
    QByteArray m_bytes;
};
