#pragma once
// The queue of buffers a wave input device fills: shared by the PulseAudio device's
// reader thread and the in-memory device. Buffers are filled strictly in queue order;
// each full one is marked done and posted as MM_WIM_DATA to the notification window.

#include "wavein.h"

#include <condition_variable>
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
    // Where full buffers go: the window, the device named in the message, and the
    // frame size that reads are aligned to.
    void setTarget(HWND window, WPARAM device, size_t frameBytes);

    // Queues a prepared buffer (checked and marked here).
    [[nodiscard]] MMRESULT add(WAVEHDR* header);
    // Queues a buffer already checked and marked by the caller.
    void adopt(WAVEHDR* header);

    // Waits until a buffer is queued or the queue is stopped; the size of the next read
    // (at most `chunkBytes`, whole frames, never past the front buffer's end), or 0 once
    // stopped.
    [[nodiscard]] size_t nextReadSize(size_t chunkBytes);
    // Copies bytes into the queued buffers in order, posting each buffer that becomes
    // full; returns how many bytes were taken (less when the buffers run out or the
    // queue is stopped).
    size_t fill(const char* data, size_t bytes);
    // Marks every queued buffer done as it stands and posts it, in queue order.
    void returnAll();
    // No buffer is written to after this returns; waiting readers wake up.
    void stop();
    void markFailed();
    [[nodiscard]] bool failed() const;
    [[nodiscard]] size_t queuedCount() const;
    // Bytes the queued buffers can still take.
    [[nodiscard]] size_t room() const;

private:
    void post(WAVEHDR* header);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<WAVEHDR*> queue_;
    HWND window_ = 0;
    WPARAM device_ = 0;
    size_t frameBytes_ = 1;
    bool stopped_ = false;
    bool failed_ = false;
};

}  // namespace wavein_detail
