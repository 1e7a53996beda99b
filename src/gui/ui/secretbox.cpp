#include "gui/ui/secretbox.h"

#include "gui/ui/clipboardguard.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

SecretBox* SecretBox::watch(QLineEdit* box, ClipboardGuard* clipboard)
{
    if (SecretBox* existing = of(box)) {
        existing->setClipboard(clipboard);
        return existing;
    }
    return new SecretBox(box, clipboard);
}

SecretBox* SecretBox::of(const QLineEdit* box)
{
    return box->findChild<SecretBox*>(QString(), Qt::FindDirectChildrenOnly);
}

SecretBox::SecretBox(QLineEdit* box, ClipboardGuard* clipboard)
    : QObject(box)
    , m_box(box)
    , m_clipboard(clipboard)
{
    box->installEventFilter(this);
    // Qt hands a selection made by keys or mouse to PRIMARY at once, from
    // inside the box; taking it back in the same turn of the event loop
    // means no other program was ever answered with it.
    if (QClipboard* clipboard = QGuiApplication::clipboard(); clipboard->supportsSelection()) {
        connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Selection)
                dropSelectionCopy();
        });
    }
}

void SecretBox::dropSelectionCopy()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsSelection() || !m_box->hasSelectedText())
        return;
    if (clipboard->text(QClipboard::Selection) == m_box->selectedText())
        clipboard->clear(QClipboard::Selection);
}

bool SecretBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_box || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy)) {
        copy(false);
        return true;
    }
    if (key->matches(QKeySequence::Cut)) {
        copy(true);
        return true;
    }
    return false;
}

void SecretBox::routeMenu(QMenu* menu)
{
    for (QAction* action : menu->actions()) {
        // Found by what they are connected to, whatever their caption.
        if (QObject::disconnect(action, &QAction::triggered, m_box, &QLineEdit::copy))
            connect(action, &QAction::triggered, this, [this] { copy(false); });
        else if (QObject::disconnect(action, &QAction::triggered, m_box, &QLineEdit::cut))
            connect(action, &QAction::triggered, this, [this] { copy(true); });
    }
}

void SecretBox::copy(bool cut)
{
    if (!m_clipboard || !m_box->hasSelectedText() || m_box->echoMode() != QLineEdit::Normal)
        return;
    m_clipboard->copy(m_box->selectedText(), true);
    if (cut && !m_box->isReadOnly())
        m_box->del();
}
