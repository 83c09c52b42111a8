#include "ui/lock/IdleWatch.h"

#include <QCoreApplication>
#include <QEvent>

IdleWatch::IdleWatch(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &IdleWatch::idle);
    QCoreApplication::instance()->installEventFilter(this);
}

IdleWatch::~IdleWatch()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void IdleWatch::setLimit(std::chrono::milliseconds limit)
{
    m_limit = limit;
    if (m_watching)
        start();
}

void IdleWatch::start()
{
    m_watching = true;
    if (m_limit.count() > 0)
        m_timer.start(m_limit);
    else
        m_timer.stop();
}

void IdleWatch::stop()
{
    m_watching = false;
    m_timer.stop();
}

bool IdleWatch::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        if (m_timer.isActive())
            m_timer.start(m_limit);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
