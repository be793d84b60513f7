#include "song_list_fetch.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>

namespace {

bool IsLoopbackHost(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

}  // namespace

SongListFetch::SongListFetch(const QUrl& address, const SongListLimits& limits, std::shared_ptr<std::atomic<bool>> stop)
    : address_(address), limits_(limits), stop_(std::move(stop))
{
}

void SongListFetch::Run()
{
    if (stop_->load()) return End(false);
    const QString scheme = address_.scheme().toLower();
    if (!address_.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return End(false);

    manager_ = new QNetworkAccessManager(this);
    // The system's proxy settings, except for this machine's own addresses.
    if (IsLoopbackHost(address_.host())) {
        manager_->setProxy(QNetworkProxy::NoProxy);
    } else {
        const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(address_));
        manager_->setProxy(proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first());
    }

    QNetworkRequest request(address_);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("UtilMind HTTPGet"));
    request.setRawHeader("Accept", "*/*");
    // Always a fresh copy from the server, and none kept.
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits_.maxRedirects);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &SongListFetch::Abort);
    timer_->start(limits_.timeoutMs);

    reply_ = manager_->get(request);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &SongListFetch::CheckLength);
    connect(reply_, &QIODevice::readyRead, this, &SongListFetch::ReadPiece);
    connect(reply_, &QNetworkReply::finished, this, &SongListFetch::ReplyFinished);
}

void SongListFetch::Abort()
{
    End(false);
}

void SongListFetch::CheckLength()
{
    // An announced length past the cap is refused before any of the body comes.
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > limits_.maxBytes) End(false);
}

void SongListFetch::ReadPiece()
{
    if (ended_) return;
    if (stop_->load()) return End(false);
    if (body_.size() + reply_->bytesAvailable() > limits_.maxBytes) return End(false);
    body_ += reply_->readAll();
}

void SongListFetch::ReplyFinished()
{
    if (ended_) return;
    if (reply_->error() != QNetworkReply::NoError) return End(false);
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) return End(false);
    ReadPiece();
    if (ended_) return;
    End(!body_.isEmpty());
}

void SongListFetch::End(bool ok)
{
    if (ended_) return;
    ended_ = true;
    if (timer_) timer_->stop();
    if (reply_) {
        reply_->disconnect(this);
        if (reply_->isRunning()) reply_->abort();
    }
    emit Finished(ok, ok ? body_ : QByteArray());
    body_.clear();
    QThread::currentThread()->quit();
}
