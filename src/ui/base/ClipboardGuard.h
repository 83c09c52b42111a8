#pragma once

#include <QString>
#include <QTimer>

#include <chrono>

namespace platform {
class Platform;
}

// Takes back what the program put on the clipboard: a while after the copy and
// when the program ends, but only while the clipboard still holds exactly that,
// so a user's later copy is never touched.
class ClipboardGuard
{
public:
    static constexpr std::chrono::milliseconds DefaultDelay{10000};

    explicit ClipboardGuard(platform::Platform &platform);
    ~ClipboardGuard();
    ClipboardGuard(const ClipboardGuard &) = delete;
    ClipboardGuard &operator=(const ClipboardGuard &) = delete;

    // Puts the text on the clipboard and starts the delay again.
    void put(const QString &text);
    void clearIfStillOurs();

    std::chrono::milliseconds delay() const { return m_timer.intervalAsDuration(); }
    void setDelay(std::chrono::milliseconds delay) { m_timer.setInterval(delay); }
    bool isPending() const { return m_timer.isActive(); }

private:
    platform::Platform &m_platform;
    QTimer m_timer;
    QString m_ours;
    bool m_holding = false;
};
