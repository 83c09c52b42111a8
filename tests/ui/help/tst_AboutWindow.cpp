#include "TestEnv.h"
#include "ui/browser/frmWebsite.h"
#include "ui/help/frmAbout.h"
#include "ui/main/Form1.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QUrl>

namespace {

int shownWindowsNamed(const QString &name)
{
    int count = 0;
    for (const QWidget *window : QApplication::topLevelWidgets())
        count += window->objectName() == name && window->isVisible();
    return count;
}

// A page in the test's own folder stands in for the maker's web site.
QString localSite(TestEnv &env)
{
    QFile page(env.folder.filePath(QStringLiteral("site.html")));
    if (page.open(QIODevice::WriteOnly))
        page.write("<html><head><title>Local site</title></head><body>Local site</body></html>");
    return QUrl::fromLocalFile(page.fileName()).toString();
}

} // namespace

class AboutWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void showsTheVersionInformation_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("site");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("version");
        QTest::newRow("1.0.0.0") << "Keyholder" << "Keyholder Works" << "www.keyholder.example"
                                 << 1 << 0 << 0 << "About Keyholder" << "1.0";
        QTest::newRow("2.15.3.7") << "Vaulty" << "Acme Ltd" << "acme.example" << 2 << 15 << 3
                                  << "About Vaulty" << "2.15";
        QTest::newRow("10.01") << "Two Words" << "A" << "b.example" << 10 << 1 << 9
                               << "About Two Words" << "10.1";
        QTest::newRow("no comments") << "Keyholder" << "Keyholder Works" << "" << 3 << 2 << 0
                                     << "About Keyholder" << "3.2";
    }

    void showsTheVersionInformation()
    {
        QFETCH(QString, product);
        QFETCH(QString, company);
        QFETCH(QString, site);
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, caption);
        QFETCH(QString, version);
        TestEnv env;
        env.platform.version = {product, company, site, major, minor, revision};
        Form1 *main = env.startUnlocked();
        main->mnuAboutItem[0]->trigger();

        const frmAbout *about = env.ctx().windows.Find<frmAbout>();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowTitle(), caption);
        QCOMPARE(about->Label1->text(), product);
        QCOMPARE(about->lblVersion->text(), version);
        QCOMPARE(about->lblCompany->text(), company);
        QCOMPARE(about->lblWebsite->text(), site);
        QCOMPARE(about->Label2->text(), QStringLiteral("Version:"));
        QCOMPARE(about->Label3->text(), QStringLiteral("Owned By:"));
        QCOMPARE(about->Label4->text(), QStringLiteral("Website:"));
    }

    void logoAndWebSiteLookAsDesigned()
    {
        TestEnv env;
        env.startUnlocked()->mnuAboutItem_Click(0);
        const frmAbout *about = env.ctx().windows.Find<frmAbout>();
        QVERIFY(about);
        const QPixmap logo = about->Picture1->pixmap();
        QCOMPARE(logo.size(), QSize(497, 68));
        QCOMPARE(about->lblWebsite->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QVERIFY(about->lblWebsite->font().bold());
        QCOMPARE(about->Label1->font().pointSizeF(), 14.25);
        // The notice lies below the client area, out of sight.
        QVERIFY(!about->Label5->text().isEmpty());
        QVERIFY(!about->client()->rect().intersects(about->Label5->geometry()));
        QVERIFY(!about->SkinLabel1->isVisibleTo(about));
    }

    void webSiteTextOpensTheBrowserOnce_data()
    {
        QTest::addColumn<bool>("openedByVisitFirst");
        QTest::newRow("browser closed") << false;
        QTest::newRow("browser open from Visit") << true;
    }

    void webSiteTextOpensTheBrowserOnce()
    {
        QFETCH(bool, openedByVisitFirst);
        TestEnv env;
        env.platform.version.Comments = localSite(env);
        Form1 *main = env.startUnlocked();
        if (openedByVisitFirst)
            main->cmdWebsite[0]->click();
        main->mnuAboutItem_Click(0);
        frmAbout *about = env.ctx().windows.Find<frmAbout>();
        QVERIFY(about);

        QTest::mouseClick(about->lblWebsite, Qt::LeftButton);
        const frmWebsite *browser = env.ctx().windows.Find<frmWebsite>();
        QVERIFY(browser);
        QVERIFY(browser->isVisible());

        about->activateWindow();
        QTest::mouseClick(about->lblWebsite, Qt::LeftButton);
        QCOMPARE(env.ctx().windows.Find<frmWebsite>(), browser);
        QCOMPARE(shownWindowsNamed(QStringLiteral("frmWebsite")), 1);
        QTRY_COMPARE(QApplication::activeWindow(), browser);
        QVERIFY(env.platform.launches.empty());
    }

    void openingTwiceKeepsOneWindow()
    {
        TestEnv env;
        Form1 *main = env.startUnlocked();
        main->mnuAboutItem_Click(0);
        const frmAbout *first = env.ctx().windows.Find<frmAbout>();
        main->mnuAboutItem_Click(0);
        QCOMPARE(env.ctx().windows.Find<frmAbout>(), first);
        QCOMPARE(shownWindowsNamed(QStringLiteral("frmAbout")), 1);
    }

    void otherMenuIndexesOpenNothing()
    {
        TestEnv env;
        Form1 *main = env.startUnlocked();
        main->mnuAboutItem_Click(1);
        main->mnuAboutItem_Click(-1);
        QVERIFY(!env.ctx().windows.IsLoaded<frmAbout>());
    }

    void closingReopensAfresh()
    {
        TestEnv env;
        Form1 *main = env.startUnlocked();
        main->mnuAboutItem_Click(0);
        env.ctx().windows.Find<frmAbout>()->close();
        TestEnv::settle();
        QVERIFY(!env.ctx().windows.IsLoaded<frmAbout>());
        main->mnuAboutItem_Click(0);
        QVERIFY(env.ctx().windows.IsShown<frmAbout>());
    }

    void closingTheMainWindowClosesIt()
    {
        TestEnv env;
        Form1 *main = env.startUnlocked();
        main->mnuAboutItem_Click(0);
        main->mnuFileItem[0]->trigger();
        TestEnv::settle();
        QVERIFY(!env.ctx().windows.IsLoaded<frmAbout>());
        QCOMPARE(shownWindowsNamed(QStringLiteral("frmAbout")), 0);
        QVERIFY(env.platform.ended());
    }
};

QTEST_MAIN(AboutWindowTest)
#include "tst_AboutWindow.moc"
