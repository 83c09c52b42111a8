#include "ui/browser/WebView.h"

#include "ui/base/Controls.h"
#include "ui/browser/LockedDownPage.h"
#include "ui/browser/QuietPage.h"

#include <QQuickWidget>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

constexpr int NetErrorAborted = -3; // a stop, or a link that turned into a download

bool needsQuietPage(const QWebEngineLoadingInfo &info)
{
    if (info.errorCode() == NetErrorAborted && !info.isErrorPage())
        return false;
    // A server's own error page (a 404 with a body) is shown as it is.
    return info.isErrorPage() || info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain;
}

QString reasonFor(const QWebEngineLoadingInfo &info)
{
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        return QuietPage::reasonForHttpStatus(info.errorCode());
    return QuietPage::reasonForNetError(info.errorCode(), info.errorString());
}

} // namespace

WebView::WebView(QWidget *parent) : QWidget(parent)
{
    Controls::setKind(this, Controls::Kind::WebBrowser);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    m_quietPage = new QuietPage(this);
    m_quietPage->hide();
}

WebView::~WebView()
{
    // The page must go before the profile it was made from.
    delete m_view;
    m_view = nullptr;
}

void WebView::Navigate(const QString &address)
{
    if (!m_engineRefusal.isEmpty()) {
        showFailure(address, m_engineRefusal);
        return;
    }
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid()) {
        showFailure(address, QuietPage::reasonForBadAddress());
        return;
    }
    if (m_view) {
        m_view->load(url);
        return;
    }
    m_pending = url;
    update();
}

void WebView::keepEngineOff(const QString &reason)
{
    m_engineRefusal = reason;
    m_pending.clear();
}

void WebView::GoBack()
{
    if (m_view)
        m_view->back();
}

void WebView::GoForward()
{
    if (m_view)
        m_view->forward();
}

void WebView::Stop()
{
    m_pending.clear();
    if (m_view)
        m_view->stop();
}

void WebView::Refresh()
{
    if (m_view)
        m_view->reload();
}

QString WebView::LocationURL() const
{
    return m_location;
}

QString WebView::LocationName() const
{
    if (isShowingQuietPage())
        return QuietPage::title();
    return m_view ? m_view->title() : QString();
}

void WebView::prepareWindowForPages()
{
    if (m_windowPrimer)
        return;
    // Qt picks a window's drawing path when the window is created, from the
    // kinds of widgets in it then: one hidden GPU-drawn widget is enough.
    m_windowPrimer = new QQuickWidget(this);
    m_windowPrimer->setGeometry(0, 0, 0, 0);
    m_windowPrimer->setFocusPolicy(Qt::NoFocus);
    m_windowPrimer->hide();
}

bool WebView::isShowingQuietPage() const
{
    return !m_quietPage->isHidden();
}

void WebView::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // Started from the event loop, once the window is on screen.
    if (!m_view && !m_pending.isEmpty() && !m_creationQueued) {
        m_creationQueued = true;
        QTimer::singleShot(0, this, &WebView::createEngineView);
    }
}

void WebView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_view)
        m_view->setGeometry(rect());
    m_quietPage->setGeometry(rect());
}

void WebView::createEngineView()
{
    m_creationQueued = false;
    if (m_view || m_pending.isEmpty())
        return;
    m_profile = new QWebEngineProfile(this); // no storage name: off the record
    m_view = new QWebEngineView(this);
    m_view->setAccessibleName(accessibleName()); // the view takes the focus for this widget
    auto *page = new LockedDownPage(m_profile, m_view, m_scriptsEnabled);
    page->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    m_view->setPage(page);
    m_view->setGeometry(rect());
    m_view->stackUnder(m_quietPage);
    m_view->show();
    setFocusProxy(m_view);

    connect(page, &QWebEnginePage::linkHovered, this, &WebView::StatusTextChange);
    connect(page, &QWebEnginePage::loadingChanged, this, &WebView::loadingChanged);
    connect(page, &QWebEnginePage::urlChanged, this,
            [this](const QUrl &url) { m_location = url.toString(); });

    const QUrl url = m_pending;
    m_pending.clear();
    m_view->load(url);
}

void WebView::loadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        hideQuietPage();
        m_location = info.url().toString();
        emit DownloadBegin();
        return;
    }
    loadFinished(info);
    emit DownloadComplete();
}

void WebView::loadFinished(const QWebEngineLoadingInfo &info)
{
    const QUrl shown = m_view->url();
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && needsQuietPage(info)) {
        m_location = info.url().toString();
        showQuietPage(m_location, reasonFor(info));
        return;
    }
    m_location = shown.toString();
}

void WebView::showFailure(const QString &address, const QString &reason)
{
    m_pending.clear();
    m_location = address;
    emit DownloadBegin();
    showQuietPage(address, reason);
    emit DownloadComplete();
}

void WebView::showQuietPage(const QString &address, const QString &reason)
{
    m_quietPage->setGeometry(rect());
    m_quietPage->showFor(address, reason);
    emit LoadFailed();
}

void WebView::hideQuietPage()
{
    m_quietPage->hide();
}
