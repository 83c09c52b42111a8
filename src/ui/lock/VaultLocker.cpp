#include "ui/lock/VaultLocker.h"

#include "ui/base/AppContext.h"
#include "ui/base/UserSettings.h"
#include "ui/vault/frmChangePassword.h"
#include "ui/vault/frmPass.h"
#include "vault/VaultSession.h"

#include <QApplication>

#include <chrono>

namespace {

const QString IdleKey = QStringLiteral("lockAfterIdle");
const QString ScreenKey = QStringLiteral("lockWithScreen");

bool isIdleChoice(int minutes)
{
    for (const VaultLocker::IdleChoice &choice : VaultLocker::IdleChoices) {
        if (choice.minutes == minutes)
            return true;
    }
    return false;
}

} // namespace

VaultLocker::VaultLocker(AppContext &context, QObject *parent) : QObject(parent), m_ctx(context)
{
    m_idle.setLimit(std::chrono::minutes(idleMinutes()));
    connect(&m_idle, &IdleWatch::idle, this, &VaultLocker::lock);
    connect(&m_screen, &ScreenLockSignals::screenLocked, this, &VaultLocker::lockWithScreen);
}

void VaultLocker::arm()
{
    m_armed = true;
    m_idle.start();
}

int VaultLocker::idleMinutes() const
{
    bool isNumber = false;
    const int minutes = UserSettings::read(m_ctx, IdleKey, {}).toInt(&isNumber);
    return isNumber && isIdleChoice(minutes) ? minutes : DefaultIdleMinutes;
}

void VaultLocker::setIdleMinutes(int minutes)
{
    UserSettings::write(m_ctx, IdleKey, QString::number(minutes));
    m_idle.setLimit(std::chrono::minutes(minutes));
}

bool VaultLocker::locksWithScreen() const
{
    return UserSettings::readSwitch(m_ctx, ScreenKey, true);
}

void VaultLocker::setLocksWithScreen(bool on)
{
    UserSettings::writeSwitch(m_ctx, ScreenKey, on);
}

void VaultLocker::lockWithScreen()
{
    if (locksWithScreen())
        lock();
}

void VaultLocker::lock()
{
    if (!m_armed || m_locked || m_ctx.windows.IsLoaded<frmPass>())
        return;
    m_locked = true;
    m_idle.stop();
    // It holds the master password typed into it; a key it was making waits no longer.
    m_ctx.windows.Unload<frmChangePassword>();
    m_ctx.windows.hideForLock();
    // Message boxes too: one may show a password. Hidden, each answers Cancel.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->hide();
    }
    m_ctx.session().lock();
    m_ctx.clipboard.clearIfStillOurs();
    emit locked();
    frmPass *dialog = m_ctx.windows.Show<frmPass>(frmPass::Mode::Check);
    if (dialog)
        connect(dialog, &frmPass::vaultOpened, this, &VaultLocker::afterUnlock);
}

void VaultLocker::afterUnlock(const QString &status)
{
    m_locked = false;
    m_ctx.windows.showAfterLock();
    m_idle.start();
    emit unlocked(status);
}
