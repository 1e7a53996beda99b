#pragma once

#include "core/listings/passwordgenerator.h"
#include "gui/ui/clipboardguard.h"

#include <QObject>
#include <QPointer>

#include <functional>

// What the password generator takes from the listing window: the last
// settings (kept in the options file), whether the open list holds any
// text (which bounds the length) and the clipboard guard its copies go
// through, so they are cleared like every other copy.
class GeneratorContext : public QObject {
    Q_OBJECT
public:
    using Read = std::function<PasswordGenerator::Settings()>;
    using Keep = std::function<void(const PasswordGenerator::Settings&)>;

    GeneratorContext(Read read, Keep keep, std::function<bool()> holdsAnyText, ClipboardGuard* clipboard,
                     QObject* parent = nullptr);

    // The last settings with the length the open list takes.
    PasswordGenerator::Settings settings() const;
    // The length as kept: 0 for the format's default.
    int keptLength() const;
    void keep(const PasswordGenerator::Settings& settings);
    int maxLength() const;
    ClipboardGuard* clipboard() const { return m_clipboard; }

    // A password made with the last settings.
    PasswordGenerator::Result generate() const;

private:
    Read m_read;
    Keep m_keep;
    std::function<bool()> m_holdsAnyText;
    QPointer<ClipboardGuard> m_clipboard;
};
