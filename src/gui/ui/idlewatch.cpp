#include "gui/ui/idlewatch.h"

#include <QCoreApplication>
#include <QEvent>

IdleWatch::IdleWatch(QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        // Counting again before the signal: what it does may take long.
        restart();
        emit idle();
    });
    // Every event of the program passes here, whichever window it is for.
    QCoreApplication::instance()->installEventFilter(this);
}

IdleWatch::~IdleWatch()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void IdleWatch::setInterval(std::chrono::milliseconds interval)
{
    m_timer->setInterval(interval);
    restart();
}

std::chrono::milliseconds IdleWatch::interval() const
{
    return m_timer->intervalAsDuration();
}

void IdleWatch::restart()
{
    if (m_timer->interval() > 0)
        m_timer->start();
    else
        m_timer->stop();
}

bool IdleWatch::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride: // a key taken by a shortcut sends no KeyPress
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        restart();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
