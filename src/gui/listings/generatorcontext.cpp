#include "gui/listings/generatorcontext.h"

#include "gui/ui/clipboardguard.h"

GeneratorContext::GeneratorContext(Read read, Keep keep, std::function<bool()> holdsAnyText, ClipboardGuard* clipboard,
                                   QObject* parent)
    : QObject(parent)
    , m_read(std::move(read))
    , m_keep(std::move(keep))
    , m_holdsAnyText(std::move(holdsAnyText))
    , m_clipboard(clipboard)
{
}

PasswordGenerator::Settings GeneratorContext::settings() const
{
    PasswordGenerator::Settings settings = m_read ? m_read() : PasswordGenerator::Settings {};
    settings.length = PasswordGenerator::lengthFor(settings, m_holdsAnyText && m_holdsAnyText());
    return settings;
}

int GeneratorContext::keptLength() const
{
    return m_read ? m_read().length : 0;
}

void GeneratorContext::keep(const PasswordGenerator::Settings& settings)
{
    if (m_keep)
        m_keep(settings);
}

int GeneratorContext::maxLength() const
{
    return PasswordGenerator::maxLength(m_holdsAnyText && m_holdsAnyText());
}

PasswordGenerator::Result GeneratorContext::generate() const
{
    return PasswordGenerator::generate(settings());
}
