#include "PrivateBus.h"
#include "ui/lock/ScreenLockSignals.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString OurSession = u"/org/freedesktop/login1/session/_7"_s;

// login1 as far as finding a session goes: every process is in ours.
class FakeLogin1 : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public slots:
    QDBusObjectPath GetSessionByPID(uint) { return QDBusObjectPath(OurSession); }
};

// Sent after the signal under test by the same connection: once it is here, that
// signal has had its effect.
class Marker : public QObject
{
    Q_OBJECT

signals:
    void passed();
};

QDBusConnection connectAs(const PrivateBus &bus, const QString &name, const QString &owning = {})
{
    QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), name);
    if (!owning.isEmpty() && !connection.registerService(owning))
        qFatal("cannot own %s", qPrintable(owning));
    return connection;
}

// Whether the bus passes a session's Lock on to anyone yet.
bool lockIsRouted()
{
    const QDBusMessage reply = QDBusConnection(u"login1"_s).call(QDBusMessage::createMethodCall(
        u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s, u"org.freedesktop.DBus.Debug.Stats"_s,
        u"GetAllMatchRules"_s));
    const auto rules = qdbus_cast<QMap<QString, QStringList>>(reply.arguments().value(0));
    for (const QStringList &ofOneConnection : rules)
        for (const QString &rule : ofOneConnection)
            if (rule.contains(u"member='Lock'"_s))
                return true;
    return false;
}

} // namespace

class tst_ScreenLockSignals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!PrivateBus::available())
            QSKIP("dbus-daemon is not installed (Debian package dbus-daemon)");
        m_sessionBus.emplace();
        m_systemBus.emplace();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_sessionBus->address().toUtf8());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_systemBus->address().toUtf8());

        connectAs(*m_sessionBus, u"screensaver"_s, u"org.freedesktop.ScreenSaver"_s);
        connectAs(*m_sessionBus, u"gnome"_s, u"org.gnome.ScreenSaver"_s);
        connectAs(*m_sessionBus, u"stranger"_s);
        QVERIFY(connectAs(*m_systemBus, u"login1"_s, u"org.freedesktop.login1"_s)
                    .registerObject(u"/org/freedesktop/login1"_s, &m_login1, QDBusConnection::ExportAllSlots));
        connectAs(*m_systemBus, u"system stranger"_s);
        // Heard on the connections the signals under test come in on, so it is
        // handled after them.
        for (QDBusConnection bus : {QDBusConnection::sessionBus(), QDBusConnection::systemBus()})
            QVERIFY(bus.connect({}, u"/marker"_s, u"org.keyholder.Test"_s, u"Marker"_s, &m_marker, SIGNAL(passed())));

        m_lock = std::make_unique<ScreenLockSignals>();
        // Our session is looked up after start.
        QTRY_VERIFY(lockIsRouted());
    }

    void locksOnlyOnALock_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<bool>("locks");

        const QString screenSaver = u"org.freedesktop.ScreenSaver"_s, gnome = u"org.gnome.ScreenSaver"_s;
        const QString manager = u"org.freedesktop.login1.Manager"_s, session = u"org.freedesktop.login1.Session"_s;
        QTest::newRow("screen saver on") << "screensaver" << "/org/freedesktop/ScreenSaver" << screenSaver
                                         << "ActiveChanged" << QVariantList{true} << true;
        QTest::newRow("screen saver off") << "screensaver" << "/org/freedesktop/ScreenSaver" << screenSaver
                                          << "ActiveChanged" << QVariantList{false} << false;
        QTest::newRow("screen saver on, said by another program")
            << "stranger" << "/org/freedesktop/ScreenSaver" << screenSaver << "ActiveChanged" << QVariantList{true} << false;
        QTest::newRow("GNOME screen saver on") << "gnome" << "/org/gnome/ScreenSaver" << gnome << "ActiveChanged"
                                               << QVariantList{true} << true;
        QTest::newRow("GNOME screen saver off") << "gnome" << "/org/gnome/ScreenSaver" << gnome << "ActiveChanged"
                                                << QVariantList{false} << false;
        QTest::newRow("our session locked") << "login1" << OurSession << session << "Lock" << QVariantList{} << true;
        QTest::newRow("another session locked") << "login1" << "/org/freedesktop/login1/session/_8" << session << "Lock"
                                                << QVariantList{} << false;
        QTest::newRow("our session locked, said by another program")
            << "system stranger" << OurSession << session << "Lock" << QVariantList{} << false;
        QTest::newRow("going to sleep") << "login1" << "/org/freedesktop/login1" << manager << "PrepareForSleep"
                                        << QVariantList{true} << true;
        QTest::newRow("waking up") << "login1" << "/org/freedesktop/login1" << manager << "PrepareForSleep"
                                   << QVariantList{false} << false;
    }

    void locksOnlyOnALock()
    {
        QFETCH(QString, from);
        QFETCH(QString, path);
        QFETCH(QString, interface);
        QFETCH(QString, member);
        QFETCH(QVariantList, arguments);
        QFETCH(bool, locks);
        QSignalSpy locked(m_lock.get(), &ScreenLockSignals::screenLocked);
        QSignalSpy marked(&m_marker, &Marker::passed);

        QDBusMessage signal = QDBusMessage::createSignal(path, interface, member);
        signal.setArguments(arguments);
        QDBusConnection sender(from);
        QVERIFY(sender.send(signal));
        QVERIFY(sender.send(QDBusMessage::createSignal(u"/marker"_s, u"org.keyholder.Test"_s, u"Marker"_s)));
        QVERIFY(marked.wait());
        QCOMPARE(locked.count(), locks ? 1 : 0);
    }

private:
    std::optional<PrivateBus> m_sessionBus, m_systemBus;
    FakeLogin1 m_login1;
    Marker m_marker;
    std::unique_ptr<ScreenLockSignals> m_lock;
};

QTEST_GUILESS_MAIN(tst_ScreenLockSignals)
#include "tst_ScreenLockSignals.moc"
