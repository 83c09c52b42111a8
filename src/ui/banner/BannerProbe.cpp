#include "ui/banner/BannerProbe.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

BannerProbe::BannerProbe(QObject *parent, int timeoutMs)
    : QObject(parent), m_network(this), m_timeoutMs(timeoutMs)
{
}

void BannerProbe::start(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(m_timeoutMs);
    // Nothing of the probe is kept: no cookies, no cache.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    QNetworkReply *reply = m_network.head(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        const bool reachable = reply->error() == QNetworkReply::NoError;
        m_outcome = reachable ? Outcome::Reachable : Outcome::Unreachable;
        emit finished(reachable);
    });
}
