#include "EntryTesting.h"
#include "TestEnv.h"
#include "ui/main/Form1.h"
#include "ui/vault/frmPass.h"

#include <QAction>
#include <QTest>

using namespace EntryTesting;

namespace {

const std::vector<VaultEntry> Entries = {{"ann", "a1", "one"}, {"bob", "b2", "two"}, {"cy", "c3", "three"}};
const VaultEntry Added = {"dee", "d4", "four"};
const VaultEntry BobEdited = {"bob", "b2-new", "two"};

enum class Change { Add, Edit, Delete };

void make(TestEnv &env, Form1 *main, Change change)
{
    switch (change) {
    case Change::Add:
        addThroughEditor(env, Added);
        return;
    case Change::Edit:
        selectRow(*main->lstPass, 2);
        main->cmdEdit_Click();
        type(editor(env), BobEdited);
        editor(env)->cmdAdd_Click();
        return;
    case Change::Delete:
        selectRow(*main->lstPass, 2);
        env.platform.answer({platform::MsgResult::Ok});
        main->cmdDelete_Click();
        return;
    }
}

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(std::vector<VaultEntry>)

class UndoRedoTest : public QObject
{
    Q_OBJECT

private slots:
    void eachChangeIsTakenBackAndDoneAgainOnDisk_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<std::vector<VaultEntry>>("changed");
        QTest::addColumn<QString>("undoneText");
        QTest::newRow("add") << Change::Add << std::vector<VaultEntry>{Entries[0], Entries[1], Entries[2], Added}
                             << "Undone: Add entry.  Data saved.";
        QTest::newRow("edit") << Change::Edit << std::vector<VaultEntry>{Entries[0], BobEdited, Entries[2]}
                              << "Undone: Edit entry.  Data saved.";
        QTest::newRow("delete in the middle") << Change::Delete << std::vector<VaultEntry>{Entries[0], Entries[2]}
                                              << "Undone: Delete entry.  Data saved.";
    }

    void eachChangeIsTakenBackAndDoneAgainOnDisk()
    {
        QFETCH(Change, change);
        QFETCH(std::vector<VaultEntry>, changed);
        QFETCH(QString, undoneText);
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        QVERIFY(!main->mnuUndo->isEnabled());
        make(env, main, change);
        QCOMPARE(env.vaultBytes(), vaultFile(changed));

        main->mnuUndo->trigger();
        QCOMPARE(env.vaultBytes(), vaultFile(Entries));
        QCOMPARE(shown(*main->lstPass), texts(Entries));
        QCOMPARE(main->statusText(), undoneText);
        QVERIFY(!main->mnuUndo->isEnabled());

        main->mnuRedo->trigger();
        QCOMPARE(env.vaultBytes(), vaultFile(changed));
        QCOMPARE(shown(*main->lstPass), texts(changed));
        QVERIFY(!main->mnuRedo->isEnabled());
    }

    void severalStepsGoBackToTheUnlock()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        make(env, main, Change::Delete);
        make(env, main, Change::Add);
        make(env, main, Change::Edit);
        main->mnuUndo->trigger();
        main->mnuUndo->trigger();
        main->mnuUndo->trigger();
        QCOMPARE(env.vaultBytes(), vaultFile(Entries));
        QVERIFY(!main->mnuUndo->isEnabled());
        main->mnuRedo->trigger();
        QCOMPARE(env.vaultBytes(), vaultFile({Entries[0], Entries[2]}));
    }

    void anUndoAfterAnotherProgramsChangeKeepsTheirs()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        make(env, main, Change::Delete);
        env.writeVault(vaultFile({Entries[0], Entries[2], Added}));
        QTRY_COMPARE(main->lstPass->count(), 3);
        main->mnuUndo->trigger();
        QCOMPARE(env.vaultBytes(), vaultFile({Entries[0], Entries[1], Entries[2], Added}));
        QCOMPARE(main->statusText(), QStringLiteral("Undone: Delete entry.  Data saved."));
    }

    void aLockWhileAnUndoWaitsOnABoxEndsTheHistory()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        make(env, main, Change::Delete);
        replaceVaultWithFolder(env);
        env.platform.onMessageBox = [main](const platform::MessageBoxRequest &) { main->mnuLock->trigger(); };
        main->mnuUndo->trigger();
        env.platform.onMessageBox = nullptr;
        QVERIFY(env.ctx().windows.IsLoaded<frmPass>());
        QVERIFY(!main->mnuUndo->isEnabled());
        QVERIFY(!main->mnuRedo->isEnabled());
    }
};

QTEST_MAIN(UndoRedoTest)
#include "tst_UndoRedo.moc"
