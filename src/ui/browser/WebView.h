#pragma once

#include <QUrl>
#include <QWidget>

class QuietPage;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

// The web browser control of the windows, over Qt WebEngine. Addresses are
// passed in as the user or the branding gives them; a bare host name is made
// a web address here. A page that cannot be loaded shows a quiet page of our
// own instead of the engine's.
//
// Each view browses off the record: nothing it loads is written to disk, and
// its cookies and history go with it. Its pages are locked down (LockedDownPage):
// no other program started, no local files read, no permissions. The engine is
// started only when a page has been asked for and the view is first painted, so
// windows with a web view come up without waiting for it.
class WebView : public QWidget
{
    Q_OBJECT

public:
    explicit WebView(QWidget *parent);
    ~WebView() override;

    void Navigate(const QString &address);
    // From now on every address shows the quiet page with this reason, and the
    // engine is never started.
    void keepEngineOff(const QString &reason);
    // Set before the first page is asked for; on unless turned off.
    void setScriptsEnabled(bool enabled) { m_scriptsEnabled = enabled; }
    // Each does nothing when there is nothing to do (no earlier page, no load).
    void GoBack();
    void GoForward();
    void Stop();
    void Refresh();

    // The page shown or being opened, and its name (the title, or the quiet
    // page's name after a failure).
    QString LocationURL() const;
    QString LocationName() const;

    // Readies the window this view sits in for web pages; call before the
    // window is first shown. Pages are drawn through the GPU; a window that
    // switches to that once it is on screen is rebuilt, and visibly flickers.
    void prepareWindowForPages();

    bool isShowingQuietPage() const;
    const QuietPage *quietPage() const { return m_quietPage; }
    // Null until the engine has been started for this view.
    QWebEngineView *engineView() const { return m_view; }

signals:
    // The address of the link under the mouse, or empty when it leaves the link.
    void StatusTextChange(const QString &text);
    void DownloadBegin();
    void DownloadComplete();
    // A page could not be loaded (the quiet page is shown).
    void LoadFailed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createEngineView();
    void loadingChanged(const QWebEngineLoadingInfo &info);
    void loadFinished(const QWebEngineLoadingInfo &info);
    void showFailure(const QString &address, const QString &reason);
    void showQuietPage(const QString &address, const QString &reason);
    void hideQuietPage();

    QWebEngineProfile *m_profile = nullptr;
    QWebEngineView *m_view = nullptr;
    QuietPage *m_quietPage = nullptr;
    QWidget *m_windowPrimer = nullptr;
    QUrl m_pending;               // asked for before the engine view exists
    bool m_creationQueued = false;
    QString m_location;
    QString m_engineRefusal;
    bool m_scriptsEnabled = true;
};
