#include "ui/base/ClipboardGuard.h"

#include "platform/Platform.h"

ClipboardGuard::ClipboardGuard(platform::Platform &platform) : m_platform(platform)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(DefaultDelay);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { clearIfStillOurs(); });
}

ClipboardGuard::~ClipboardGuard()
{
    // Some clipboard managers take over what is left when a program ends.
    clearIfStillOurs();
}

void ClipboardGuard::put(const QString &text)
{
    m_platform.setClipboardText(text);
    m_ours = text;
    m_holding = true;
    m_timer.start();
}

void ClipboardGuard::clearIfStillOurs()
{
    m_timer.stop();
    if (!m_holding)
        return;
    m_holding = false;
    if (m_platform.clipboardText() == m_ours)
        m_platform.clearClipboard();
    m_ours.clear();
}
