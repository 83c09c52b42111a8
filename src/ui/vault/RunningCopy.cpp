#include "ui/vault/RunningCopy.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

constexpr int ConnectTimeoutMs = 500;

} // namespace

RunningCopy::RunningCopy(const QString &vaultPath, std::function<void()> comeForward, QObject *parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_comeForward(std::move(comeForward))
{
    const QString name = serverName(vaultPath);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The vault's lock is ours, so a socket left behind by a crash is stale.
    QLocalServer::removeServer(name);
    m_server->listen(name);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            socket->deleteLater();
        m_comeForward();
    });
}

void RunningCopy::askToComeForward(const QString &vaultPath)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(vaultPath));
    if (socket.waitForConnected(ConnectTimeoutMs))
        socket.disconnectFromServer();
}

QString RunningCopy::serverName(const QString &vaultPath)
{
    const QFileInfo info(vaultPath);
    const QString path = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("keyholder-") + QString::fromLatin1(hash.toHex().left(24));
}
