#include "EntryTesting.h"
#include "PrivateBus.h"
#include "TestEnv.h"
#include "ui/lock/VaultLocker.h"
#include "ui/main/Form1.h"
#include "ui/vault/frmPass.h"
#include "vault/VaultSession.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <optional>

using namespace EntryTesting;

namespace {

const std::vector<VaultEntry> Entries = {{"ann", "a1", "one"}, {"bob", "b2", "two"}};

enum class Route { Menu, Keys, Idle };

void lockBy(Form1 *main, Route route)
{
    switch (route) {
    case Route::Menu:
        main->mnuLock->trigger();
        return;
    case Route::Keys:
        QTest::keyClick(main, Qt::Key_L, Qt::ControlModifier);
        return;
    case Route::Idle:
        main->locker().idleWatch().setLimit(std::chrono::milliseconds(50));
        return;
    }
}

frmPass *passwordDialog(TestEnv &env)
{
    return env.ctx().windows.Find<frmPass>();
}

// Sent after the signal under test by the same sender: once it is here, the
// program has handled that signal too.
class Marker : public QObject
{
    Q_OBJECT

signals:
    void passed();
};

} // namespace

Q_DECLARE_METATYPE(Route)

class LockVaultTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!PrivateBus::available())
            return;
        m_sessionBus.emplace();
        m_systemBus.emplace();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_sessionBus->address().toUtf8());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_systemBus->address().toUtf8());
        QVERIFY(QDBusConnection::connectToBus(m_sessionBus->address(), "screensaver")
                        .registerService("org.freedesktop.ScreenSaver"));
        QVERIFY(QDBusConnection::connectToBus(m_systemBus->address(), "login1").registerService("org.freedesktop.login1"));
        for (QDBusConnection bus : {QDBusConnection::sessionBus(), QDBusConnection::systemBus()})
            QVERIFY(bus.connect({}, "/marker", "org.keyholder.Test", "Marker", &m_marker, SIGNAL(passed())));
    }

    void theScreenLocksTheVaultUnlessSwitchedOff_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("member");
        QTest::addColumn<bool>("withScreen");
        QTest::newRow("screen saver") << "screensaver" << "/org/freedesktop/ScreenSaver"
                                      << "org.freedesktop.ScreenSaver" << "ActiveChanged" << true;
        QTest::newRow("going to sleep") << "login1" << "/org/freedesktop/login1"
                                        << "org.freedesktop.login1.Manager" << "PrepareForSleep" << true;
        QTest::newRow("screen saver, switched off") << "screensaver" << "/org/freedesktop/ScreenSaver"
                                                    << "org.freedesktop.ScreenSaver" << "ActiveChanged" << false;
    }

    void theScreenLocksTheVaultUnlessSwitchedOff()
    {
        QFETCH(QString, from);
        QFETCH(QString, path);
        QFETCH(QString, interface);
        QFETCH(QString, member);
        QFETCH(bool, withScreen);
        if (!m_sessionBus)
            QSKIP("dbus-daemon is not installed (Debian package dbus-daemon)");
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        if (!withScreen)
            main->mnuLockWithScreen->trigger();
        QSignalSpy marked(&m_marker, &Marker::passed);
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, member);
        signal.setArguments({true});
        QDBusConnection sender(from);
        QVERIFY(sender.send(signal));
        QVERIFY(sender.send(QDBusMessage::createSignal("/marker", "org.keyholder.Test", "Marker")));
        QVERIFY(marked.wait());
        QCOMPARE(passwordDialog(env) != nullptr, withScreen);
        QCOMPARE(main->isVisible(), !withScreen);
        QCOMPARE(env.ctx().session().entries().rowCount(), withScreen ? 0 : int(Entries.size()));
    }

    void eachRouteHidesAndForgetsEverything_data()
    {
        QTest::addColumn<Route>("route");
        QTest::newRow("File, Lock") << Route::Menu;
        QTest::newRow("Ctrl+L") << Route::Keys;
        QTest::newRow("idle") << Route::Idle;
    }

    void eachRouteHidesAndForgetsEverything()
    {
        QFETCH(Route, route);
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        main->activateWindow();
        selectRow(*main->lstPass, 2);
        main->cmdCopy_Click(1);
        QCOMPARE(env.platform.clipboard, QStringLiteral("b2"));
        lockBy(main, route);

        QTRY_VERIFY(passwordDialog(env));
        QCOMPARE(passwordDialog(env)->mode(), frmPass::Mode::Check);
        QCOMPARE(passwordDialog(env)->SkinLabel1->text(), QStringLiteral("Please enter your password"));
        QVERIFY(!main->isVisible());
        QCOMPARE(env.platform.clipboard, QString());
        QCOMPARE(env.ctx().session().entries().rowCount(), 0);
        QVERIFY(env.ctx().session().MasterPassword().isEmpty());
    }

    void unlockingReadsTheFileAgainAndBringsTheWindowsBack()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        main->cmdAdd_Click(0);
        type(editor(env), {"half", "typed", ""});
        main->mnuLock->trigger();
        QVERIFY(!editor(env)->isVisible());
        env.writeVault(vaultFile({Entries[0], Entries[1], {"cy", "c3", "three"}}));

        QVERIFY(env.enterPassword(MasterPassword));
        QVERIFY(main->isVisible());
        QVERIFY(editor(env)->isVisible());
        QCOMPARE(editor(env)->txtUsername->text(), QStringLiteral("half"));
        QCOMPARE(editor(env)->txtPassword->text(), QStringLiteral("typed"));
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 3 entries"));
        QCOMPARE(usernames(*main->lstPass), (QStringList{"ann", "bob", "cy"}));
    }

    void theEditorOfAnEntryStillSavesItAfterUnlocking()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        selectRow(*main->lstPass, 2);
        main->cmdEdit_Click();
        editor(env)->txtPassword->setText("b2-new");
        main->mnuLock->trigger();
        QVERIFY(env.enterPassword(MasterPassword));
        editor(env)->cmdAdd_Click();
        QCOMPARE(env.vaultBytes(), vaultFile({Entries[0], {"bob", "b2-new", "two"}}));
    }

    void theHistoryEndsWithTheLock()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        addThroughEditor(env, {"cy", "c3", "three"});
        QVERIFY(main->mnuUndo->isEnabled());
        main->mnuLock->trigger();
        QVERIFY(env.enterPassword(MasterPassword));
        QTRY_VERIFY(!main->mnuUndo->isEnabled());
    }

    void threeWrongTriesEndTheProgram()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        main->mnuLock->trigger();
        for (int attempt = 0; attempt < frmPass::AllowedTries; ++attempt)
            QVERIFY(env.enterPassword("wrong"));
        QVERIFY(env.platform.ended());
        QCOMPARE(env.vaultBytes(), vaultFile(Entries));
    }

    void lockChoicesAreKept()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        const auto stored = [&env](const char *key) {
            return env.platform.settings[FakePlatform::settingKey("Keyholder", "Settings", key)];
        };
        QStringList choices;
        QString checked;
        for (QAction *choice : main->mnuLockAfterIdle->actions()) {
            choices << choice->text();
            if (choice->isChecked())
                checked = choice->text();
        }
        QCOMPARE(choices, (QStringList{"Never", "1 Minute", "5 Minutes", "10 Minutes", "30 Minutes", "1 Hour"}));
        QCOMPARE(checked, QStringLiteral("10 Minutes"));
        QVERIFY(main->mnuLockWithScreen->isChecked());

        main->mnuLockAfterIdle->actions().at(5)->trigger();
        main->mnuLockWithScreen->trigger();
        QCOMPARE(stored("lockAfterIdle"), QStringLiteral("60"));
        QCOMPARE(stored("lockWithScreen"), QStringLiteral("0"));
        QCOMPARE(main->locker().idleMinutes(), 60);
        QVERIFY(!main->locker().locksWithScreen());
    }


private:
    std::optional<PrivateBus> m_sessionBus, m_systemBus;
    Marker m_marker;
};

QTEST_MAIN(LockVaultTest)
#include "tst_LockVault.moc"
