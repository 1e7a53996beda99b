#include "gui/listings/statusline.h"

#include "core/session/listsession.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/twips.h"

#include <QLabel>

#include <chrono>

StatusLine::StatusLine(const ListSession& session, ClipboardGuard& clipboard, QWidget* parent)
    : QStatusBar(parent)
    , m_session(session)
    , m_clipboard(clipboard)
{
    setObjectName(QStringLiteral("sta_status"));
    setSizeGripEnabled(false);
    lbl_copied = new QLabel(this);
    lbl_copied->setObjectName(QStringLiteral("lbl_copied"));
    lbl_protection = new QLabel(this);
    lbl_protection->setObjectName(QStringLiteral("lbl_protection"));
    // Long texts are cut, never widen the window.
    lbl_copied->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(lbl_copied, 1);
    addPermanentWidget(lbl_protection);
    // One height, whatever it shows: the client area above keeps its size.
    setFixedHeight(Twips::toPixels(kHeightTwips));
    // Once a second: the countdown, and the protection, which the Strong
    // Protection dialog may have switched.
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &StatusLine::refresh);
    m_tick.start();
    connect(&m_clipboard, &ClipboardGuard::timedClearDone, this, [this](bool cleared) {
        m_cleared = cleared;
        refresh();
    });
    refresh();
}

void StatusLine::showCopied(const QString& what)
{
    m_copied = what;
    m_cleared = false;
    refresh();
}

void StatusLine::refresh()
{
    lbl_protection->setText(m_session.isStrong()
                                ? QStringLiteral("Strong protection")
                                : QStringLiteral("Scrambled only \u2014 Tools \u2192 Strong Protection..."));
    if (m_copied.isEmpty()) {
        lbl_copied->clear();
        return;
    }
    if (m_clipboard.clearPending()) {
        const auto seconds = std::chrono::round<std::chrono::seconds>(m_clipboard.untilClear()).count();
        lbl_copied->setText(QStringLiteral("%1 copied \u2014 cleared in %2 s").arg(m_copied).arg(seconds));
    } else if (m_cleared) {
        lbl_copied->setText(QStringLiteral("%1 copied — the clipboard was cleared").arg(m_copied));
    } else {
        lbl_copied->setText(QStringLiteral("%1 copied").arg(m_copied));
    }
}
