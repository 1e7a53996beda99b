#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

// Tells when the user has left the program alone for a while: no key, no
// mouse button, no wheel and no mouse move over any of its windows.
class IdleWatch : public QObject {
    Q_OBJECT
public:
    explicit IdleWatch(QObject* parent = nullptr);
    ~IdleWatch() override;

    // How long without input counts as idle; zero: never.
    void setInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds interval() const;
    // Whether the countdown to idle is running.
    bool counting() const { return m_timer->isActive(); }
    // Starts the countdown afresh, as any input does.
    void restart();

signals:
    // The interval passed without input. Fires again after another idle
    // interval when nothing happens meanwhile.
    void idle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer* m_timer; // a child, so tests can stop it
};
