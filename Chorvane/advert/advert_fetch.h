#pragma once
// The advert download: one GET of the advert address with Qt Network on the event loop
// of the thread that owns it (the user-interface thread: the calls return at once and
// the answer comes piece by piece), within limits of size, time and redirects. Only a
// successful (2xx) answer that is an HTML or plain-text page counts; anything else is a
// failed download, which reports nothing but its end.

#include "advert_page.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

struct AdvertLimits {
    qint64 maxBytes = 1024 * 1024;  // a longer page is cut off: a failed download
    int timeoutMs = 15000;          // the whole download, redirects included
    int maxRedirects = 3;
};

// A page as it arrived: its text, its kind and the address it came from in the end.
struct AdvertPage {
    QString text;
    advert::PageKind kind = advert::PageKind::None;
    QUrl address;
};

class AdvertFetch : public QObject {
    Q_OBJECT
public:
    explicit AdvertFetch(QObject* parent = nullptr);
    ~AdvertFetch() override;

    void SetLimits(const AdvertLimits& limits) { limits_ = limits; }
    [[nodiscard]] const AdvertLimits& Limits() const { return limits_; }

    // Starts the download and returns at once. False, with nothing started, for an
    // address that is not http or https, or when a download has been started before.
    [[nodiscard]] bool Start(const QUrl& address);
    // Gives a running download up; Finished(false) follows at once.
    void Abort();
    [[nodiscard]] bool Running() const { return reply_ != nullptr; }
    // The page of a successful download.
    [[nodiscard]] const AdvertPage& Page() const { return page_; }

signals:
    // Once per started download: ok when Page() holds the page.
    void Finished(bool ok);

private:
    void CheckHeaders();
    void ReadPiece();
    void ReplyFinished();
    void End(bool ok);

    AdvertLimits limits_;
    QNetworkAccessManager* manager_ = nullptr;
    QNetworkReply* reply_ = nullptr;
    QTimer* timer_ = nullptr;
    QByteArray body_;
    AdvertPage page_;
    bool started_ = false;
};
