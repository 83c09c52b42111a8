#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

// Tells when no key or mouse input reached any of the program's windows for a while.
class IdleWatch : public QObject
{
    Q_OBJECT

public:
    explicit IdleWatch(QObject *parent = nullptr);
    ~IdleWatch() override;

    // Zero never tells.
    void setLimit(std::chrono::milliseconds limit);
    std::chrono::milliseconds limit() const { return m_limit; }
    // Watching starts over from now; stop() until start() tells nothing.
    void start();
    void stop();

signals:
    void idle();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTimer m_timer;
    std::chrono::milliseconds m_limit{0};
    bool m_watching = false;
};
