#include "advert_fetch.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

bool IsLoopbackHost(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QNetworkProxy ProxyFor(const QUrl& address)
{
    // The system's proxy settings, except for this machine's own addresses.
    if (IsLoopbackHost(address.host())) return QNetworkProxy(QNetworkProxy::NoProxy);
    const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(address));
    return proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
}

}  // namespace

AdvertFetch::AdvertFetch(QObject* parent) : QObject(parent) {}

AdvertFetch::~AdvertFetch()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

bool AdvertFetch::Start(const QUrl& address)
{
    const QString scheme = address.scheme().toLower();
    if (started_ || !address.isValid() || address.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    started_ = true;
    manager_ = new QNetworkAccessManager(this);
    manager_->setProxy(ProxyFor(address));

    QNetworkRequest request(address);
    request.setRawHeader("Accept", "text/html, text/plain;q=0.9");
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // http may become https on the way, never the other way round.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits_.maxRedirects);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &AdvertFetch::Abort);
    timer_->start(limits_.timeoutMs);

    reply_ = manager_->get(request);
    reply_->setParent(this);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &AdvertFetch::CheckHeaders);
    connect(reply_, &QIODevice::readyRead, this, &AdvertFetch::ReadPiece);
    connect(reply_, &QNetworkReply::finished, this, &AdvertFetch::ReplyFinished);
    return true;
}

void AdvertFetch::Abort()
{
    End(false);
}

void AdvertFetch::CheckHeaders()
{
    // A redirect's headers are not the page's; the final answer's come again.
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400) return;
    // An announced length past the cap is refused before any of the body comes.
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > limits_.maxBytes) return End(false);
    // So is an answer that is no page at all.
    const QByteArray type = reply_->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    if (status >= 200 && status < 300 && advert::KindOf(type) == advert::PageKind::None) End(false);
}

void AdvertFetch::ReadPiece()
{
    if (!reply_) return;
    if (body_.size() + reply_->bytesAvailable() > limits_.maxBytes) return End(false);
    body_ += reply_->readAll();
}

void AdvertFetch::ReplyFinished()
{
    if (!reply_) return;
    if (reply_->error() != QNetworkReply::NoError) return End(false);
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) return End(false);
    ReadPiece();
    if (!reply_) return;
    const QByteArray type = reply_->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    page_.kind = advert::KindOf(type);
    if (page_.kind == advert::PageKind::None || body_.isEmpty()) return End(false);
    page_.text = advert::DecodePage(body_, type);
    page_.address = reply_->url();
    End(true);
}

void AdvertFetch::End(bool ok)
{
    if (!reply_) return;
    timer_->stop();
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    if (reply->isRunning()) reply->abort();
    reply->deleteLater();
    body_.clear();
    if (!ok) page_ = {};
    emit Finished(ok);
}
