// An encrypted vault through the same password dialog: unlocked, changed and
// saved encrypted; a wrong password gets the usual three tries, a damaged file
// is named as damaged, and the key is derived while the dialog keeps painting.
#include "EntryTesting.h"
#include "ui/vault/frmPass.h"
#include "vault/EncryptedFormat.h"
#include "vault/VaultSession.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QTest>

using namespace EntryTesting;
using platform::MsgResult;

namespace {

const VaultEntry Anna{"anna", "secret", "www.example.com"};
const VaultEntry Carl{"carl", "c4rl", "mail.example"};

void encryptVault(const QString &path)
{
    VaultSession session(path);
    if (!session.open() || session.unlock(MasterPassword).value() != VaultSession::UnlockOutcome::Unlocked
        || !session.encrypt(EncryptedFormat::KdfLimits{1, 8192}))
        qFatal("cannot encrypt the test vault");
}

void submit(TestEnv &env, const QString &password)
{
    frmPass *dialog = env.ctx().windows.Find<frmPass>();
    dialog->txtPass->setText(password);
    dialog->cmdOK->click();
    QVERIFY(TestEnv::waitForPasswordCheck(env));
}

} // namespace

class EncryptedUnlockTest : public QObject
{
    Q_OBJECT

private slots:
    void encryptedVaultUnlocksAndStaysEncrypted()
    {
        TestEnv env;
        env.writeVault(vaultFile({Anna}));
        encryptVault(env.vaultPath());
        Form1 *main = env.startProgram();
        submit(env, MasterPassword);
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 1 entries"));
        QCOMPARE(shown(*main->lstPass), texts({Anna}));

        addThroughEditor(env, Carl);
        QCOMPARE(main->statusText(), QStringLiteral("Added new entry.  Data saved."));
        const QByteArray saved = env.vaultBytes();
        QVERIFY(EncryptedFormat::isEncrypted(saved));
        QVERIFY(!saved.contains("carl"));
        QVERIFY(env.platform.messages.empty());
    }

    void wrongPasswordTakesTheUsualThreeTries()
    {
        TestEnv env;
        env.writeVault(vaultFile({Anna}));
        encryptVault(env.vaultPath());
        const QByteArray before = env.vaultBytes();
        env.startProgram();
        env.platform.answer({MsgResult::Retry, MsgResult::Retry, MsgResult::Retry});
        for (int attempt = 0; attempt < 3; ++attempt)
            submit(env, QStringLiteral("wrong"));

        QStringList titles;
        for (const auto &message : env.platform.messages)
            titles << message.title;
        QCOMPARE(titles, (QStringList{"Incorrect Password", "Incorrect Password", "Incorrect Password", "Keyholder"}));
        QCOMPARE(env.platform.messages.back().text, QStringLiteral("Only 3 tries allowed.  Click Ok to close."));
        QVERIFY(env.platform.ended());
        QCOMPARE(env.vaultBytes(), before);
    }

    void damagedVaultIsNotAWrongPassword()
    {
        TestEnv env;
        startWith(env, {Anna});
        addThroughEditor(env, Carl);
        env.context.reset();
        encryptVault(env.vaultPath());
        QByteArray damaged = env.vaultBytes();
        damaged[damaged.size() - 20] = char(damaged[damaged.size() - 20] ^ 0x04);
        env.writeVault(damaged);

        TestEnv again;
        again.platform.folder = env.folder.path();
        again.startProgram();
        submit(again, MasterPassword);
        QCOMPARE(again.platform.messages.size(), size_t(1));
        const QString text = again.platform.messages[0].text;
        QVERIFY2(text.startsWith("Keyholder cannot open its vault file and will now close.\n\nThe vault file is damaged"),
                 qPrintable(text));
        QVERIFY2(text.contains(QDir::toNativeSeparators(env.vaultPath() + ".bak")), qPrintable(text));
        QCOMPARE(again.platform.exitStatus, 1);
        QCOMPARE(env.vaultBytes(), damaged);
    }

    void keyIsDerivedWhileTheDialogWaits()
    {
        TestEnv env;
        env.writeVault(vaultFile({Anna}));
        encryptVault(env.vaultPath());
        env.startProgram();
        frmPass *dialog = env.ctx().windows.Find<frmPass>();
        dialog->txtPass->setText(MasterPassword);
        dialog->cmdOK->click();
        QVERIFY(dialog->isCheckingPassword());
        QVERIFY(!dialog->cmdOK->isEnabled());
        QVERIFY(!dialog->cmdCancel->isEnabled());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);

        QVERIFY(TestEnv::waitForPasswordCheck(env));
        QCOMPARE(env.mainWindow()->statusText(), QStringLiteral("Loaded 1 entries"));
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(EncryptedUnlockTest)
#include "tst_EncryptedUnlock.moc"
