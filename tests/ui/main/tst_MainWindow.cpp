#include "FocusChain.h"
#include "TestEnv.h"
#include "ui/skin/frmSplash.h"
#include "ui/base/StatusBar.h"
#include "ui/base/Twips.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void captionAndButtonTextsComeFromTheBranding()
    {
        TestEnv env;
        env.platform.version.ProductName = QStringLiteral("Vaulty");
        env.platform.version.CompanyName = QStringLiteral("Acme Ltd");
        env.platform.version.Comments = QStringLiteral("www.acme.example");
        Form1 *main = env.startProgram();
        QVERIFY(main);
        QCOMPARE(main->windowTitle(), QStringLiteral("Vaulty by Acme Ltd"));
        QCOMPARE(main->cmdWebsite[0]->text(), QStringLiteral("Visit www.acme.example"));
        QCOMPARE(main->cmdAdd[0]->text(), QStringLiteral("Add"));
        QCOMPARE(main->cmdDelete->text(), QStringLiteral("Delete"));
        QCOMPARE(main->cmdEdit->text(), QStringLiteral("Edit"));
        QCOMPARE(main->cmdGoto->text(), QStringLiteral("Go To"));
        QCOMPARE(main->cmdCopy[0]->text(), QStringLiteral("Copy Username"));
        QCOMPARE(main->cmdCopy[1]->text(), QStringLiteral("Copy Password"));
        QCOMPARE(main->cmdCopy[2]->text(), QStringLiteral("Copy Used At"));
    }

    void mainWindowTakesTheSplashIconWhenBrandedSo_data()
    {
        QTest::addColumn<bool>("useSplashIcon");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }

    void mainWindowTakesTheSplashIconWhenBrandedSo()
    {
        QFETCH(bool, useSplashIcon);
        TestEnv env;
        env.ctx().brandingSwitches.UseSplashIcon = useSplashIcon;
        Form1 *main = env.startProgram();
        const qint64 splashIcon = env.ctx().windows.Find<frmSplash>()->windowIcon().cacheKey();
        QCOMPARE(main->windowIcon().cacheKey() == splashIcon, useSplashIcon);
    }

    void listHasThreeColumnsLinedUpWithTheCopyButtons()
    {
        TestEnv env;
        Form1 *main = env.startProgram();
        EntryList *list = main->lstPass;
        QCOMPARE(list->columnHeaderCount(), 3);
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Username"));
        QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Password"));
        QCOMPARE(list->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Website/Location"));
        // 2345, 2375 and 4095 twips, at 15 a pixel: as wide as the copy buttons below them.
        QCOMPARE(list->header()->sectionSize(0), 156);
        QCOMPARE(list->header()->sectionSize(1), 158);
        QCOMPARE(list->header()->sectionSize(2), 273);
        QCOMPARE(list->count(), 0);
        QCOMPARE(Twips::rect(list), QRect(60, 1980, 8895, 4215));
    }

    void statusLineIsAsWideAsTheWindowAndReplacedWhole()
    {
        TestEnv env;
        Form1 *main = env.startProgram();
        QCOMPARE(main->StatusBar1->panelWidth(1), main->WidthTwips());
        main->SetStatus(QStringLiteral("Loaded 12 entries"));
        main->SetStatus(QStringLiteral("Saved"));
        QCOMPARE(main->statusText(), QStringLiteral("Saved"));
        QCOMPARE(main->StatusBar1->panelText(1), QStringLiteral("Saved"));
    }

    void menusHoldTheirItemsInOrder()
    {
        TestEnv env;
        Form1 *main = env.startProgram();
        // Each title is underlined on its first letter.
        QStringList menus;
        for (QAction *action : main->menuBar()->actions())
            menus << action->text();
        QCOMPARE(menus, (QStringList{"&File", "&Data", "&Copy", "&Help", "&About"}));
        // The designed items come first (Exit last), without shortcuts; more
        // items follow behind a separator.
        const auto captions = [](QMenu *menu) {
            QStringList texts;
            for (QAction *action : menu->actions()) {
                if (action->isSeparator())
                    break;
                texts << action->text();
                if (!action->shortcut().isEmpty())
                    texts << QStringLiteral("has a shortcut");
            }
            return texts;
        };
        QStringList file;
        for (QAction *action : main->mnuFile->actions())
            file << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(file, (QStringList{"Lock", "Lock After Idle", "Lock With the Screen", "-", "Exit", "-",
                                    u"Change Master Password\u2026"_s}));
        QVERIFY(main->mnuFileItem[0]->shortcut().isEmpty());
        QCOMPARE(captions(main->mnuData),
                 (QStringList{"Add Username/Password", "Delete Selected Item", "Edit Selected Item",
                              "Goto \"Used At\" Location"}));
        QCOMPARE(captions(main->mnuCopy),
                 (QStringList{"Selected Username", "Selected Password",
                              "Selected Used At Location"}));
        QCOMPARE(captions(main->mnuHelp), QStringList{"View Help"});
        QCOMPARE(captions(main->mnuAbout), QStringList{"About this software"});
    }

    void tabOrderFollowsTheDesign()
    {
        TestEnv env;
        Form1 *main = env.startProgram();
        const QWidget *expected[] = {main->cmdAdd[0], main->cmdEdit,    main->cmdDelete,
                                     main->cmdWebsite[0], main->lstPass, main->cmdCopy[0],
                                     main->cmdGoto, main->cmdCopy[1], main->cmdCopy[2]};
        for (size_t i = 0; i + 1 < std::size(expected); ++i) {
            QCOMPARE(nextTabStop(expected[i]), expected[i + 1]);
        }
    }

    void exitAndTheCloseBoxBothEndTheProgram_data()
    {
        QTest::addColumn<bool>("viaMenu");
        QTest::newRow("Exit") << true;
        QTest::newRow("close box") << false;
    }

    void exitAndTheCloseBoxBothEndTheProgram()
    {
        QFETCH(bool, viaMenu);
        TestEnv env;
        Form1 *main = env.startProgram();
        if (viaMenu)
            main->mnuFileItem[0]->trigger();
        else
            main->close();
        QCOMPARE(env.platform.endProgramCalls, 1);
        QVERIFY(!env.ctx().windows.IsLoaded<Form1>());
        QVERIFY(!env.ctx().windows.IsLoaded<frmSplash>());
    }

    void menuIndexOutsideTheTableDoesNothing()
    {
        TestEnv env;
        Form1 *main = env.startProgram();
        main->SetStatus(QStringLiteral("before"));
        main->mnuDataItem_Click(4);
        main->mnuCopyItem_Click(3);
        main->mnuFileItem_Click(1);
        QCOMPARE(main->statusText(), QStringLiteral("before"));
        QVERIFY(!env.platform.ended());
        QVERIFY(env.platform.messages.empty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_MainWindow.moc"
