#include "song_list_download.h"

#include <QThread>

namespace {

// Long enough for a stopped download to close its connection; a stop takes effect
// at once, so this is never waited in full.
constexpr unsigned long kReapWaitMs = 5000;

}  // namespace

SongListDownload::SongListDownload(QObject* parent) : QObject(parent) {}

SongListDownload::~SongListDownload()
{
    Stop();
    for (const QPointer<QThread>& thread : threads_) {
        if (!thread) continue;
        thread->wait(kReapWaitMs);
        if (thread->isFinished()) delete thread.data();
    }
}

bool SongListDownload::Start(const QUrl& address)
{
    if (running_) return false;
    ReapThreads();
    running_ = true;
    current_ = ++started_;
    stop_ = std::make_shared<std::atomic<bool>>(false);
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("song list download"));
    auto* fetch = new SongListFetch(address, limits_, stop_);
    fetch->moveToThread(thread);
    connect(thread, &QThread::started, fetch, &SongListFetch::Run);
    // The result crosses to this object's thread; its number tells a stopped download's.
    connect(fetch, &SongListFetch::Finished, this,
            [this, download = current_](bool ok, const QByteArray& body) { FetchFinished(download, ok, body); },
            Qt::QueuedConnection);
    // The fetch, its connection and its reply go with the thread's end, on that thread.
    connect(thread, &QThread::finished, fetch, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread_ = thread;
    threads_.emplace_back(thread);
    thread->start();
    return true;
}

void SongListDownload::Stop()
{
    if (!running_) return;
    running_ = false;
    current_ = 0;
    // Seen by the download between pieces; ending the thread's event loop stops it
    // even while no piece comes. Neither waits for the thread.
    stop_->store(true);
    if (thread_) thread_->quit();
    thread_.clear();
}

void SongListDownload::FetchFinished(quint64 download, bool ok, const QByteArray& body)
{
    if (download != current_ || !running_) return;
    running_ = false;
    current_ = 0;
    thread_.clear();
    if (ok) emit Done(body);
    emit Finished(ok);
}

void SongListDownload::ReapThreads()
{
    std::erase_if(threads_, [](const QPointer<QThread>& t) { return t.isNull(); });
}
