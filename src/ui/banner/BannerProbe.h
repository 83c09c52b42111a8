#pragma once

#include <QNetworkAccessManager>
#include <QObject>

class QUrl;

// One light request (HEAD) that tells whether the banner page can be had at
// all, so the web engine is started only when there is something to show.
class BannerProbe : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultTimeoutMs = 3000;

    explicit BannerProbe(QObject *parent, int timeoutMs = DefaultTimeoutMs);

    enum class Outcome { Pending, Reachable, Unreachable };

    void start(const QUrl &url);
    Outcome outcome() const { return m_outcome; }

signals:
    // Reachable when the server answered with success (after any redirects).
    void finished(bool reachable);

private:
    QNetworkAccessManager m_network;
    int m_timeoutMs;
    Outcome m_outcome = Outcome::Pending;
};
