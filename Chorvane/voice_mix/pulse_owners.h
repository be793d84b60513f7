#pragma once
// Owners for the PulseAudio handles of the voice take: a threaded main loop (stopped, then
// freed), a context (disconnected), a stream (disconnected) and an operation.

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <memory>

namespace voice_mix {

struct MainloopFree {
    void operator()(pa_threaded_mainloop* m) const
    {
        pa_threaded_mainloop_stop(m);
        pa_threaded_mainloop_free(m);
    }
};
using MainloopPtr = std::unique_ptr<pa_threaded_mainloop, MainloopFree>;

struct ContextRelease {
    void operator()(pa_context* c) const
    {
        pa_context_set_state_callback(c, nullptr, nullptr);
        pa_context_disconnect(c);
        pa_context_unref(c);
    }
};
using ContextPtr = std::unique_ptr<pa_context, ContextRelease>;

struct StreamRelease {
    void operator()(pa_stream* s) const
    {
        pa_stream_set_state_callback(s, nullptr, nullptr);
        pa_stream_set_read_callback(s, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(s))) pa_stream_disconnect(s);
        pa_stream_unref(s);
    }
};
using StreamPtr = std::unique_ptr<pa_stream, StreamRelease>;

struct OperationUnref {
    void operator()(pa_operation* o) const { pa_operation_unref(o); }
};
using OperationPtr = std::unique_ptr<pa_operation, OperationUnref>;

}  // namespace voice_mix
