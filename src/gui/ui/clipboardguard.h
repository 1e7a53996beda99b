#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

// Puts listing values on the system clipboard and takes them off again: a
// while after the copy, and whenever the list locks or the program ends.
// It clears the clipboard only while it still holds the copied text
// (whoever owns it by then), so nothing the user copied since is lost.
class ClipboardGuard : public QObject {
    Q_OBJECT
public:
    explicit ClipboardGuard(QObject* parent = nullptr);

    // The MIME type and value by which clipboard managers that honour it
    // keep a copied secret out of their history.
    static constexpr auto kSecretHintType = "x-kde-passwordManagerHint";
    static constexpr auto kSecretHintValue = "secret";

    // How long a copy stays; zero: until the list locks or the program ends.
    void setDelay(std::chrono::milliseconds delay);
    std::chrono::milliseconds delay() const;

    // Copies text; a secret one carries the hint.
    void copy(const QString& text, bool secret);
    // Empties the clipboard when it still holds the last copied text; true
    // when it did. Forgets the copy either way.
    bool clearIfStillOurs();
    // Whether a timed clear is still to come.
    bool clearPending() const { return m_timer.isActive(); }
    // Until the timed clear, while one is pending.
    std::chrono::milliseconds untilClear() const { return std::chrono::milliseconds(m_timer.remainingTime()); }

signals:
    // The delay after a copy ran out and the clipboard was looked at.
    void timedClearDone(bool cleared);

private:
    QTimer m_timer;
    QString m_copied;
    bool m_holdsCopy = false;
};
