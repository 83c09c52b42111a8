#include "LocalWebServer.h"
#include "FocusChain.h"
#include "TestEnv.h"
#include "WebEngineTestSetup.h"
#include "ui/base/StatusBar.h"
#include "ui/base/Twips.h"
#include "ui/browser/QuietPage.h"
#include "ui/browser/WebView.h"
#include "ui/browser/frmWebsite.h"
#include "ui/main/Form1.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <QToolButton>

class BrowserWindowTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { prepareWebEngine(); }

private:
    LocalWebServer m_server;

    // The main window, complete, with the web site on the local server.
    Form1 *start(TestEnv &env)
    {
        env.platform.version.Comments = m_server.host();
        env.ctx().brandingSwitches.ShowBanner = false; // the banner has its own tests
        return env.startUnlocked();
    }

    static frmWebsite *visit(TestEnv &env, Form1 *main)
    {
        main->cmdWebsite[0]->click();
        return env.ctx().windows.Find<frmWebsite>();
    }

    static void type(frmWebsite *browser, const QString &address)
    {
        browser->Text1->clear();
        QTest::keyClicks(browser->Text1, address);
    }

    // The main window with the browser open at the web site's home page.
    frmWebsite *openAtHome(TestEnv &env)
    {
        frmWebsite *browser = visit(env, start(env));
        if (browser)
            waitForCaption(browser, QStringLiteral("Home"));
        return browser;
    }

    static void waitForCaption(frmWebsite *browser, const QString &caption)
    {
        QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), caption, PageTimeout);
    }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }

    void visitOpensTheWindowMaximizedAtTheWebSite()
    {
        TestEnv env;
        Form1 *main = start(env);
        const QString status = main->statusText();
        frmWebsite *browser = visit(env, main);
        QVERIFY(browser);
        QVERIFY(browser->isVisible());
        QVERIFY(browser->isMaximized());
        QVERIFY(!browser->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(browser->windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
        // Until the first page is in, the caption is the web site as the branding gives it.
        QCOMPARE(browser->windowTitle(), m_server.host());
        QCOMPARE(browser->StatusBar1->panelCount(), 2);

        waitForCaption(browser, QStringLiteral("Home"));
        QCOMPARE(m_server.requests().last(), QStringLiteral("/"));
        QCOMPARE(main->statusText(), status);
        QVERIFY(env.platform.messages.empty());
    }

    void completedPageFillsAddressCaptionAndStatusPanels()
    {
        TestEnv env;
        frmWebsite *browser = visit(env, start(env));
        QStringList panel2;
        const auto record = [&] { panel2 << browser->StatusBar1->panelText(2); };
        connect(browser->WebBrowser1, &WebView::DownloadBegin, browser, record);
        connect(browser->WebBrowser1, &WebView::DownloadComplete, browser, record);
        waitForCaption(browser, QStringLiteral("Home"));

        const QString home = m_server.url(QStringLiteral("/"));
        QCOMPARE(panel2, (QStringList{QStringLiteral("Opening ") + home,
                                      QStringLiteral("Completed ") + home}));
        QCOMPARE(browser->Text1->text(), home);
    }

    void typedAddressOpensByGoOrEnter_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("go button") << false;
        QTest::newRow("Enter") << true;
    }

    void typedAddressOpensByGoOrEnter()
    {
        QFETCH(bool, byEnter);
        TestEnv env;
        frmWebsite *browser = openAtHome(env);
        QVERIFY(browser);
        // Typed without a scheme; the address box then shows the page's full address.
        type(browser, m_server.host() + QStringLiteral("/two.html"));
        if (byEnter)
            QTest::keyClick(browser->Text1, Qt::Key_Return);
        else
            browser->Command3->click();
        waitForCaption(browser, QStringLiteral("Two"));
        const QString two = m_server.url(QStringLiteral("/two.html"));
        QCOMPARE(browser->Text1->text(), two);
        QCOMPARE(browser->StatusBar1->panelText(2), QStringLiteral("Completed ") + two);
    }

    void backAndForwardWithNowhereToGoDoNothing()
    {
        TestEnv env;
        frmWebsite *browser = openAtHome(env);
        QVERIFY(browser);
        QSignalSpy captions(browser, &QWidget::windowTitleChanged);
        QSignalSpy begun(browser->WebBrowser1, &WebView::DownloadBegin);
        browser->Command4->click();
        browser->Command5->click();
        // The next page shows that nothing came in between.
        type(browser, m_server.url(QStringLiteral("/one.html")));
        browser->Command3->click();
        waitForCaption(browser, QStringLiteral("One"));
        QCOMPARE(begun.count(), 1);
        QCOMPARE(captions.count(), 1);
        QVERIFY(env.platform.messages.empty());
        QVERIFY(!browser->WebBrowser1->isShowingQuietPage());
    }

    void backAndForwardWalkTheHistory()
    {
        TestEnv env;
        frmWebsite *browser = openAtHome(env);
        QVERIFY(browser);
        type(browser, m_server.url(QStringLiteral("/one.html")));
        browser->Command3->click();
        waitForCaption(browser, QStringLiteral("One"));

        browser->Command4->click();
        waitForCaption(browser, QStringLiteral("Home"));
        QCOMPARE(browser->Text1->text(), m_server.url(QStringLiteral("/")));
        browser->Command5->click();
        waitForCaption(browser, QStringLiteral("One"));
        QCOMPARE(browser->Text1->text(), m_server.url(QStringLiteral("/one.html")));
    }

    void refreshLoadsThePageAgain()
    {
        TestEnv env;
        frmWebsite *browser = openAtHome(env);
        QVERIFY(browser);
        type(browser, m_server.url(QStringLiteral("/count")));
        browser->Command3->click();
        QTRY_VERIFY_WITH_TIMEOUT(browser->windowTitle().startsWith(QStringLiteral("Count ")),
                                 PageTimeout);
        const int first = browser->windowTitle().mid(6).toInt();
        browser->Command7->click();
        waitForCaption(browser, QStringLiteral("Count %1").arg(first + 1));
    }

    void stopEndsAPageThatDoesNotCome()
    {
        TestEnv env;
        frmWebsite *browser = openAtHome(env);
        QVERIFY(browser);
        const QString stalled = m_server.url(QStringLiteral("/stall"));
        type(browser, stalled);
        browser->Command3->click();
        QTRY_COMPARE_WITH_TIMEOUT(browser->StatusBar1->panelText(2),
                                  QStringLiteral("Opening ") + stalled, PageTimeout);
        browser->Command6->click();
        // The page that was there stays, named as before.
        const QString home = m_server.url(QStringLiteral("/"));
        QTRY_COMPARE_WITH_TIMEOUT(browser->StatusBar1->panelText(2),
                                  QStringLiteral("Completed ") + home, PageTimeout);
        QCOMPARE(browser->windowTitle(), QStringLiteral("Home"));
        QCOMPARE(browser->Text1->text(), home);
        QVERIFY(!browser->WebBrowser1->isShowingQuietPage());
    }

    void openingAgainKeepsPageHistoryAndTypedText()
    {
        TestEnv env;
        frmWebsite *browser = openAtHome(env);
        QVERIFY(browser);
        type(browser, m_server.url(QStringLiteral("/two.html")));
        browser->Command3->click();
        waitForCaption(browser, QStringLiteral("Two"));
        type(browser, QStringLiteral("typed, not sent"));

        QSignalSpy begun(browser->WebBrowser1, &WebView::DownloadBegin);
        QCOMPARE(visit(env, env.mainWindow()), browser);
        QCOMPARE(browser->Text1->text(), QStringLiteral("typed, not sent"));
        QCOMPARE(browser->windowTitle(), QStringLiteral("Two"));
        QCOMPARE(browser->StatusBar1->panelCount(), 2);

        browser->Command4->click();
        waitForCaption(browser, QStringLiteral("Home"));
        QCOMPARE(begun.count(), 1); // the back step alone: opening again loaded nothing
    }

    void asRootWithItsSandboxOnTheBrowserSaysWhyAndStartsNoEngine()
    {
        TestEnv env;
        env.platform.webViewsMayRun = false;
        const qsizetype requestsBefore = m_server.requests().size();
        frmWebsite *browser = visit(env, start(env));
        type(browser, m_server.url(QStringLiteral("/one.html")));
        browser->Command3->click();
        QVERIFY(browser->WebBrowser1->isShowingQuietPage());
        QCOMPARE(browser->WebBrowser1->quietPage()->reason(),
                 QStringLiteral("The built-in browser does not run as root. Go To still opens an "
                                "entry's location in your own browser."));
        QCOMPARE(browser->windowTitle(), QStringLiteral("Cannot open page"));
        TestEnv::settle();
        QVERIFY(!browser->WebBrowser1->engineView());
        QCOMPARE(m_server.requests().size(), requestsBefore);
    }

    void pageTextsAreShownAsTheyAre()
    {
        const QString title = QStringLiteral("<b>Pa</b>ge [*] title");
        QTemporaryDir folder;
        QFile page(folder.filePath(QStringLiteral("page.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><head><title>" + title.toHtmlEscaped().toUtf8() + "</title></head></html>");
        page.close();
        TestEnv env;
        frmWebsite *browser = visit(env, start(env));
        type(browser, QUrl::fromLocalFile(page.fileName()).toString());
        browser->Command3->click();
        QTRY_COMPARE_WITH_TIMEOUT(browser->windowHandle()->title(), title, PageTimeout);

        const QString link = QStringLiteral("<b>x</b><img width=3000 height=3000>");
        emit browser->WebBrowser1->StatusTextChange(link);
        auto *panel = browser->StatusBar1->findChild<QLabel *>();
        QCOMPARE(panel->textFormat(), Qt::PlainText);
        QCOMPARE(panel->text(), link);
    }

    void navigationButtonsShowTheirPicturesAndTips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("go") << "Command3" << "browse the entered url" << QSize(46, 16);
        QTest::newRow("back") << "Command4" << "back" << QSize(24, 24);
        QTest::newRow("forward") << "Command5" << "forward" << QSize(24, 24);
        QTest::newRow("stop") << "Command6" << "stop" << QSize(24, 24);
        QTest::newRow("refresh") << "Command7" << "refresh" << QSize(24, 24);
    }

    void navigationButtonsShowTheirPicturesAndTips()
    {
        QFETCH(QString, name);
        QFETCH(QString, tooltip);
        QFETCH(QSize, picture);
        TestEnv env;
        frmWebsite browser(env.ctx());
        const auto *button = browser.findChild<QToolButton *>(name);
        QVERIFY(button);
        QCOMPARE(button->toolTip(), tooltip);
        QCOMPARE(button->text(), QString());
        QCOMPARE(button->iconSize(), picture);
        QVERIFY(!button->icon().pixmap(picture).isNull());
    }

    void frameAndLabelsAreAsDesigned()
    {
        TestEnv env;
        frmWebsite browser(env.ctx());
        QCOMPARE(browser.frmBrowser->title(), QStringLiteral("Browser"));
        QVERIFY(browser.frmBrowser->font().bold());
        QVERIFY(!browser.Label5->font().bold());
        QCOMPARE(browser.Label5->text(), QStringLiteral("URL:"));
        QCOMPARE(browser.Label5->parentWidget(), browser.frmBrowser);
        QCOMPARE(browser.SkinLabel1.size(), size_t(1));
        QCOMPARE(browser.SkinLabel1[0]->text(), QStringLiteral("Windowed Label"));
        QVERIFY(browser.SkinLabel1[0]->isHidden());
        QCOMPARE(browser.StatusBar1->parentWidget(), browser.client());
    }

    void tabOrderFollowsTheDesign()
    {
        TestEnv env;
        frmWebsite browser(env.ctx());
        const QWidget *expected[] = {browser.Command6, browser.Command3, browser.Text1,
                                     browser.Command5, browser.Command4, browser.Command7,
                                     browser.WebBrowser1};
        for (size_t i = 0; i + 1 < std::size(expected); ++i) {
            QCOMPARE(nextTabStop(expected[i]), expected[i + 1]);
        }
    }

    void layoutFollowsTheWindowSize_data()
    {
        QTest::addColumn<float>("W");
        QTest::addColumn<float>("H");
        QTest::addColumn<float>("frameWidth");
        QTest::addColumn<float>("frameHeight");
        QTest::addColumn<float>("addressWidth");
        QTest::addColumn<float>("goLeft");
        QTest::addColumn<float>("browserWidth");
        QTest::addColumn<float>("browserHeight");
        QTest::addColumn<float>("panelWidth");
        // W, H, then frame, address box, go button, browser and panels as worked out by hand.
        QTest::newRow("small") << 1835.f << 1500.f << 1535.f << 1185.f << 100.f << 740.f
                               << 1315.f << 1070.f << 917.5f;
        QTest::newRow("restored") << 10635.f << 9030.f << 10335.f << 8715.f << 8700.f << 9340.f
                                  << 10115.f << 6460.f << 5317.5f;
        QTest::newRow("large") << 28890.f << 16650.f << 28590.f << 16335.f << 26955.f << 27595.f
                               << 28370.f << 14080.f << 14445.f;
        QTest::newRow("tiny") << 100.f << 100.f << 200.f << 215.f << 1435.f << 2075.f << 20.f
                              << 2040.f << 50.f;
    }

    void layoutFollowsTheWindowSize()
    {
        QFETCH(float, W);
        QFETCH(float, H);
        TestEnv env;
        frmWebsite browser(env.ctx());
        const BrowserLayout layout = browser.layoutFor(W, H);
        QTEST(layout.frameWidth, "frameWidth");
        QTEST(layout.frameHeight, "frameHeight");
        QTEST(layout.addressWidth, "addressWidth");
        QTEST(layout.goLeft, "goLeft");
        QTEST(layout.browserWidth, "browserWidth");
        QTEST(layout.browserHeight, "browserHeight");
        QTEST(layout.panel1Width, "panelWidth");
        QTEST(layout.panel2Width, "panelWidth");
    }

    void resizingTheWindowMovesTheControls()
    {
        TestEnv env;
        frmWebsite *browser = visit(env, start(env));
        QVERIFY(browser);
        browser->showNormal();
        browser->resize(700, 500); // outer 10590 x 7950 twips
        QTRY_COMPARE_WITH_TIMEOUT(browser->size(), QSize(700, 500), PageTimeout);
        QCOMPARE(Twips::rect(browser->frmBrowser), QRect(60, 0, 10290, 7635));
        QCOMPARE(Twips::rect(browser->Text1), QRect(540, 240, 8655, 315));
        QCOMPARE(Twips::rect(browser->Command3), QRect(9295, 240, 795, 315));
        QCOMPARE(Twips::rect(browser->WebBrowser1), QRect(120, 1140, 10070, 5380));
        QCOMPARE(Twips::rect(browser->StatusBar1), QRect(0, 7185, 10500, 315));
        QCOMPARE(browser->StatusBar1->panelWidth(1), 5295);
        QCOMPARE(browser->StatusBar1->panelWidth(2), 5295);
    }

    void closingTheMainWindowFirstLeavesTheBrowserToEndTheProgram()
    {
        TestEnv env;
        Form1 *main = start(env);
        frmWebsite *browser = visit(env, main);
        QVERIFY(browser);
        main->close();
        TestEnv::settle();
        QVERIFY(browser->endsProgramWhenClosed());
        QCOMPARE(env.platform.endProgramCalls, 0);
        QVERIFY(!env.ctx().windows.IsLoaded<Form1>());
        QVERIFY(browser->isVisible());

        browser->close();
        QCOMPARE(env.platform.endProgramCalls, 1);
    }

    void closingTheBrowserFirstLeavesTheProgramRunning()
    {
        TestEnv env;
        frmWebsite *browser = openAtHome(env);
        QVERIFY(browser);
        type(browser, m_server.url(QStringLiteral("/two.html")));
        browser->Command3->click();
        waitForCaption(browser, QStringLiteral("Two"));

        browser->close();
        TestEnv::settle();
        QCOMPARE(env.platform.endProgramCalls, 0);
        QVERIFY(!env.ctx().windows.IsLoaded<frmWebsite>());
        QVERIFY(env.ctx().windows.IsShown<Form1>());

        // Its page went with it: the next opening starts at the web site again.
        browser = visit(env, env.mainWindow());
        QCOMPARE(browser->windowTitle(), m_server.host());
        waitForCaption(browser, QStringLiteral("Home"));

        QVERIFY(!browser->endsProgramWhenClosed());
        browser->close();
        env.mainWindow()->close();
        QCOMPARE(env.platform.endProgramCalls, 1);
    }
};

QTEST_MAIN(BrowserWindowTest)
#include "tst_BrowserWindow.moc"
