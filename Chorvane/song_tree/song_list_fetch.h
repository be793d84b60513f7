#pragma once
// The song list download itself, on the download's own thread: one GET with Qt
// Network, the body collected within the limits, the result handed back by signal.
// Internal to SongListDownload, which creates it, moves it to its thread and reaps it.

#include <QByteArray>
#include <QObject>
#include <QUrl>

#include <atomic>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

struct SongListLimits {
    qint64 maxBytes = 4 * 1024 * 1024;  // a longer body is a failed download
    int timeoutMs = 30000;              // so is a download that takes longer
    int maxRedirects = 5;
};

class SongListFetch : public QObject {
    Q_OBJECT
public:
    SongListFetch(const QUrl& address, const SongListLimits& limits, std::shared_ptr<std::atomic<bool>> stop);

    // Runs on the download's thread: sends the request and returns; the reply's
    // signals carry the rest. Ends the thread's event loop when finished.
    void Run();
    // Gives the download up (on the download's thread); Finished(false) follows.
    void Abort();

signals:
    // Once per download: ok with the body of a successful (2xx) answer that has one.
    void Finished(bool ok, const QByteArray& body);

private:
    void ReadPiece();
    void CheckLength();
    void ReplyFinished();
    void End(bool ok);

    QUrl address_;
    SongListLimits limits_;
    std::shared_ptr<std::atomic<bool>> stop_;
    QNetworkAccessManager* manager_ = nullptr;
    QNetworkReply* reply_ = nullptr;
    QTimer* timer_ = nullptr;
    QByteArray body_;
    bool ended_ = false;
};
