#pragma once

#include "ui/lock/IdleWatch.h"
#include "ui/lock/ScreenLockSignals.h"

#include <QObject>
#include <QString>

#include <array>

class AppContext;

// Locks the open vault: on request, after the user's choice of idle time, and
// when the screen locks. Locked, no window shows, the entries and the master
// password leave memory and our copy leaves the clipboard; the password
// dialog then asks for the master password, as at start.
class VaultLocker : public QObject
{
    Q_OBJECT

public:
    struct IdleChoice
    {
        const char *caption;
        int minutes; // 0: never
    };
    static constexpr std::array<IdleChoice, 6> IdleChoices = {{{"Never", 0},
                                                               {"1 Minute", 1},
                                                               {"5 Minutes", 5},
                                                               {"10 Minutes", 10},
                                                               {"30 Minutes", 30},
                                                               {"1 Hour", 60}}};
    static constexpr int DefaultIdleMinutes = 10;

    explicit VaultLocker(AppContext &context, QObject *parent = nullptr);

    // Once the vault is first unlocked, idle time and the screen lock it.
    void arm();
    void lock();
    bool isLocked() const { return m_locked; }

    // The user's choices, kept in the settings store.
    int idleMinutes() const;
    void setIdleMinutes(int minutes);
    bool locksWithScreen() const;
    void setLocksWithScreen(bool on);

    IdleWatch &idleWatch() { return m_idle; }

signals:
    // The vault is locked: what was done since the unlock is forgotten.
    void locked();
    // With what the status line should say ("Loaded N entries").
    void unlocked(const QString &status);

private:
    void lockWithScreen();
    void afterUnlock(const QString &status);

    AppContext &m_ctx;
    IdleWatch m_idle;
    ScreenLockSignals m_screen;
    bool m_armed = false;
    bool m_locked = false;
};
