#include "core/storage/secretbytes.h"

#include <sodium.h>

void SecretBytes::wipe()
{
    if (m_bytes.isEmpty()) {
        m_bytes = QByteArray();
        return;
    }
    // data() detaches a shared buffer first: another owner's bytes are never
    // touched, and this copy is the one wiped.
    sodium_memzero(m_bytes.data(), size_t(m_bytes.size()));
    m_bytes = QByteArray();
}
