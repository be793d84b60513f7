#include "wavein_pulse.h"

#include <pulse/error.h>

#include <QtGlobal>

namespace wavein_detail {

MMRESULT ResultForPulseError(int error)
{
    switch (error) {
    case PA_ERR_INVALID:
    case PA_ERR_NOTSUPPORTED:
        return WAVERR_BADFORMAT;
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_NOENTITY:
    case PA_ERR_KILLED:
    case PA_ERR_TIMEOUT:
        return MMSYSERR_NODRIVER;
    default:
        return MMSYSERR_ERROR;
    }
}

void PulseCapture::MainloopFree::operator()(pa_threaded_mainloop* m) const
{
    pa_threaded_mainloop_stop(m);
    pa_threaded_mainloop_free(m);
}

void PulseCapture::ContextRelease::operator()(pa_context* c) const
{
    pa_context_set_state_callback(c, nullptr, nullptr);
    pa_context_disconnect(c);
    pa_context_unref(c);
}

void PulseCapture::StreamRelease::operator()(pa_stream* s) const
{
    pa_stream_set_state_callback(s, nullptr, nullptr);
    pa_stream_set_read_callback(s, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(s))) pa_stream_disconnect(s);
    pa_stream_unref(s);
}

PulseCapture::PulseCapture(HWND window, WPARAM device) { queue_.setTarget(window, device); }

PulseCapture::~PulseCapture()
{
    if (!mainloop_) return;
    pa_threaded_mainloop_lock(mainloop_.get());
    stream_.reset();
    context_.reset();
    pa_threaded_mainloop_unlock(mainloop_.get());
    mainloop_.reset();
}

MMRESULT PulseCapture::connect(const pa_sample_spec& spec, const pa_channel_map& map, const pa_buffer_attr& attr,
                               std::chrono::milliseconds limit, const std::string& source)
{
    source_ = source;
    spec_ = spec;
    map_ = map;
    attr_ = attr;
    mainloop_.reset(pa_threaded_mainloop_new());
    if (!mainloop_) return MMSYSERR_NOMEM;
    context_.reset(pa_context_new(pa_threaded_mainloop_get_api(mainloop_.get()), "Chorvane"));
    if (!context_) return MMSYSERR_NOMEM;
    pa_context_set_state_callback(context_.get(), OnContextState, this);
    // The thread is not running yet: no lock is needed for the first call.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return ResultForPulseError(pa_context_errno(context_.get()));
    if (pa_threaded_mainloop_start(mainloop_.get()) < 0) return MMSYSERR_NOMEM;

    std::unique_lock lock(mutex_);
    settled_.wait_for(lock, limit, [&] { return connection_ != Connection::Pending; });
    switch (connection_) {
    case Connection::Ready:
        return MMSYSERR_NOERROR;
    case Connection::Failed:
        return ResultForPulseError(error_);
    case Connection::Pending:
        break;
    }
    return MMSYSERR_NODRIVER;  // a server that does not answer
}

void PulseCapture::drain()
{
    if (!mainloop_) return;
    pa_threaded_mainloop_lock(mainloop_.get());
    drainLocked();
    pa_threaded_mainloop_unlock(mainloop_.get());
}

void PulseCapture::OnContextState(pa_context* context, void* self)
{
    auto* capture = static_cast<PulseCapture*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        capture->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        capture->lose(pa_context_errno(context));
        break;
    default:
        break;
    }
}

void PulseCapture::OnStreamState(pa_stream* stream, void* self)
{
    auto* capture = static_cast<PulseCapture*>(self);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        capture->settle(Connection::Ready, 0);
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        capture->lose(pa_context_errno(pa_stream_get_context(stream)));
        break;
    default:
        break;
    }
}

void PulseCapture::OnReadable(pa_stream*, size_t, void* self) { static_cast<PulseCapture*>(self)->drainLocked(); }

void PulseCapture::openStream()
{
    pa_context* context = context_.get();
    stream_.reset(pa_stream_new(context, "Recording", &spec_, &map_));
    if (!stream_) {
        lose(pa_context_errno(context));
        return;
    }
    pa_stream_set_state_callback(stream_.get(), OnStreamState, this);
    pa_stream_set_read_callback(stream_.get(), OnReadable, this);
    // Not moved when its source goes: the take would go on from a source nobody chose.
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    const char* device = source_.empty() ? nullptr : source_.c_str();
    if (pa_stream_connect_record(stream_.get(), device, &attr_, flags) < 0) lose(pa_context_errno(context));
}

void PulseCapture::drainLocked()
{
    pa_stream* stream = stream_.get();
    if (!stream || pa_stream_get_state(stream) != PA_STREAM_READY) return;
    for (;;) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0) {
            lose(pa_context_errno(context_.get()));
            return;
        }
        if (bytes == 0) return;  // nothing more has arrived
        if (data) {
            peekOffset_ += queue_.fill(static_cast<const char*>(data) + peekOffset_, bytes - peekOffset_);
            // The buffers ran out (or the queue stopped): the rest waits in the stream.
            if (peekOffset_ < bytes) return;
        }
        // A hole (data null) holds no sound: it is skipped.
        pa_stream_drop(stream);
        peekOffset_ = 0;
    }
}

void PulseCapture::settle(Connection connection, int error)
{
    std::lock_guard lock(mutex_);
    if (connection_ != Connection::Pending) return;
    connection_ = connection;
    error_ = error;
    settled_.notify_all();
}

void PulseCapture::lose(int error)
{
    bool running;
    {
        std::lock_guard lock(mutex_);
        running = connection_ == Connection::Ready;
    }
    if (!running) {
        settle(Connection::Failed, error);
        return;
    }
    if (queue_.fail(ResultForPulseError(error)))
        qWarning("Recording stopped: the sound server or the recording source went away (%s)", pa_strerror(error));
}

}  // namespace wavein_detail
