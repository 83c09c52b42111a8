// An encrypted vault through the same password dialog: unlocked, changed and
// saved encrypted; a wrong password gets the usual three tries.
#include "EntryTesting.h"
#include "ui/vault/frmPass.h"
#include "vault/EncryptedFormat.h"
#include "vault/VaultSession.h"

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
    TestEnv::waitForPasswordCheck(env);
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
};

QTEST_MAIN(EncryptedUnlockTest)
#include "tst_EncryptedUnlock.moc"
