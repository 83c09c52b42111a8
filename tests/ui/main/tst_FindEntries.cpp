#include "EntryTesting.h"
#include "TestEnv.h"
#include "ui/main/EntryList.h"
#include "ui/main/FindBox.h"
#include "ui/main/Form1.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>

using namespace EntryTesting;

namespace {

const std::vector<VaultEntry> Entries = {{"ann", "secret-bank", "www.bank.example"},
                                         {"Bob Smith", "mail-pw", "mail.example"},
                                         {"carol", "bank", "Shop Bank Street"},
                                         {"dave", "d4", "notes"}};

Form1 *startFinding(TestEnv &env, const QString &typed)
{
    Form1 *main = startWith(env, Entries);
    main->mnuFind->trigger();
    QTest::keyClicks(main->findBox->txtFind, typed);
    return main;
}

// What Copy Username puts on the clipboard: the selected entry's name.
QString copiedUsername(TestEnv &env, Form1 *main)
{
    env.platform.clipboard.clear();
    main->mnuCopyItem[0]->trigger();
    return env.platform.clipboard;
}

} // namespace

class FindEntriesTest : public QObject
{
    Q_OBJECT

private slots:
    void typingNarrowsTheListToEveryWord_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("shownCount");
        QTest::addColumn<QString>("firstMatch");
        QTest::newRow("a location") << "bank" << 2 << "ann";
        QTest::newRow("case ignored") << "BANK" << 2 << "ann";
        QTest::newRow("a username") << "smith" << 1 << "Bob Smith";
        QTest::newRow("every word, in either field") << "carol street" << 1 << "carol";
        QTest::newRow("words in any order") << "street  carol " << 1 << "carol";
        QTest::newRow("passwords are never searched") << "secret" << 0 << "";
        QTest::newRow("no match") << "zzz" << 0 << "";
    }

    void typingNarrowsTheListToEveryWord()
    {
        QFETCH(QString, typed);
        QFETCH(int, shownCount);
        QFETCH(QString, firstMatch);
        TestEnv env;
        Form1 *main = startFinding(env, typed);
        QCOMPARE(main->lstPass->model()->rowCount(), shownCount);
        QCOMPARE(copiedUsername(env, main), firstMatch);
        QCOMPARE(main->lstPass->count(), int(Entries.size()));
    }

    void findBoxTakesTheListsRoomAndEscapeGivesItBack()
    {
        TestEnv env;
        Form1 *main = startWith(env, Entries);
        const QSize windowSize = main->size();
        const QRect listBefore = main->lstPass->geometry();
        main->mnuFind->trigger();
        QVERIFY(main->findBox->isVisible());
        QVERIFY(main->findBox->txtFind->hasFocus());
        QCOMPARE(main->findBox->geometry().top(), listBefore.top());
        QCOMPARE(main->lstPass->geometry().bottom(), listBefore.bottom());
        QCOMPARE(main->lstPass->geometry().top(), main->findBox->geometry().bottom() + 1);

        QTest::keyClicks(main->findBox->txtFind, "mail");
        QTest::keyClick(main->findBox->txtFind, Qt::Key_Escape);
        QVERIFY(main->findBox->isHidden());
        QCOMPARE(main->findBox->txtFind->text(), QString());
        QCOMPARE(main->lstPass->geometry(), listBefore);
        QCOMPARE(main->size(), windowSize);
        QCOMPARE(main->lstPass->model()->rowCount(), int(Entries.size()));
        // The entry found stays the selected one.
        QCOMPARE(copiedUsername(env, main), QStringLiteral("Bob Smith"));
    }

    void downGoesIntoTheListWhereEscapeStillEndsTheFind()
    {
        TestEnv env;
        Form1 *main = startFinding(env, "bank");
        QTest::keyClick(main->findBox->txtFind, Qt::Key_Down);
        QVERIFY(main->lstPass->hasFocus());
        QTest::keyClick(main->lstPass, Qt::Key_Down);
        QTest::keyClick(main->lstPass, Qt::Key_Escape);
        QVERIFY(main->findBox->isHidden());
        QCOMPARE(main->lstPass->model()->rowCount(), int(Entries.size()));
        QCOMPARE(copiedUsername(env, main), QStringLiteral("carol"));
    }

    void changesWhileFindingKeepEveryEntryInTheFile()
    {
        TestEnv env;
        Form1 *main = startFinding(env, "bank");
        // The first click sorts by location, descending, while two entries show.
        main->lstPass_ColumnClick(3);
        QCOMPARE(copiedUsername(env, main), QStringLiteral("ann"));
        env.platform.answer({platform::MsgResult::Ok});
        main->cmdDelete_Click();
        // Shop Bank Street, notes, mail.example: the list's order, hidden ones too.
        QCOMPARE(env.vaultBytes(), vaultFile({Entries[2], Entries[3], Entries[1]}));
        QCOMPARE(main->lstPass->model()->rowCount(), 1);
    }

    void anAddShowsEveryEntryAgain()
    {
        TestEnv env;
        Form1 *main = startFinding(env, "smith");
        addThroughEditor(env, {"erin", "e5", "elsewhere"});
        QCOMPARE(main->findBox->txtFind->text(), QString());
        QCOMPARE(main->lstPass->model()->rowCount(), int(Entries.size()) + 1);
    }
};

QTEST_MAIN(FindEntriesTest)
#include "tst_FindEntries.moc"
