#include "EntryTesting.h"
#include "VaultFiles.h"
#include "ui/vault/frmChangePassword.h"
#include "vault/EncryptedFormat.h"
#include "vault/VaultSession.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace EntryTesting;
using namespace VaultFiles;
using namespace Qt::StringLiterals;

namespace {

const std::vector<VaultEntry> Entries = {{"ann", "a1", "one"}, {"bob", "b2", "two"}};

frmChangePassword *openChange(TestEnv &env)
{
    env.mainWindow()->mnuChangeMasterPassword->trigger();
    return env.ctx().windows.Find<frmChangePassword>();
}

void fill(frmChangePassword *window, const QString &current, const QString &fresh, const QString &retyped)
{
    window->txtCurrent->setText(current);
    window->txtNew->setText(fresh);
    window->txtRetype->setText(retyped);
}

// The vault's bytes, encrypted with the usual master password.
QByteArray encryptedVault(TestEnv &env)
{
    env.writeVault(vaultFile(Entries));
    VaultSession session(env.vaultPath());
    if (!session.open() || !session.unlock(MasterPassword) || !session.encrypt(EncryptedFormat::KdfLimits{1, 8192}))
        qFatal("cannot encrypt the test vault");
    return env.vaultBytes();
}

// The current password, the new one twice, and OK.
frmChangePassword *changeTo(TestEnv &env, const QString &password)
{
    frmChangePassword *window = openChange(env);
    fill(window, MasterPassword, password, password);
    window->cmdOK->click();
    return window;
}

} // namespace

class ChangeMasterPasswordTest : public QObject
{
    Q_OBJECT

private slots:
    void refusalsChangeNothing_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("fresh");
        QTest::addColumn<QString>("retyped");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("wrong current") << "abce" << "newpass" << "newpass"
                                       << "The current password is not correct.  The master password was not changed."
                                       << "Change Master Password";
        QTest::newRow("too short") << MasterPassword << "abc" << "abc"
                                   << "You must enter a password that is at least 4 characters long"
                                   << "Change Master Password";
        QTest::newRow("mismatch") << MasterPassword << "newpass" << "newpasS"
                                  << "Your passwords did not match.  Please try again."
                                  << "Change Master Password";
        QTest::newRow("unstorable") << MasterPassword << u"new\u4e2dpass"_s << u"new\u4e2dpass"_s
                                    << "This password cannot be used: " << "Error";
    }

    void refusalsChangeNothing()
    {
        QFETCH(QString, current);
        QFETCH(QString, fresh);
        QFETCH(QString, retyped);
        QFETCH(QString, text);
        QFETCH(QString, title);
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        const QByteArray before = env.vaultBytes();
        frmChangePassword *window = openChange(env);
        QCOMPARE(window->windowTitle(), QStringLiteral("Change Master Password"));
        fill(window, current, fresh, retyped);
        QTest::keyClick(window->txtRetype, Qt::Key_Return);

        QCOMPARE(env.platform.messages.size(), size_t(1));
        QVERIFY2(env.platform.messages.front().text.startsWith(text), qPrintable(env.platform.messages.front().text));
        QCOMPARE(env.platform.messages.front().title, title);
        QCOMPARE(env.vaultBytes(), before);
        QVERIFY(env.ctx().windows.IsLoaded<frmChangePassword>());
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 2 entries"));
    }

    void aScrambledVaultGetsTheNewMasterLine()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        const QByteArray before = env.vaultBytes();
        fill(openChange(env), MasterPassword, "newpass", "newpass");
        QTest::keyClick(env.ctx().windows.Find<frmChangePassword>()->txtRetype, Qt::Key_Return);
        QCOMPARE(env.vaultBytes(), vaultFile(Entries, "newpass"));
        QCOMPARE(contentsOf(env.vaultPath() + ".bak"), before);
        QCOMPARE(main->statusText(), QStringLiteral("Master password changed.  Data saved."));
        QVERIFY(!env.ctx().windows.IsLoaded<frmChangePassword>());
        QVERIFY(env.platform.messages.empty());
    }

    void aLockWhileTheKeyIsMadeChangesNothing()
    {
        TestEnv env;
        const QByteArray before = encryptedVault(env);
        Form1 *main = env.startUnlocked(MasterPassword);
        QVERIFY(changeTo(env, "newpass"));
        main->mnuLock->trigger();
        QVERIFY(!env.ctx().windows.IsLoaded<frmChangePassword>());
        QVERIFY(TestEnv::waitForPasswordCheck(env));
        TestEnv::settle();
        QVERIFY(env.platform.messages.empty());
        QCOMPARE(env.vaultBytes(), before);
        QVERIFY(env.enterPassword(MasterPassword));
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 2 entries"));
    }

    void anEncryptedVaultGetsAFreshKey()
    {
        TestEnv env;
        const QByteArray before = encryptedVault(env);
        Form1 *main = env.startUnlocked(MasterPassword);
        frmChangePassword *window = changeTo(env, "newpass");
        QVERIFY(window->isDerivingKey());
        QTRY_VERIFY_WITH_TIMEOUT(!env.ctx().windows.IsLoaded<frmChangePassword>(), 30000);
        QCOMPARE(main->statusText(), QStringLiteral("Master password changed.  Data saved."));

        const QByteArray after = env.vaultBytes();
        QVERIFY(EncryptedFormat::isEncrypted(after));
        QVERIFY(EncryptedFormat::readHeader(after).value().salt != EncryptedFormat::readHeader(before).value().salt);
        QFile::copy(env.vaultPath(), env.vaultPath() + ".check");
        VaultSession reopened(env.vaultPath() + ".check");
        QVERIFY(reopened.open());
        QCOMPARE(reopened.unlock(MasterPassword).value(), VaultSession::UnlockOutcome::WrongPassword);
        QCOMPARE(reopened.unlock("newpass").value(), VaultSession::UnlockOutcome::Unlocked);
        QCOMPARE(entriesOf(reopened.entries().rows()), Entries);
    }
};

QTEST_MAIN(ChangeMasterPasswordTest)
#include "tst_ChangeMasterPassword.moc"
