#pragma once
// The song list download component: one download at a time on a thread of its own,
// created for the download and ended with it, the result delivered on the thread that
// owns this object (the user-interface thread). Only a successful (2xx) answer with a
// body within the limits counts; anything else is a failed download, which reports
// nothing.

#include "song_list_fetch.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <atomic>
#include <memory>
#include <vector>

class QThread;

class SongListDownload : public QObject {
    Q_OBJECT
public:
    explicit SongListDownload(QObject* parent = nullptr);
    // Stops a download still running and waits the moment its thread needs to end.
    ~SongListDownload() override;

    void SetLimits(const SongListLimits& limits) { limits_ = limits; }
    [[nodiscard]] const SongListLimits& Limits() const { return limits_; }

    // Starts the download and returns at once; false (and nothing done) while one runs.
    bool Start(const QUrl& address);
    // Tells a running download to stop; its completion is not handled. Returns at once.
    void Stop();
    [[nodiscard]] bool Running() const { return running_; }

signals:
    // A successful download, with the body exactly as received.
    void Done(const QByteArray& body);
    // Every download that was not stopped ends with this, after Done when it succeeded.
    void Finished(bool ok);

private:
    void FetchFinished(quint64 download, bool ok, const QByteArray& body);
    void ReapThreads();

    SongListLimits limits_;
    bool running_ = false;
    quint64 current_ = 0;  // the running download's number; 0 when none runs
    quint64 started_ = 0;  // downloads started so far
    QPointer<QThread> thread_;
    std::shared_ptr<std::atomic<bool>> stop_;
    // Threads of this object's downloads that may not have ended yet.
    std::vector<QPointer<QThread>> threads_;
};
