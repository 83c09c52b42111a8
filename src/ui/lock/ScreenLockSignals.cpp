#include "ui/lock/ScreenLockSignals.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString Login1 = QStringLiteral("org.freedesktop.login1");
const QString Login1Path = QStringLiteral("/org/freedesktop/login1");
const QString Login1Manager = QStringLiteral("org.freedesktop.login1.Manager");
const QString Login1Session = QStringLiteral("org.freedesktop.login1.Session");

} // namespace

ScreenLockSignals::ScreenLockSignals(QObject *parent) : QObject(parent)
{
    // Naming the service makes Qt pass on only what the name's owner sends.
    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        session.connect(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("ActiveChanged"),
                        this, SLOT(lockWhen(bool)));
        session.connect(QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"),
                        QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("ActiveChanged"),
                        this, SLOT(lockWhen(bool)));
    }
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected()) {
        system.connect(Login1, Login1Path, Login1Manager, QStringLiteral("PrepareForSleep"), this, SLOT(lockWhen(bool)));
        findSession(QStringLiteral("GetSessionByPID"), quint32(QCoreApplication::applicationPid()), false);
    }
}

void ScreenLockSignals::lockWhen(bool on)
{
    if (on)
        emit screenLocked();
}

// Our own session's Lock, once login1 has named it; asked without waiting, so
// start-up goes on meanwhile.
void ScreenLockSignals::findSession(const QString &method, const QVariant &argument, bool lastTry)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Login1, Login1Path, Login1Manager, method);
    call << argument;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, lastTry] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isValid()) {
            QDBusConnection::systemBus().connect(Login1, reply.value().path(), Login1Session,
                                                 QStringLiteral("Lock"), this, SIGNAL(screenLocked()));
            return;
        }
        // A program started outside the session (by a service manager, say) has
        // no session by process, but may still be told its session's id.
        const QString id = qEnvironmentVariable("XDG_SESSION_ID");
        if (!lastTry && !id.isEmpty())
            findSession(QStringLiteral("GetSession"), id, true);
    });
}
