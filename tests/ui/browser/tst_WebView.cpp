#include "LocalWebServer.h"
#include "WebEngineTestSetup.h"
#include "ui/base/Controls.h"
#include "ui/browser/QuietPage.h"
#include "ui/browser/WebView.h"

#include <QDesktopServices>
#include <QLabel>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

namespace {

// A window holding one web view, in the program's window font.
struct Host {
    Host()
    {
        window.setFont(Controls::verdana(8.25));
        window.resize(480, 320);
        view = new WebView(&window);
        view->setGeometry(0, 0, 480, 320);
        window.show();
    }
    QWidget window;
    WebView *view = nullptr;
};

// Stands in for the desktop's handler of a link scheme: records what would have been launched.
class SchemeRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;
    Q_INVOKABLE void open(const QUrl &url) { opened << url; }
};

QString writeFile(const QTemporaryDir &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QString quietText(const WebView *view, const char *line)
{
    return view->quietPage()->findChild<QLabel *>(QString::fromLatin1(line))->text();
}

} // namespace

class WebViewTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { prepareWebEngine(); }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }

    void bareHostNameOpensAsAWebAddress()
    {
        Host host;
        host.view->Navigate(m_server.host());
        QTRY_COMPARE_WITH_TIMEOUT(host.view->LocationName(), QStringLiteral("Home"), PageTimeout);
        QCOMPARE(host.view->LocationURL(), m_server.url(QStringLiteral("/")));
        QVERIFY(!host.view->isShowingQuietPage());
    }

    void filePagesOpen_data()
    {
        QTest::addColumn<bool>("asFileUrl");
        QTest::newRow("file:// address") << true;
        QTest::newRow("plain path") << false;
    }

    void filePagesOpen()
    {
        QFETCH(bool, asFileUrl);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("local page.html"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><head><title>On this disk</title></head><body>here</body></html>");
        file.close();

        Host host;
        host.view->Navigate(asFileUrl ? QUrl::fromLocalFile(path).toString() : path);
        QTRY_COMPARE_WITH_TIMEOUT(host.view->LocationName(), QStringLiteral("On this disk"),
                                  PageTimeout);
        QCOMPARE(host.view->LocationURL(), QUrl::fromLocalFile(path).toString());
    }

    void pageThatCannotLoadShowsTheQuietPage_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("shownAddress");
        QTest::addColumn<QString>("reason");
        const QString refused =
            QStringLiteral("http://127.0.0.1:%1/nothing.html").arg(LocalWebServer::closedPort());
        QTest::newRow("refused") << refused << refused
                                 << QStringLiteral("The server refused the connection.");
        QTest::newRow("missing file")
            << QStringLiteral("file:///no/such/folder/page.html")
            << QStringLiteral("file:///no/such/folder/page.html")
            << QStringLiteral("The file could not be found.");
        QTest::newRow("empty server error")
            << m_server.url(QStringLiteral("/empty500")) << m_server.url(QStringLiteral("/empty500"))
            << QStringLiteral("The server answered with error 500.");
        QTest::newRow("not an address") << QStringLiteral("  ") << QStringLiteral("  ")
                                        << QStringLiteral("This is not an address that can be opened.");
    }

    void pageThatCannotLoadShowsTheQuietPage()
    {
        QFETCH(QString, address);
        QFETCH(QString, shownAddress);
        QFETCH(QString, reason);
        Host host;
        QSignalSpy completed(host.view, &WebView::DownloadComplete);
        host.view->Navigate(address);
        QTRY_VERIFY_WITH_TIMEOUT(host.view->isShowingQuietPage(), PageTimeout);
        QVERIFY(host.view->quietPage()->isVisible());
        QCOMPARE(quietText(host.view, "address"), shownAddress);
        QCOMPARE(quietText(host.view, "reason"), reason);
        QCOMPARE(host.view->quietPage()->font().family(), host.window.font().family());
        QCOMPARE(host.view->quietPage()->font().pointSizeF(), host.window.font().pointSizeF());
        QCOMPARE(host.view->LocationURL(), shownAddress);
        QCOMPARE(host.view->LocationName(), QStringLiteral("Cannot open page"));
        QCOMPARE(completed.count(), 1);
    }

    void serversOwnErrorPageIsShownAsItIs()
    {
        Host host;
        host.view->Navigate(m_server.url(QStringLiteral("/missing")));
        QTRY_COMPARE_WITH_TIMEOUT(host.view->LocationName(), QStringLiteral("Missing"), PageTimeout);
        QVERIFY(!host.view->isShowingQuietPage());
    }

    void quietPageGivesWayToTheNextPageAndBack()
    {
        Host host;
        host.view->Navigate(m_server.url(QStringLiteral("/")));
        QTRY_COMPARE_WITH_TIMEOUT(host.view->LocationName(), QStringLiteral("Home"), PageTimeout);
        const QString refused =
            QStringLiteral("http://127.0.0.1:%1/").arg(LocalWebServer::closedPort());
        host.view->Navigate(refused);
        QTRY_VERIFY_WITH_TIMEOUT(host.view->isShowingQuietPage(), PageTimeout);

        host.view->GoBack();
        QTRY_COMPARE_WITH_TIMEOUT(host.view->LocationName(), QStringLiteral("Home"), PageTimeout);
        QVERIFY(!host.view->isShowingQuietPage());
        QCOMPARE(host.view->LocationURL(), m_server.url(QStringLiteral("/")));

        host.view->GoForward(); // the failed page is tried again
        QTRY_VERIFY_WITH_TIMEOUT(host.view->isShowingQuietPage(), PageTimeout);
        QCOMPARE(host.view->LocationURL(), refused);
    }

    void nothingHappensBeforeAPageIsAskedFor()
    {
        Host host;
        QSignalSpy begun(host.view, &WebView::DownloadBegin);
        host.view->GoBack();
        host.view->GoForward();
        host.view->Refresh();
        host.view->Stop();
        QCoreApplication::processEvents();
        QCOMPARE(begun.count(), 0);
        QVERIFY(!host.view->engineView());
        QCOMPARE(host.view->LocationURL(), QString());
        QCOMPARE(host.view->LocationName(), QString());
    }

    void browsesOffTheRecord()
    {
        Host host;
        host.view->Navigate(m_server.url(QStringLiteral("/one.html")));
        QTRY_VERIFY_WITH_TIMEOUT(host.view->engineView(), PageTimeout);
        const QWebEngineProfile *profile = host.view->engineView()->page()->profile();
        QVERIFY(profile->isOffTheRecord());
        QCOMPARE(profile->persistentCookiesPolicy(), QWebEngineProfile::NoPersistentCookies);
        QCOMPARE(profile->httpCacheType(), QWebEngineProfile::MemoryHttpCache);
    }

    void linkOfAnUnknownSchemeLaunchesNothing()
    {
        SchemeRecorder desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("keyholdertest"), &desktop, "open");
        const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("keyholdertest")); });
        QTemporaryDir folder;
        const QString page = writeFile(folder, QStringLiteral("link.html"),
                                       "<html><head><title>Link</title></head><body style='margin:0'>"
                                       "<a href='keyholdertest://x' style='display:block;height:300px' "
                                       "onclick='document.title = \"Clicked\"'>"
                                       "x</a></body></html>");
        Host host;
        host.view->Navigate(QUrl::fromLocalFile(page).toString());
        QTRY_COMPARE_WITH_TIMEOUT(host.view->LocationName(), QStringLiteral("Link"), PageTimeout);
        QTest::mouseClick(host.view->engineView()->focusProxy(), Qt::LeftButton, {}, {40, 40});
        QTRY_COMPARE_WITH_TIMEOUT(host.view->LocationName(), QStringLiteral("Clicked"), PageTimeout);
        // A page loaded after the click shows the click has been dealt with.
        host.view->Navigate(m_server.url(QStringLiteral("/one.html")));
        QTRY_COMPARE_WITH_TIMEOUT(host.view->LocationName(), QStringLiteral("One"), PageTimeout);
        QVERIFY(desktop.opened.isEmpty());
    }

    void localPageCannotReadLocalFiles()
    {
        QTemporaryDir folder;
        writeFile(folder, QStringLiteral("data.enc"), "every password");
        const QString page = writeFile(
            folder, QStringLiteral("reader.html"),
            "<html><head><title>Reading</title></head><body><script>"
            "var r = new XMLHttpRequest();"
            "r.onload = function () { document.title = 'read ' + r.responseText; };"
            "r.onerror = function () { document.title = 'refused'; };"
            "r.open('GET', 'data.enc'); r.send();"
            "</script></body></html>");
        Host host;
        host.view->Navigate(QUrl::fromLocalFile(page).toString());
        const auto answered = [&] {
            const QString name = host.view->LocationName();
            return name == QStringLiteral("refused") || name.startsWith(QStringLiteral("read "));
        };
        QTRY_VERIFY_WITH_TIMEOUT(answered(), PageTimeout);
        QCOMPARE(host.view->LocationName(), QStringLiteral("refused"));
    }

    void everyPermissionRequestIsDenied()
    {
        Host host;
        host.view->Navigate(m_server.url(QStringLiteral("/permissions")));
        QTRY_COMPARE_WITH_TIMEOUT(host.view->LocationName(),
                                  QStringLiteral("notifications denied, geolocation denied"),
                                  PageTimeout);
    }

private:
    LocalWebServer m_server;
};

QTEST_MAIN(WebViewTest)
#include "tst_WebView.moc"
