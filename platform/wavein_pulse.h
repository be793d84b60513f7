#pragma once
// One capture from a PulseAudio source (the default one unless named): a record stream on a threaded main
// loop of its own whose data fills a BufferQueue. The stream's state callbacks turn a
// server that goes away, a lost connection, a removed source or a killed stream into
// the queue's MM_WIM_ERROR; nothing here ever blocks on the server.

#include "wavein_state.h"

#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace wavein_detail {

// The result a PulseAudio error code stands for.
[[nodiscard]] MMRESULT ResultForPulseError(int error);

class PulseCapture final : public CaptureBackend {
public:
    PulseCapture(HWND window, WPARAM device);
    // Stops the main loop thread; no callback runs and no buffer is touched afterwards.
    ~PulseCapture() override;
    PulseCapture(const PulseCapture&) = delete;
    PulseCapture& operator=(const PulseCapture&) = delete;

    [[nodiscard]] BufferQueue& queue() override { return queue_; }

    // Connects to the server and opens a record stream on the source named `source`
    // (the default source when empty), waiting at most `limit` for the server to accept
    // it. A source that later disappears ends the stream (it is never moved to another
    // source).
    [[nodiscard]] MMRESULT connect(const pa_sample_spec& spec, const pa_channel_map& map, const pa_buffer_attr& attr,
                                   std::chrono::milliseconds limit, const std::string& source = {});
    // Copies what the stream holds into the queued buffers: for buffers queued after the
    // data arrived (the stream keeps what found no room).
    void drain() override;

private:
    struct MainloopFree {
        void operator()(pa_threaded_mainloop* m) const;
    };
    struct ContextRelease {
        void operator()(pa_context* c) const;
    };
    struct StreamRelease {
        void operator()(pa_stream* s) const;
    };
    enum class Connection { Pending, Ready, Failed };

    static void OnContextState(pa_context* context, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnReadable(pa_stream* stream, size_t bytes, void* self);

    // On the main loop thread, with its lock held.
    void openStream();
    void drainLocked();
    void lose(int error);
    void settle(Connection connection, int error);

    BufferQueue queue_;
    pa_sample_spec spec_{};
    pa_channel_map map_{};
    pa_buffer_attr attr_{};
    std::string source_;
    std::unique_ptr<pa_threaded_mainloop, MainloopFree> mainloop_;  // declared first: freed last
    std::unique_ptr<pa_context, ContextRelease> context_;
    std::unique_ptr<pa_stream, StreamRelease> stream_;
    size_t peekOffset_ = 0;  // bytes of the fragment at the read index already copied

    std::mutex mutex_;  // guards the two fields below, for the waiting caller
    std::condition_variable settled_;
    Connection connection_ = Connection::Pending;
    int error_ = 0;
};

}  // namespace wavein_detail
