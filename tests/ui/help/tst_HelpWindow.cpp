#include "TestEnv.h"
#include "ui/help/Form8.h"
#include "ui/help/frmAbout.h"
#include "ui/main/Form1.h"

#include <QAction>
#include <QApplication>
#include <QScrollBar>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextBrowser>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString Absent = QStringLiteral("<absent>");

QString helpFixture()
{
    return QStringLiteral(KEYHOLDER_TEST_DATA "/help/Help.rtf");
}

void putHelpFile(TestEnv &env)
{
    QVERIFY(QFile::copy(helpFixture(), env.folder.filePath(QStringLiteral("Help.rtf"))));
}

QString storedShowHelp(const FakePlatform &platform)
{
    const auto it = platform.settings.find(
        FakePlatform::settingKey(platform.version.ProductName, QStringLiteral("Settings"),
                                 QStringLiteral("showHelp")));
    return it == platform.settings.end() ? Absent : it->second;
}

void storeShowHelp(FakePlatform &platform, const QString &value)
{
    if (value != Absent)
        platform.writeSetting(platform.version.ProductName, QStringLiteral("Settings"),
                              QStringLiteral("showHelp"), value);
}

int shownWindowsNamed(const QString &name)
{
    int count = 0;
    for (const QWidget *window : QApplication::topLevelWidgets())
        count += window->objectName() == name && window->isVisible();
    return count;
}

Form8 *shownHelp(TestEnv &env)
{
    return env.ctx().windows.IsShown<Form8>() ? env.ctx().windows.Find<Form8>() : nullptr;
}

void clickBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

using Settings = std::map<QString, QString>;

// What one run of the program saw, opening help from the menu when it did not open by itself.
struct Run {
    bool helpAtStart = false;
    Qt::CheckState box = Qt::Unchecked;
    Settings settingsLeft;
};

Run runOnce(const Settings &before, bool clickTheBox)
{
    TestEnv env;
    putHelpFile(env);
    env.platform.settings = before;
    Form1 *main = env.startUnlocked();
    Run run;
    run.helpAtStart = shownHelp(env) != nullptr;
    if (!run.helpAtStart)
        main->mnuHelpItem[0]->trigger();
    if (Form8 *help = shownHelp(env)) {
        run.box = help->Check1->checkState();
        if (clickTheBox)
            clickBox(help->Check1);
    }
    run.settingsLeft = env.platform.settings;
    return run;
}

QString showHelpIn(const Settings &settings)
{
    FakePlatform store;
    store.settings = settings;
    return storedShowHelp(store);
}

} // namespace

class HelpWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void opensByItselfOnceThePasswordIsAccepted()
    {
        {
            TestEnv env;
            putHelpFile(env);
            env.startProgram();
            QVERIFY(!shownHelp(env));
        }
        TestEnv env;
        putHelpFile(env);
        Form1 *main = env.startUnlocked();
        QVERIFY(main->isVisible());
        Form8 *help = shownHelp(env);
        QVERIFY(help);
        QCOMPARE(help->windowTitle(), QStringLiteral("Readme/Help"));
        QCOMPARE(help->Check1->text(), QStringLiteral("Show at Startup"));
        QCOMPARE(help->Check1->checkState(), Qt::Checked);
        QCOMPARE(storedShowHelp(env.platform), Absent);
    }

    void showAtStartupSurvivesRestarts()
    {
        const Run first = runOnce({}, true);
        QVERIFY(first.helpAtStart);
        QCOMPARE(first.box, Qt::Checked);
        QCOMPARE(showHelpIn(first.settingsLeft), QStringLiteral("0"));

        const Run second = runOnce(first.settingsLeft, true);
        QVERIFY(!second.helpAtStart);
        QCOMPARE(second.box, Qt::Unchecked);
        QCOMPARE(showHelpIn(second.settingsLeft), QStringLiteral("1"));

        const Run third = runOnce(second.settingsLeft, false);
        QVERIFY(third.helpAtStart);
        QCOMPARE(third.box, Qt::Checked);
        QCOMPARE(third.settingsLeft, second.settingsLeft);
    }

    void storedValueDecidesStartupAndBox_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("opensAtStartup");
        QTest::addColumn<Qt::CheckState>("box");
        QTest::addColumn<QString>("storedOnceOpen");
        QTest::addColumn<QString>("storedAfterClick");
        QTest::newRow("nothing stored") << Absent << true << Qt::Checked << Absent << "0";
        QTest::newRow("1") << "1" << true << Qt::Checked << "1" << "0";
        QTest::newRow("0") << "0" << false << Qt::Unchecked << "0" << "1";
        QTest::newRow("01") << "01" << false << Qt::Checked << "01" << "0";
        QTest::newRow("1 with a leading space") << " 1" << false << Qt::Checked << " 1" << "0";
        QTest::newRow("a word") << "yes" << false << Qt::Checked << "yes" << "0";
        QTest::newRow("empty") << "" << false << Qt::Checked << "" << "0";
        QTest::newRow("00") << "00" << false << Qt::Unchecked << "0" << "1";
        QTest::newRow("2 greys the box") << "2" << false << Qt::PartiallyChecked << "2" << "1";
        QTest::newRow("02") << "02" << false << Qt::PartiallyChecked << "2" << "1";
        QTest::newRow("3 is no box value") << "3" << false << Qt::Checked << "3" << "0";
        QTest::newRow("-1 is no box value") << "-1" << false << Qt::Checked << "-1" << "0";
    }

    void storedValueDecidesStartupAndBox()
    {
        QFETCH(QString, stored);
        QFETCH(bool, opensAtStartup);
        QFETCH(Qt::CheckState, box);
        QFETCH(QString, storedOnceOpen);
        QFETCH(QString, storedAfterClick);
        TestEnv env;
        putHelpFile(env);
        storeShowHelp(env.platform, stored);
        Form1 *main = env.startUnlocked();
        QCOMPARE(static_cast<bool>(shownHelp(env)), opensAtStartup);

        main->mnuHelpItem[0]->trigger();
        Form8 *help = shownHelp(env);
        QVERIFY(help);
        QCOMPARE(help->Check1->checkState(), box);
        QCOMPARE(storedShowHelp(env.platform), storedOnceOpen);
        clickBox(help->Check1);
        QCOMPARE(storedShowHelp(env.platform), storedAfterClick);
    }

    void everyClickIsStoredAtOnceAndClosingStoresNothing()
    {
        TestEnv env;
        putHelpFile(env);
        env.startUnlocked();
        Form8 *help = shownHelp(env);
        QVERIFY(help);
        QStringList written;
        for (int click = 0; click < 3; ++click) {
            clickBox(help->Check1);
            written << storedShowHelp(env.platform);
        }
        QCOMPARE(written, (QStringList{"0", "1", "0"}));
        env.platform.settings.clear();
        help->close();
        TestEnv::settle();
        QVERIFY(!env.ctx().windows.IsLoaded<Form8>());
        QVERIFY(env.platform.settings.empty());
    }

    void reopeningReadsTheSettingAfresh()
    {
        TestEnv env;
        putHelpFile(env);
        Form1 *main = env.startUnlocked();
        shownHelp(env)->close();
        TestEnv::settle();
        storeShowHelp(env.platform, QStringLiteral("0"));
        main->mnuHelpItem_Click(0);
        QVERIFY(shownHelp(env));
        QCOMPARE(shownHelp(env)->Check1->checkState(), Qt::Unchecked);
    }

    void noHelpFileNoWindow_data()
    {
        QTest::addColumn<bool>("folderInItsPlace");
        QTest::newRow("missing") << false;
        QTest::newRow("a folder named Help.rtf") << true;
    }

    void noHelpFileNoWindow()
    {
        QFETCH(bool, folderInItsPlace);
        TestEnv env;
        if (folderInItsPlace)
            QVERIFY(QDir(env.folder.path()).mkdir(QStringLiteral("Help.rtf")));
        Form1 *main = env.startUnlocked();
        QVERIFY(!shownHelp(env));
        main->mnuHelpItem[0]->trigger();
        main->mnuHelpItem[0]->trigger();
        QVERIFY(!shownHelp(env));
        QCOMPARE(shownWindowsNamed(QStringLiteral("Form8")), 0);
        QVERIFY(env.platform.settings.empty());
        QVERIFY(env.platform.messages.empty());
    }

    void helpFileAddedLaterIsShownOnTheNextRequest()
    {
        TestEnv env;
        Form1 *main = env.startUnlocked();
        main->mnuHelpItem[0]->trigger();
        QVERIFY(!shownHelp(env));
        putHelpFile(env);
        main->mnuHelpItem[0]->trigger();
        QVERIFY(shownHelp(env));
    }

    void showsTheHelpFileReadOnly()
    {
        TestEnv env;
        putHelpFile(env);
        env.startUnlocked();
        Form8 *help = shownHelp(env);
        QVERIFY(help);
        const QString text = help->rtf1->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("Lantern guide")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Walrus tables keep the harbour quiet.")),
                 qPrintable(text));
        const QTextCursor heading = help->rtf1->document()->find(QStringLiteral("Lantern"));
        QVERIFY(heading.charFormat().fontWeight() >= QFont::Bold);

        QTest::keyClicks(help->rtf1, QStringLiteral("typed"));
        QCOMPARE(help->rtf1->toPlainText(), text);
    }

    void longHelpOpensAtItsTop()
    {
        TestEnv env;
        QFile help(env.folder.filePath(QStringLiteral("Help.rtf")));
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write("{\\rtf1\\ansi First line\\par\n");
        for (int line = 2; line <= 300; ++line)
            help.write(QByteArray("Line ") + QByteArray::number(line) + "\\par\n");
        help.write("}");
        help.close();
        env.startUnlocked();
        Form8 *shown = shownHelp(env);
        QVERIFY(shown);
        TestEnv::settle();
        QVERIFY(shown->rtf1->verticalScrollBar()->maximum() > 0);
        QCOMPARE(shown->rtf1->verticalScrollBar()->value(), 0);
        const QTextCursor topLeft = shown->rtf1->cursorForPosition(QPoint(5, 5));
        QCOMPARE(topLeft.block().text(), QStringLiteral("First line"));
    }

    void unreadableHelpTextStillShowsTheWindow()
    {
        TestEnv env;
        QFile garbage(env.folder.filePath(QStringLiteral("Help.rtf")));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("{\\rtf1 {{{{ \\'zz \\u-99999999999 ");
        garbage.close();
        storeShowHelp(env.platform, QStringLiteral("0"));
        env.startUnlocked()->mnuHelpItem_Click(0);
        Form8 *help = shownHelp(env);
        QVERIFY(help);
        QCOMPARE(help->Check1->checkState(), Qt::Unchecked);
    }

    void staysOnTopOfOtherWindows()
    {
        TestEnv env;
        putHelpFile(env);
        env.startUnlocked();
        QVERIFY(shownHelp(env));
        QVERIFY(shownHelp(env)->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void openingTwiceKeepsOneWindow()
    {
        TestEnv env;
        putHelpFile(env);
        Form1 *main = env.startUnlocked();
        const Form8 *first = shownHelp(env);
        QVERIFY(first);
        main->mnuHelpItem_Click(0);
        main->mnuHelpItem_Click(0);
        QCOMPARE(shownHelp(env), first);
        QCOMPARE(shownWindowsNamed(QStringLiteral("Form8")), 1);
    }

    void closingTheMainWindowClosesHelpAndAbout()
    {
        TestEnv env;
        putHelpFile(env);
        Form1 *main = env.startUnlocked();
        main->mnuAboutItem_Click(0);
        QVERIFY(shownHelp(env));
        main->close();
        TestEnv::settle();
        QVERIFY(!env.ctx().windows.IsLoaded<Form8>());
        QVERIFY(!env.ctx().windows.IsLoaded<frmAbout>());
        QCOMPARE(shownWindowsNamed(QStringLiteral("Form8")), 0);
        QCOMPARE(shownWindowsNamed(QStringLiteral("frmAbout")), 0);
        QVERIFY(env.platform.ended());
    }
};

QTEST_MAIN(HelpWindowTest)
#include "tst_HelpWindow.moc"
