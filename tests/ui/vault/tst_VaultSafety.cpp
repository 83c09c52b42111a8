// Nothing the user typed or changed is lost: a second start on the same vault,
// a save that failed before the window closes, text typed in the editor, a
// vault changed by another program while the window is open, a vault that went
// missing, a lock that cannot be made or was left elsewhere, and the copy key.
#include "EntryTesting.h"
#include "FileSizeLimit.h"
#include "VaultFiles.h"
#include "ui/vault/frmPass.h"
#include "vault/VaultFile.h"
#include "vault/VaultSession.h"

#include <QDir>
#include <QDirIterator>
#include <QPushButton>
#include <cerrno>
#include <QTest>

using namespace EntryTesting;
using platform::MsgButtons;
using platform::MsgResult;

namespace {

const VaultEntry Anna{"anna", "secret", "www.example.com"};
const VaultEntry Carl{"carl", "c4rl", "mail.example"};
const VaultEntry Bob{"bob", "b0b", "bob.example"};
const VaultEntry BobThere{"bob", "changed there", "bob.example"};
const VaultEntry Bobby{"bobby", "b0b", "bob.example"};
const VaultEntry Dave{"dave", "d4ve", "dave.example"};
const VaultEntry Eve{"eve", "3ve", "eve.example"};

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

void unlock(TestEnv &env)
{
    env.ctx().windows.Find<frmPass>()->txtPass->setText(MasterPassword);
    env.ctx().windows.Find<frmPass>()->cmdOK->click();
    QVERIFY(TestEnv::waitForPasswordCheck(env));
}

QStringList titlesOf(const FakePlatform &platform)
{
    QStringList titles;
    for (const auto &message : platform.messages)
        titles << message.title;
    return titles;
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
        selectRow(*main->lstPass, 1);
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
        // Each report notes whether the outside change had been made by then.
        bool changedOutside = false;
        QList<bool> reports;
        const QObject listener;
        QObject::connect(&env.ctx().session(), &VaultSession::changedOutside, &listener,
                         [&] { reports << changedOutside; });
        addThroughEditor(env, Bob);
        main->cmdAdd_Click(0);
        VaultFiles::rewriteOutside(env.vaultPath(), vaultFile({Anna, Bob, Carl}));
        changedOutside = true;
        QTRY_VERIFY(!reports.isEmpty());
        QVERIFY(!reports.contains(false)); // our own save is no outside change
        // The window waits while the editor is open.
        QCOMPARE(shown(*main->lstPass), texts({Anna, Bob}));

        editor(env)->cmdDelete_Click();
        QTRY_COMPARE_WITH_TIMEOUT(main->lstPass->count(), 3, 5000);
        QCOMPARE(shown(*main->lstPass), texts({Anna, Bob, Carl}));
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 3 entries changed by another program"));
    }

    void outsideChangeThatCannotBeReadIsTold()
    {
        TestEnv env;
        Form1 *main = startWith(env, {Anna});
        QVERIFY(QFile::resize(env.vaultPath(), VaultFile::MaximumSize + 1));
        const QString told = QStringLiteral("Could not load the entries changed by another program: ");
        QTRY_VERIFY2(main->statusText().startsWith(told), qPrintable(main->statusText()));
        QVERIFY2(main->statusText().contains("larger than the 256 MiB"), qPrintable(main->statusText()));
        QCOMPARE(shown(*main->lstPass), texts({Anna}));
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
        VaultFiles::rewriteOutside(env.vaultPath(), outside);
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

    // Edit Bob; meanwhile another program changes his password and adds Dave.
    void editMeetingAnOutsideChangeShowsItBeforeAsking()
    {
        TestEnv env;
        Form1 *main = startWith(env, {Anna, Bob, Carl});
        selectRow(*main->lstPass, 2);
        main->cmdEdit_Click();
        const QByteArray outside = vaultFile({Anna, BobThere, Carl, Dave});
        VaultFiles::rewriteOutside(env.vaultPath(), outside);
        QStringList shownWhileAsked;
        env.platform.onMessageBox = [&](const platform::MessageBoxRequest &) { shownWhileAsked = shown(*main->lstPass); };

        env.platform.answer({MsgResult::Cancel});
        editor(env)->txtUsername->setText("bobby");
        editor(env)->cmdAdd_Click();
        QCOMPARE(env.platform.messages.size(), size_t(1));
        const platform::MessageBoxRequest asked = env.platform.messages[0];
        QCOMPARE(asked.title, QStringLiteral("Vault Changed"));
        QCOMPARE(asked.buttons, MsgButtons::KeepMineKeepTheirsKeepBothCancel);
        QVERIFY2(asked.text.contains("Here: \"bobby\" at \"bob.example\"\nThere: \"bob\" at \"bob.example\", with another password"),
                 qPrintable(asked.text));
        QVERIFY(!asked.text.contains("dave"));
        QCOMPARE(shownWhileAsked, texts({Anna, Bobby, Carl, Dave}));
        QCOMPARE(main->statusText(), "Entries NOT saved to " + QDir::toNativeSeparators(env.vaultPath()));
        QCOMPARE(env.vaultBytes(), outside);

        // The next change asks about Bob alone, and the choice saves everything.
        env.platform.answer({MsgResult::KeepMine});
        addThroughEditor(env, Eve);
        QCOMPARE(env.platform.messages.size(), size_t(2));
        QCOMPARE(env.platform.messages[1].text, asked.text);
        QCOMPARE(env.vaultBytes(), vaultFile({Anna, Bobby, Carl, Dave, Eve}));
        QCOMPARE(shown(*main->lstPass), texts({Anna, Bobby, Carl, Dave, Eve}));
        QCOMPARE(main->statusText(), QStringLiteral("Added new entry.  Data saved."));
    }

    void vanishedVaultEndsWithRestoreAdvice()
    {
        TestEnv env;
        startWith(env, {Anna});
        addThroughEditor(env, Carl);
        env.context.reset();
        const QString backup = VaultFile::backupPathOf(env.vaultPath());
        const QByteArray backupBytes = VaultFiles::contentsOf(backup);
        QVERIFY(QFile::remove(env.vaultPath()));

        TestEnv second;
        second.platform.folder = env.folder.path();
        second.startProgram();
        QCOMPARE(titlesOf(second.platform), QStringList{"Error"});
        const QString text = second.platform.messages[0].text;
        QVERIFY2(text.contains(QDir::toNativeSeparators(env.vaultPath())) && text.contains(QDir::toNativeSeparators(backup)),
                 qPrintable(text));
        QCOMPARE(second.platform.exitStatus, 1);
        QVERIFY(!second.ctx().windows.IsLoaded<frmPass>());
        QVERIFY(!QFile::exists(env.vaultPath()));
        QCOMPARE(VaultFiles::contentsOf(backup), backupBytes);
    }

    void vaultThatCannotBeLockedOpensReadOnly()
    {
#ifdef Q_OS_UNIX
        TestEnv env;
        const QByteArray vault = vaultFile({Anna, Carl});
        env.writeVault(vault);
        {
            const FileSizeLimit full(0);
            env.startProgram();
        }
        unlock(env);
        Form1 *main = env.mainWindow();
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 2 entries, read-only. Its lock file \"%1\" cannot be created: %2")
                         .arg(QDir::toNativeSeparators(env.vaultPath() + ".lock"), qt_error_string(EFBIG)));

        selectRow(*main->lstPass, 1);
        main->cmdCopy_Click(1);
        QCOMPARE(env.platform.clipboard, Anna.Password);
        main->cmdAdd_Click(0);
        main->cmdEdit_Click();
        main->cmdDelete_Click();
        QCOMPARE(titlesOf(env.platform), (QStringList{"Read-Only", "Read-Only", "Read-Only"}));
        QVERIFY(!env.ctx().windows.IsLoaded<frmAdd>());
        QCOMPARE(main->lstPass->count(), 2);
        QCOMPARE(env.vaultBytes(), vault);
#else
        QSKIP("Needs a per-process file size limit");
#endif
    }

    void lockLeftByAnotherComputerIsNamedAndOverruled_data()
    {
        QTest::addColumn<MsgResult>("answer");
        QTest::addColumn<QString>("status"); // empty: the program ends
        QTest::newRow("Open Read-Only") << MsgResult::OpenReadOnly << "Loaded 1 entries, read-only. It is locked by process 4242";
        QTest::newRow("Open Anyway") << MsgResult::OpenAnyway << "Loaded 1 entries";
        QTest::newRow("Cancel") << MsgResult::Cancel << QString();
    }

    void lockLeftByAnotherComputerIsNamedAndOverruled()
    {
        QFETCH(MsgResult, answer);
        QFETCH(QString, status);
        TestEnv env;
        env.writeVault(vaultFile({Anna}));
        VaultFiles::writeLockOf(env.vaultPath(), 4242, "far-away-pc");
        const QByteArray theirLock = VaultFiles::contentsOf(env.vaultPath() + ".lock");
        env.platform.answer({answer});
        env.startProgram();
        QCOMPARE(titlesOf(env.platform), QStringList{"Vault Locked"});
        QCOMPARE(env.platform.messages[0].buttons, MsgButtons::OpenReadOnlyOpenAnywayCancel);
        QVERIFY2(env.platform.messages[0].text.contains("process 4242 (keyholder) on the computer \"far-away-pc\""),
                 qPrintable(env.platform.messages[0].text));
        if (status.isEmpty()) {
            QCOMPARE(env.platform.exitStatus, 0);
            QVERIFY(!env.ctx().windows.IsLoaded<frmPass>());
            QCOMPARE(VaultFiles::contentsOf(env.vaultPath() + ".lock"), theirLock);
            return;
        }
        unlock(env);
        QVERIFY2(env.mainWindow()->statusText().startsWith(status), qPrintable(env.mainWindow()->statusText()));
        const bool ours = answer == MsgResult::OpenAnyway;
        QCOMPARE(VaultFiles::contentsOf(env.vaultPath() + ".lock") == theirLock, !ours);
    }

    void copyKeyInTheListIsTakenBackLikeTheCopyButtons()
    {
        TestEnv env;
        Form1 *main = startWith(env, {Anna, Carl});
        env.ctx().clipboard.setDelay(std::chrono::milliseconds(50));
        main->lstPass->setCurrentIndex(main->lstPass->model()->index(1, 1));
        QTest::keySequence(main->lstPass, QKeySequence::Copy);
        QCOMPARE(env.platform.clipboard, Carl.Password);
        QCOMPARE(main->statusText(), "Copied Password " + Carl.Password);
        QTRY_COMPARE(env.platform.clipboard, QString());
    }
};

QTEST_MAIN(VaultSafetyTest)
#include "tst_VaultSafety.moc"
