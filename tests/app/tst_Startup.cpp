#include "TestEnv.h"
#include "ui/skin/frmSplash.h"
#include "ui/base/modBranding.h"
#include "ui/main/Form1.h"

#include <QTest>

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void splashFillsTheBrandingRecordAndSizesItselfToThePicture()
    {
        TestEnv env;
        env.platform.version.ProductName = QStringLiteral("Vaulty");
        frmSplash *splash = env.showSplash();
        QCOMPARE(env.ctx().branding.ProductName, QStringLiteral("Vaulty"));
        QCOMPARE(env.ctx().branding.Comments, QStringLiteral("www.keyholder.example"));
        QVERIFY(!env.ctx().branding.UseSkin);
        QVERIFY(env.ctx().branding.UseSplashIcon);
        QVERIFY(env.ctx().branding.ShowBanner);
        QVERIFY(modBranding::shippedSwitches().BannerUrl.startsWith(QStringLiteral("https://")));
        QVERIFY(env.ctx().branding.BannerUrl.contains(QStringLiteral("/software/banners/")));
        QVERIFY(splash->isVisible());
        QVERIFY(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
        // The picture is 476 by 316 pixels: 7140 by 4740 twips.
        QCOMPARE(splash->ScaleWidth(), 7140);
        QCOMPARE(splash->ScaleHeight(), 4740);
        QCOMPARE(splash->client()->size(), QSize(476, 316));
        QVERIFY(splash->Timer2.isActive());
        QCOMPARE(splash->Timer2.interval(), 2);
    }

    void mainWindowComesUpOnlyOnTheSeventyFifthTick()
    {
        TestEnv env;
        frmSplash *splash = env.showSplash();
        splash->Timer2.stop();
        for (int tick = 1; tick < 75; ++tick) {
            splash->Timer2_Timer();
            QVERIFY2(!env.ctx().windows.IsLoaded<Form1>(), qPrintable(QString::number(tick)));
        }
        QCOMPARE(splash->intTemp, 148);
        splash->Timer2.start();
        splash->Timer2_Timer();
        QVERIFY(env.ctx().windows.IsShown<Form1>());
        QVERIFY(!splash->Timer2.isActive());
        QVERIFY(!splash->isVisible());
        // Hidden, not closed: it stays loaded until the main window closes.
        QCOMPARE(env.ctx().windows.Find<frmSplash>(), splash);
    }

    void closingTheSplashEndsTheProgramOnlyBeforeTheMainWindow_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<bool>("ends");
        QTest::newRow("at once") << 0 << true;
        QTest::newRow("one tick before the main window") << 74 << true;
        QTest::newRow("after the main window came up") << 75 << false;
    }

    void closingTheSplashEndsTheProgramOnlyBeforeTheMainWindow()
    {
        QFETCH(int, ticks);
        QFETCH(bool, ends);
        TestEnv env;
        frmSplash *splash = env.showSplash();
        splash->Timer2.stop();
        for (int tick = 0; tick < ticks; ++tick)
            splash->Timer2_Timer();
        splash->close();
        TestEnv::settle();
        QCOMPARE(env.platform.ended(), ends);
        QCOMPARE(env.ctx().windows.IsLoaded<Form1>(), !ends);
    }

    void splashTimerRunsByItselfUntilTheMainWindowIsUp()
    {
        TestEnv env;
        env.showSplash();
        QTRY_VERIFY_WITH_TIMEOUT(env.ctx().windows.IsLoaded<Form1>(), 5000);
        QVERIFY(!env.ctx().windows.IsShown<frmSplash>());
    }

    void fillingTheBrandingRecordAgainChangesNothing()
    {
        TestEnv env;
        modBranding::modBranding(env.ctx());
        const BrandingRecord first = env.ctx().branding;
        modBranding::modBranding(env.ctx());
        const BrandingRecord &second = env.ctx().branding;
        QCOMPARE(second.ProductName, first.ProductName);
        QCOMPARE(second.CompanyName, first.CompanyName);
        QCOMPARE(second.Comments, first.Comments);
        QCOMPARE(second.BannerUrl, first.BannerUrl);
        QCOMPARE(second.ShowBanner, first.ShowBanner);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_Startup.moc"
