#include "wavein_state.h"

#include "window_handles.h"

#include <algorithm>
#include <cstring>

namespace wavein_detail {

MMRESULT Prepare(WAVEHDR* header)
{
    if (!header || !header->lpData || header->dwBufferLength == 0) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT Unprepare(WAVEHDR* header)
{
    if (!header) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT CheckQueueable(const WAVEHDR* header)
{
    if (!header || !header->lpData || header->dwBufferLength == 0) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    return MMSYSERR_NOERROR;
}

void MarkQueued(WAVEHDR* header)
{
    header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
    header->dwBytesRecorded = 0;
}

void MarkDone(WAVEHDR* header)
{
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
}

void BufferQueue::setTarget(HWND window, WPARAM device)
{
    std::lock_guard lock(mutex_);
    window_ = window;
    device_ = device;
}

MMRESULT BufferQueue::add(WAVEHDR* header)
{
    const MMRESULT r = CheckQueueable(header);
    if (r != MMSYSERR_NOERROR) return r;
    MarkQueued(header);
    adopt(header);
    return MMSYSERR_NOERROR;
}

void BufferQueue::adopt(WAVEHDR* header)
{
    std::lock_guard lock(mutex_);
    queue_.push_back(header);
}

size_t BufferQueue::fill(const char* data, size_t bytes)
{
    std::lock_guard lock(mutex_);
    size_t taken = 0;
    while (taken < bytes && !stopped_ && !failed_ && !queue_.empty()) {
        WAVEHDR* front = queue_.front();
        const size_t n = std::min<size_t>(bytes - taken, front->dwBufferLength - front->dwBytesRecorded);
        std::memcpy(front->lpData + front->dwBytesRecorded, data + taken, n);
        front->dwBytesRecorded += static_cast<DWORD>(n);
        taken += n;
        if (front->dwBytesRecorded == front->dwBufferLength) {
            queue_.pop_front();
            MarkDone(front);
            post(front);
        }
    }
    return taken;
}

void BufferQueue::returnAll()
{
    std::lock_guard lock(mutex_);
    for (WAVEHDR* h : queue_) {
        MarkDone(h);
        post(h);
    }
    queue_.clear();
}

void BufferQueue::stop()
{
    std::lock_guard lock(mutex_);
    stopped_ = true;
}

bool BufferQueue::fail(MMRESULT result)
{
    std::lock_guard lock(mutex_);
    if (stopped_ || failed_) return false;
    failed_ = true;
    // Posted under the lock that posts the buffers, so it arrives after every one of them.
    window_handles::PostMessage(window_, MM_WIM_ERROR, device_, static_cast<LPARAM>(result));
    return true;
}

size_t BufferQueue::queuedCount() const
{
    std::lock_guard lock(mutex_);
    return queue_.size();
}

size_t BufferQueue::room() const
{
    std::lock_guard lock(mutex_);
    size_t bytes = 0;
    for (const WAVEHDR* h : queue_) bytes += h->dwBufferLength - h->dwBytesRecorded;
    return bytes;
}

void BufferQueue::post(WAVEHDR* header)
{
    window_handles::PostMessage(window_, MM_WIM_DATA, device_, reinterpret_cast<LPARAM>(header));
}

}  // namespace wavein_detail
