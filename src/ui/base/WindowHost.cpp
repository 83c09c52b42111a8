#include "ui/base/WindowHost.h"

#include "ui/base/AppContext.h"
#include "ui/base/FocusMark.h"

#include <QApplication>
#include <QIcon>

#include <algorithm>

WindowHost::WindowHost(AppContext &context) : m_ctx(context)
{
    QIcon icon(QStringLiteral(":/images/icon.png"));
    icon.addFile(QStringLiteral(":/images/icon32.png"));
    QApplication::setWindowIcon(icon);
    FocusMark::followFocus();
}

WindowHost::~WindowHost()
{
    for (auto &[type, window] : m_windows)
        delete window.data();
}

void WindowHost::adopt(std::type_index type, Form *window)
{
    m_windows[type] = window;
    QObject::connect(window, &Form::unloadRequested, window, [this](Form *closing) { Unload(closing); });
}

void WindowHost::Unload(Form *window)
{
    if (!window || window->isUnloading() || !window->Form_QueryUnload())
        return;
    if (m_ended || window->isUnloading())
        return;
    window->markUnloading();
    window->Form_Unload();
    for (auto it = m_windows.begin(); it != m_windows.end(); ++it) {
        if (it->second == window) {
            m_windows.erase(it);
            break;
        }
    }
    window->hide();
    window->deleteLater();
}

void WindowHost::Show(Form *window)
{
    if (window && !m_ended && !isHiddenForLock(window))
        bringForward(window);
}

void WindowHost::hideForLock()
{
    m_activeAtLock = QApplication::activeWindow();
    if (m_mainWindow && m_mainWindow->isVisible())
        m_hiddenForLock.emplace_back(m_mainWindow);
    for (auto &[type, window] : m_windows) {
        if (window && window->isVisible() && window != m_mainWindow)
            m_hiddenForLock.emplace_back(window);
    }
    for (const QPointer<Form> &window : m_hiddenForLock)
        window->hide();
}

void WindowHost::showAfterLock()
{
    const std::vector<QPointer<Form>> hidden = std::exchange(m_hiddenForLock, {});
    for (const QPointer<Form> &window : hidden) {
        if (window && !window->isUnloading() && !m_ended) {
            window->show();
            window->raise();
        }
    }
    if (m_activeAtLock && m_activeAtLock->isVisible())
        m_activeAtLock->activateWindow();
}

bool WindowHost::isHiddenForLock(const Form *window) const
{
    return std::find(m_hiddenForLock.begin(), m_hiddenForLock.end(), window) != m_hiddenForLock.end();
}

void WindowHost::BringShownForward()
{
    for (auto &[type, window] : m_windows) {
        if (window && window->isVisible())
            bringForward(window);
    }
}

void WindowHost::EndProgram(int exitStatus)
{
    if (m_ended)
        return;
    m_ended = true;
    for (auto &[type, window] : m_windows) {
        if (window) {
            window->markUnloading();
            window->hide();
        }
    }
    m_ctx.platform.endProgram(exitStatus);
}

void WindowHost::bringForward(Form *window)
{
    if (!window->isVisible())
        window->centreOnScreen();
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
