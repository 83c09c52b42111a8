#include "ui/lock/ScreenLockSignals.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Its own program: a process finds its buses once, and these are none.
class tst_ScreenLockWithoutBus : public QObject
{
    Q_OBJECT

private slots:
    void staysSilent()
    {
        QTemporaryDir nowhere;
        const QByteArray noBus = "unix:path=" + nowhere.filePath(QStringLiteral("no-bus")).toUtf8();
        qputenv("DBUS_SESSION_BUS_ADDRESS", noBus);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", noBus);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));

        ScreenLockSignals lock;
        QSignalSpy locked(&lock, &ScreenLockSignals::screenLocked);
        QCoreApplication::processEvents();
        QCOMPARE(locked.count(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_ScreenLockWithoutBus)
#include "tst_ScreenLockWithoutBus.moc"
