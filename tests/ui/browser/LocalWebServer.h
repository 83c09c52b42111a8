#pragma once

#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// A small web server on 127.0.0.1 for the web view tests, so nothing reaches
// the network. Its pages:
//   /            "Home", with links to one.html and two.html
//   /one.html    "One"
//   /two.html    "Two"
//   /count       "Count N", N counting the requests for it
//   /missing     a 404 that has a page of its own, "Missing"
//   /empty500    a 500 with nothing in it
//   /stall       never answers
//   /scripted    "Script off", which its script turns into "Script ran"
//   /permissions "Asking", then "notifications X, geolocation Y" once both are answered
//   /software/banners/banner.html   "Banner"
// Anything else is a bare 404.
class LocalWebServer : public QObject
{
    Q_OBJECT

public:
    LocalWebServer();

    bool start();
    // "127.0.0.1:port": a bare host as the branding gives it.
    QString host() const;
    // "http://127.0.0.1:port" + path.
    QString url(const QString &path) const;
    // The paths asked for, in order (the browser's own favicon requests left out).
    QStringList requests() const { return m_requests; }

    // A port on 127.0.0.1 on which nothing listens.
    static quint16 closedPort();

private:
    void accept();
    void answer(QTcpSocket *socket);

    QTcpServer m_server;
    QStringList m_requests;
    int m_countRequests = 0;
};
