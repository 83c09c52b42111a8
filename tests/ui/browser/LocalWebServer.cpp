#include "LocalWebServer.h"

#include <QTcpSocket>

namespace {

QByteArray page(const QString &title, const QString &body)
{
    return QStringLiteral("<!DOCTYPE html><html><head><title>%1</title></head><body>%2</body></html>")
        .arg(title, body)
        .toUtf8();
}

QByteArray response(const QByteArray &status, const QByteArray &body)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
         + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// Asks for two permissions and puts both answers in the title.
const char PermissionsScript[] = R"(<script>
var answers = {};
function answered(name, value) {
    answers[name] = value;
    if (answers.notifications && answers.geolocation)
        document.title = 'notifications ' + answers.notifications + ', geolocation ' + answers.geolocation;
}
Notification.requestPermission().then(function (p) { answered('notifications', p); });
navigator.geolocation.getCurrentPosition(function () { answered('geolocation', 'granted'); },
    function (e) { answered('geolocation', e.code === 1 ? 'denied' : 'error ' + e.code); });
</script>)";

} // namespace

LocalWebServer::LocalWebServer()
{
    connect(&m_server, &QTcpServer::newConnection, this, &LocalWebServer::accept);
}

bool LocalWebServer::start()
{
    return m_server.listen(QHostAddress::LocalHost);
}

QString LocalWebServer::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort());
}

QString LocalWebServer::url(const QString &path) const
{
    return QStringLiteral("http://") + host() + path;
}

quint16 LocalWebServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void LocalWebServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void LocalWebServer::answer(QTcpSocket *socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n"))
        return;
    const QString path = QString::fromLatin1(request.split(' ').value(1));
    if (path != QLatin1String("/favicon.ico"))
        m_requests << path;

    QByteArray reply;
    if (path == QLatin1String("/"))
        reply = response("200 OK", page(QStringLiteral("Home"),
                                        QStringLiteral("<a id='one' href='/one.html'>One</a> "
                                                       "<a id='two' href='/two.html'>Two</a>")));
    else if (path == QLatin1String("/one.html"))
        reply = response("200 OK", page(QStringLiteral("One"), QStringLiteral("Page one")));
    else if (path == QLatin1String("/two.html"))
        reply = response("200 OK", page(QStringLiteral("Two"), QStringLiteral("Page two")));
    else if (path == QLatin1String("/count"))
        reply = response("200 OK", page(QStringLiteral("Count %1").arg(++m_countRequests),
                                        QStringLiteral("Counted")));
    else if (path == QLatin1String("/missing"))
        reply = response("404 Not Found", page(QStringLiteral("Missing"), QStringLiteral("Gone")));
    else if (path == QLatin1String("/empty500"))
        reply = response("500 Internal Server Error", {});
    else if (path == QLatin1String("/software/banners/banner.html"))
        reply = response("200 OK", page(QStringLiteral("Banner"), QStringLiteral("Our banner")));
    else if (path == QLatin1String("/scripted"))
        reply = response("200 OK", page(QStringLiteral("Script off"),
                                        QStringLiteral("<script>document.title = 'Script ran';</script>")));
    else if (path == QLatin1String("/permissions"))
        reply = response("200 OK", page(QStringLiteral("Asking"), QString::fromLatin1(PermissionsScript)));
    else if (path == QLatin1String("/stall")) {
        return; // the connection stays open, unanswered
    } else
        reply = response("404 Not Found", {});
    socket->write(reply);
    socket->disconnectFromHost();
}
