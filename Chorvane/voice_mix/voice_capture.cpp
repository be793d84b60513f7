#include "voice_capture.h"
#include "program_messages.h"

#include <QObject>

#include <chrono>
#include <cmath>
#include <cstring>

namespace voice_mix {

namespace {
constexpr size_t kFrameBytes = 4;

int64_t MonoNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
}

VoiceCapture::~VoiceCapture() { (void)Stop(); }

QString VoiceCapture::Start(const std::string& source, const std::string& voicePath, int fragmentMs)
{
    if (QString problem = session_.Connect("Chorvane voice"); !problem.isEmpty()) return problem;
    PulseSession::Lock lock(session_);
    source_ = session_.VoiceSource(source);
    if (source_.empty())
        return source.empty() ? program_messages::Text(program_messages::Id::VoiceNoMicrophone)
                              : program_messages::Text(program_messages::Id::VoiceMicrophoneGone).arg(QString::fromStdString(source));
    wav_.SetAudioFormat(2, kRate, 16);
    path_ = voicePath;
    if (wav_.Create(voicePath) != 0)
        return program_messages::Text(program_messages::Id::VoiceTrackNotCreated).arg(QString::fromStdString(voicePath));
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
    stream_.reset(pa_stream_new(session_.context(), "Voice", &spec, nullptr));
    if (!stream_) return program_messages::Text(program_messages::Id::VoiceRecordingRefused);
    pa_stream_set_state_callback(stream_.get(), OnStreamState, this);
    pa_stream_set_read_callback(stream_.get(), OnReadable, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(kRate * kFrameBytes * static_cast<size_t>(fragmentMs) / 1000);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE |
                                                      PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_record(stream_.get(), source_.c_str(), &attr, flags) < 0)
        return program_messages::Text(program_messages::Id::VoiceRecordingRefused);
    for (;;) {
        const pa_stream_state_t state = pa_stream_get_state(stream_.get());
        if (state == PA_STREAM_READY) return {};
        if (!PA_STREAM_IS_GOOD(state))
            return program_messages::Text(program_messages::Id::VoiceRecordingRefusedFrom)
                .arg(QString::fromStdString(source_));
        pa_threaded_mainloop_wait(session_.mainloop());
    }
}

void VoiceCapture::OnStreamState(pa_stream* stream, void* self)
{
    auto* capture = static_cast<VoiceCapture*>(self);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) capture->lost_ = true;
    capture->session_.Signal();
}

void VoiceCapture::OnReadable(pa_stream*, size_t, void* self) { static_cast<VoiceCapture*>(self)->Drain(); }

void VoiceCapture::Drain()
{
    pa_stream* stream = stream_.get();
    if (!stream || pa_stream_get_state(stream) != PA_STREAM_READY) return;
    const int64_t began = MonoNs();
    const int64_t before = frames_;
    for (;;) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0) {
            lost_ = true;
            return;
        }
        if (bytes == 0) break;
        if (!data) {  // a hole: silence keeps the frames in their places
            silence_.assign(bytes, 0);
            data = silence_.data();
        }
        if (!writeFailed_ && wav_.Write(data, bytes) != 0) writeFailed_ = true;
        frames_ += static_cast<int64_t>(bytes / kFrameBytes);
        pa_stream_drop(stream);
    }
    if (frames_ != before) {
        std::lock_guard guard(anchorMutex_);
        reads_.push_back({began, frames_});
    }
}

void VoiceCapture::SampleAnchor(const std::function<int64_t()>& musicNs)
{
    if (!stream_ || lost_) return;
    const int64_t before = MonoNs();
    const int64_t music = musicNs();
    const int64_t after = MonoNs();
    if (music < 0) return;
    std::lock_guard guard(anchorMutex_);
    heard_.push_back({before + (after - before) / 2, music * kRate / 1000000000});
}

std::vector<TimingAnchor> VoiceCapture::anchors() const
{
    std::lock_guard guard(anchorMutex_);
    std::vector<TimingAnchor> anchors;
    const auto clock = FitCaptureClock(reads_);
    if (!clock) return anchors;
    // After the stream ended (a server that went away) no frame was captured to pair with.
    for (const auto& [monoNs, musicFrame] : heard_)
        if (clock->Covers(monoNs)) anchors.push_back({musicFrame, std::llround(clock->FrameAt(monoNs))});
    return anchors;
}

QString VoiceCapture::Stop()
{
    if (session_.mainloop()) {
        PulseSession::Lock lock(session_);
        Drain();
        stream_.reset();
    }
    if (!wav_.IsOpen()) return {};
    const bool closed = wav_.Close() == 0;
    if (writeFailed_ || !closed)
        return program_messages::Text(program_messages::Id::VoiceTrackIncomplete)
            .arg(QString::fromStdString(path_));
    return {};
}

}  // namespace voice_mix
