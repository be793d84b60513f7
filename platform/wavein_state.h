#pragma once
// The queue of buffers a wave input device fills: shared by the PulseAudio device's
// main loop thread, the ALSA device's reader thread and the in-memory device. Buffers are filled strictly in queue order;
// each full one is marked done and posted as MM_WIM_DATA to the notification window,
// and a source that is lost is posted once as MM_WIM_ERROR after them.

#include "wavein.h"

#include <deque>
#include <mutex>

namespace wavein_detail {

[[nodiscard]] MMRESULT Prepare(WAVEHDR* header);
[[nodiscard]] MMRESULT Unprepare(WAVEHDR* header);
[[nodiscard]] MMRESULT CheckQueueable(const WAVEHDR* header);
void MarkQueued(WAVEHDR* header);
void MarkDone(WAVEHDR* header);

class BufferQueue {
public:
    // Where full buffers go: the window and the device named in the message.
    void setTarget(HWND window, WPARAM device);

    // Queues a prepared buffer (checked and marked here).
    [[nodiscard]] MMRESULT add(WAVEHDR* header);
    // Queues a buffer already checked and marked by the caller.
    void adopt(WAVEHDR* header);

    // Copies bytes into the queued buffers in order, posting each buffer that becomes
    // full; returns how many bytes were taken (less when the buffers run out, or none
    // once the queue is stopped or its source lost).
    size_t fill(const char* data, size_t bytes);
    // Marks every queued buffer done as it stands and posts it, in queue order.
    void returnAll();
    // No buffer is written to after this returns, and no loss is reported.
    void stop();
    // The source is gone: posts MM_WIM_ERROR (lParam = `result`) behind every buffer
    // already posted and fills nothing more. Reported once; false when already reported
    // or stopped. The queued buffers stay queued (with what they hold) for the reset.
    bool fail(MMRESULT result);
    [[nodiscard]] size_t queuedCount() const;
    // Bytes the queued buffers can still take.
    [[nodiscard]] size_t room() const;

private:
    void post(WAVEHDR* header);

    mutable std::mutex mutex_;
    std::deque<WAVEHDR*> queue_;
    HWND window_ = 0;
    WPARAM device_ = 0;
    bool stopped_ = false;
    bool failed_ = false;
};

// One started capture: fills its queue on a thread of its own; the device hands it the
// buffers and asks it to copy in what found no room while every buffer was out.
class CaptureBackend {
public:
    virtual ~CaptureBackend() = default;
    [[nodiscard]] virtual BufferQueue& queue() = 0;
    // Copies what the backend holds into the queued buffers.
    virtual void drain() = 0;
};

}  // namespace wavein_detail
