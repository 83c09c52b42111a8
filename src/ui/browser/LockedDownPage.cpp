#include "ui/browser/LockedDownPage.h"

#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>

LockedDownPage::LockedDownPage(QWebEngineProfile *profile, QObject *parent, bool scriptsEnabled)
    : QWebEnginePage(profile, parent)
{
    QWebEngineSettings *page = settings();
    page->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    page->setAttribute(QWebEngineSettings::JavascriptEnabled, scriptsEnabled);
    page->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    page->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    page->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    page->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    page->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    page->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
}
