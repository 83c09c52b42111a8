// Nothing the user typed or changed is lost: a second start on the same vault,
// a save that failed before the window closes, text typed in the editor, and
// a vault changed by another program while the window is open.
#include "EntryTesting.h"
#include "ui/vault/frmPass.h"
#include "vault/VaultSession.h"

#include <QDir>
#include <QDirIterator>
#include <QTest>

using namespace EntryTesting;
using platform::MsgButtons;
using platform::MsgResult;

namespace {

const VaultEntry Anna{"anna", "secret", "www.example.com"};
const VaultEntry Carl{"carl", "c4rl", "mail.example"};

QStringList filesIn(const QString &folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System); it.hasNext();) {
        it.next();
        files << it.fileName() + " " + QString::number(it.fileInfo().size());
    }
    files.sort();
    return files;
}

// A save that fails because the vault's folder went away for a moment.
void addWhileFolderIsAway(TestEnv &env, const VaultEntry &entry)
{
    const QString away = env.folder.path() + "-away";
    QDir().rename(env.folder.path(), away);
    addThroughEditor(env, entry);
    QDir().rename(away, env.folder.path());
}

void rewriteOutside(TestEnv &env, const QByteArray &bytes)
{
    env.writeVault(bytes);
    QFile file(env.vaultPath());
    file.open(QIODevice::ReadWrite);
    file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
}

} // namespace

class VaultSafetyTest : public QObject
{
    Q_OBJECT

private slots:
    void secondStartOnTheSameVaultEndsWithoutWriting()
    {
        TestEnv first;
        startWith(first, {Anna});
        const QStringList before = filesIn(first.folder.path());

        TestEnv second;
        second.platform.folder = first.folder.path();
        Form1 *main = second.startProgram();
        QCOMPARE(second.platform.messages.size(), size_t(1));
        QCOMPARE(second.platform.messages[0].text,
                 "Keyholder is already open with this vault: " + QDir::toNativeSeparators(first.vaultPath()));
        QCOMPARE(second.platform.endProgramCalls, 1);
        QVERIFY(!main->isVisible());
        QVERIFY(!second.ctx().windows.IsLoaded<frmPass>());
        QCOMPARE(filesIn(first.folder.path()), before);
    }

    void closingAfterAFailedSaveAsksFirst_data()
    {
        QTest::addColumn<MsgResult>("answer");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<QByteArray>("vault");
        QTest::newRow("Retry saves, then closes") << MsgResult::Retry << true << vaultFile({Anna, Carl});
        QTest::newRow("Discard closes without it") << MsgResult::Discard << true << vaultFile({Anna});
        QTest::newRow("Cancel stays open") << MsgResult::Cancel << false << vaultFile({Anna});
    }

    void closingAfterAFailedSaveAsksFirst()
    {
        QFETCH(MsgResult, answer);
        QFETCH(bool, ends);
        QFETCH(QByteArray, vault);
        TestEnv env;
        Form1 *main = startWith(env, {Anna});
        addWhileFolderIsAway(env, Carl);
        QCOMPARE(env.platform.messages.back().title, QStringLiteral("Error"));
        env.platform.messages.clear();

        env.platform.answer({answer});
        main->mnuFileItem_Click(0);
        QCOMPARE(env.platform.messages.size(), size_t(1));
        QCOMPARE(env.platform.messages[0].title, QStringLiteral("Unsaved Change"));
        QCOMPARE(env.platform.messages[0].buttons, MsgButtons::RetryDiscardCancel);
        QCOMPARE(env.platform.ended(), ends);
        QCOMPARE(env.ctx().windows.IsLoaded<Form1>(), !ends);
        QCOMPARE(env.vaultBytes(), vault);
    }

    void typedEditorTextIsNotDroppedSilently_data()
    {
        QTest::addColumn<int>("action"); // 0 Add again, 1 Edit, 2 close the main window
        QTest::addColumn<MsgResult>("answer");
        QTest::newRow("Add again, keep typing") << 0 << MsgResult::Cancel;
        QTest::newRow("Add again, discard") << 0 << MsgResult::Ok;
        QTest::newRow("Edit, keep typing") << 1 << MsgResult::Cancel;
        QTest::newRow("Edit, discard") << 1 << MsgResult::Ok;
        QTest::newRow("close, keep typing") << 2 << MsgResult::Cancel;
        QTest::newRow("close, discard") << 2 << MsgResult::Ok;
    }

    void typedEditorTextIsNotDroppedSilently()
    {
        QFETCH(int, action);
        QFETCH(MsgResult, answer);
        TestEnv env;
        Form1 *main = startWith(env, {Anna});
        main->lstPass->setSelected(1, true);
        main->cmdAdd_Click(0);
        editor(env)->txtUsername->setText("half typed");

        env.platform.answer({answer});
        if (action == 0)
            main->cmdAdd_Click(0);
        else if (action == 1)
            main->cmdEdit_Click();
        else
            main->mnuFileItem_Click(0);
        QCOMPARE(env.platform.messages.size(), size_t(1));
        QCOMPARE(env.platform.messages[0].title, QStringLiteral("Unsaved Entry"));
        const bool kept = answer == MsgResult::Cancel;
        if (action == 2) {
            QCOMPARE(env.ctx().windows.IsLoaded<Form1>(), kept);
            return;
        }
        QCOMPARE(editor(env)->txtUsername->text(), kept ? QString("half typed") : action == 1 ? "anna" : "");
    }

    void vaultChangedOutsideIsShownOnceNoDialogIsOpen()
    {
        TestEnv env;
        Form1 *main = startWith(env, {Anna});
        main->cmdAdd_Click(0);
        rewriteOutside(env, vaultFile({Anna, Carl}));
        QTest::qWait(300);
        QCOMPARE(main->lstPass->count(), 1);

        editor(env)->cmdDelete_Click();
        QTRY_COMPARE_WITH_TIMEOUT(main->lstPass->count(), 2, 5000);
        QCOMPARE(shown(*main->lstPass), texts({Anna, Carl}));
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 2 entries changed by another program"));
    }

    void changeThatCannotJoinTheOutsideOneAsksBeforeOverwriting_data()
    {
        QTest::addColumn<MsgResult>("answer");
        QTest::newRow("OK replaces the file") << MsgResult::Ok;
        QTest::newRow("Cancel leaves it") << MsgResult::Cancel;
    }

    void changeThatCannotJoinTheOutsideOneAsksBeforeOverwriting()
    {
        QFETCH(MsgResult, answer);
        TestEnv env;
        Form1 *main = startWith(env, {Anna});
        const QByteArray outside = vaultFile({Anna}, "new master");
        env.platform.answer({answer});
        rewriteOutside(env, outside);
        addThroughEditor(env, Carl);

        QCOMPARE(env.platform.messages.size(), size_t(1));
        QCOMPARE(env.platform.messages[0].title, QStringLiteral("Vault Changed"));
        QVERIFY(env.platform.messages[0].text.contains("master password was changed"));
        if (answer == MsgResult::Ok) {
            QCOMPARE(env.vaultBytes(), vaultFile({Anna, Carl}));
            QCOMPARE(main->statusText(), QStringLiteral("Added new entry.  Data saved."));
        } else {
            QCOMPARE(env.vaultBytes(), outside);
            QCOMPARE(main->statusText(), "Entries NOT saved to " + QDir::toNativeSeparators(env.vaultPath()));
        }
    }
};

QTEST_MAIN(VaultSafetyTest)
#include "tst_VaultSafety.moc"
