#include "gui/ui/clipboardguard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

ClipboardGuard::ClipboardGuard(QObject* parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(std::chrono::seconds(10));
    connect(&m_timer, &QTimer::timeout, this, [this] { emit timedClearDone(clearIfStillOurs()); });
}

void ClipboardGuard::setDelay(std::chrono::milliseconds delay)
{
    m_timer.setInterval(delay);
    // A clear already counting down keeps its time, unless it is now never
    // to come.
    if (delay.count() <= 0)
        m_timer.stop();
}

std::chrono::milliseconds ClipboardGuard::delay() const
{
    return m_timer.intervalAsDuration();
}

void ClipboardGuard::copy(const QString& text, bool secret)
{
    auto* data = new QMimeData;
    data->setText(text);
    if (secret)
        data->setData(QLatin1String(kSecretHintType), QByteArray(kSecretHintValue));
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
    m_copied = text;
    m_holdsCopy = true;
    if (m_timer.interval() > 0)
        m_timer.start();
    else
        m_timer.stop();
}

bool ClipboardGuard::clearIfStillOurs()
{
    m_timer.stop();
    if (!m_holdsCopy)
        return false;
    m_holdsCopy = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    const bool ours = clipboard->text(QClipboard::Clipboard) == m_copied;
    if (ours)
        clipboard->clear(QClipboard::Clipboard);
    m_copied.clear();
    return ours;
}
