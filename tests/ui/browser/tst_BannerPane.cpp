#include "LocalWebServer.h"
#include "TestEnv.h"
#include "WebEngineTestSetup.h"
#include "ui/base/Controls.h"
#include "ui/base/StatusBar.h"
#include "ui/base/Twips.h"
#include "ui/browser/QuietPage.h"
#include "ui/browser/WebView.h"
#include "ui/banner/OfflineBanner.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"

#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

class BannerPaneTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { prepareWebEngine(); }

private:
    LocalWebServer m_server;

    QString bannerUrl() const { return m_server.url(QStringLiteral("/software/banners/banner.html")); }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }

    void bannerTakesTheListsPlaceWhenSwitchedOn_data()
    {
        QTest::addColumn<bool>("showBanner");
        QTest::addColumn<int>("listTop");
        QTest::addColumn<int>("windowHeight");
        QTest::newRow("ShowBanner on") << true << 2975 << 7005 + 995;
        QTest::newRow("ShowBanner off") << false << 1980 << 7005;
    }

    void bannerTakesTheListsPlaceWhenSwitchedOn()
    {
        QFETCH(bool, showBanner);
        QFETCH(int, listTop);
        QFETCH(int, windowHeight);
        TestEnv env;
        env.ctx().brandingSwitches.ShowBanner = showBanner;
        env.ctx().brandingSwitches.BannerUrl = bannerUrl();
        Form1 *main = env.startUnlocked();
        QVERIFY(main->isVisible());

        QCOMPARE(main->HeightTwips(), windowHeight);
        QCOMPARE(Twips::rect(main->lstPass), QRect(60, listTop, 8895, 4215));
        // The status bar stays at the bottom of the window.
        QCOMPARE(Twips::rect(main->StatusBar1).bottom() + 1, main->ScaleHeight());
        QVERIFY(!main->wbPicture->isVisible());

        auto *picBox = main->findChild<QFrame *>(QStringLiteral("picBox"));
        QCOMPARE(picBox != nullptr, showBanner);
        QCOMPARE(main->wbBanner->isVisible(), showBanner);
        if (!showBanner) {
            QCOMPARE(Twips::rect(main->wbBanner), QRect(60, 1980, 7335, 945));
            return;
        }
        QCOMPARE(Twips::rect(picBox), QRect(60, 1980, 7055, 945));
        QCOMPARE(Controls::kindName(picBox), QStringLiteral("PictureBox"));
        QCOMPARE(picBox->frameShape(), QFrame::NoFrame);
        QVERIFY(picBox->isVisible());
        QCOMPARE(main->wbBanner->parentWidget(), picBox);
        QCOMPARE(Twips::rect(main->wbBanner), QRect(0, 0, 7335, 945));
    }

    void bannerOpensItsAddressAsGiven()
    {
        TestEnv env;
        env.ctx().brandingSwitches.BannerUrl = bannerUrl();
        Form1 *main = env.startUnlocked();
        const QString status = main->statusText();
        QTRY_COMPARE_WITH_TIMEOUT(main->wbBanner->LocationName(), QStringLiteral("Banner"),
                                  PageTimeout);
        QCOMPARE(main->wbBanner->LocationURL(), bannerUrl());
        QVERIFY(m_server.requests().contains(QStringLiteral("/software/banners/banner.html")));
        QCOMPARE(main->statusText(), status);
    }

    void bannerThatCannotBeHadShowsTheOfflineBannerWithoutAWebEngine_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("serverUp");
        QTest::addColumn<bool>("webViewsMayRun");
        QTest::newRow("offline") << "/software/banners/banner.html" << false << true;
        QTest::newRow("missing page") << "/software/banners/gone.html" << true << true;
        QTest::newRow("as root with the sandbox on") << "/software/banners/banner.html" << true << false;
    }

    void bannerThatCannotBeHadShowsTheOfflineBannerWithoutAWebEngine()
    {
        QFETCH(QString, path);
        QFETCH(bool, serverUp);
        QFETCH(bool, webViewsMayRun);
        TestEnv env;
        env.platform.webViewsMayRun = webViewsMayRun;
        env.platform.version.ProductName = QStringLiteral("Vaulty");
        env.ctx().brandingSwitches.BannerUrl =
            serverUp ? m_server.url(path)
                     : QStringLiteral("http://127.0.0.1:%1%2").arg(LocalWebServer::closedPort()).arg(path);
        Form1 *main = env.startUnlocked();
        const QString status = main->statusText();
        const OfflineBanner *offline = main->findChild<OfflineBanner *>();
        QVERIFY(offline);
        QTRY_VERIFY_WITH_TIMEOUT(offline->isVisible(), PageTimeout);
        QCOMPARE(offline->productName(), QStringLiteral("Vaulty"));
        QCOMPARE(offline->line(), QStringLiteral("Your usernames, passwords and locations in one place."));
        QCOMPARE(offline->geometry(), main->findChild<QFrame *>(QStringLiteral("picBox"))->rect());
        TestEnv::settle();
        QVERIFY(!main->wbBanner->engineView());
        QVERIFY(!main->wbBanner->isShowingQuietPage());
        QCOMPARE(main->statusText(), status);
        QVERIFY(env.platform.messages.empty());
        QCOMPARE(env.platform.endProgramCalls, 0);
    }

    void bannerPageRunsNoScripts()
    {
        TestEnv env;
        env.ctx().brandingSwitches.BannerUrl = m_server.url(QStringLiteral("/scripted"));
        Form1 *main = env.startUnlocked();
        QSignalSpy loaded(main->wbBanner, &WebView::DownloadComplete);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), PageTimeout);
        QCOMPARE(main->wbBanner->LocationName(), QStringLiteral("Script off"));
    }
};

QTEST_MAIN(BannerPaneTest)
#include "tst_BannerPane.moc"
