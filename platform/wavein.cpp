// Wave input over a capture backend that fills the queued buffers in order on a thread
// of its own and posts each full one to the notification window: a PulseAudio record
// stream (wavein_pulse) or an ALSA capture device (wavein_alsa). Each start opens the
// backend anew.
#include "wavein.h"

#include "wavein_alsa.h"
#include "wavein_pulse.h"
#include "window_handles.h"

#include <pulse/sample.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

WAVEFORMATEX MakePcmFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample)
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = static_cast<WORD>(channels);
    f.nSamplesPerSec = static_cast<DWORD>(samplesPerSec);
    f.wBitsPerSample = static_cast<WORD>(bitsPerSample);
    f.nBlockAlign = static_cast<WORD>(f.nChannels * f.wBitsPerSample / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    f.cbSize = 0;
    return f;
}

bool IsSupportedPcmFormat(const WAVEFORMATEX& f)
{
    if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
    if (f.nChannels < 1 || f.nChannels > PA_CHANNELS_MAX) return false;
    if (f.nSamplesPerSec < 1 || f.nSamplesPerSec > PA_RATE_MAX) return false;
    const WORD align = static_cast<WORD>(f.nChannels * f.wBitsPerSample / 8);
    return f.nBlockAlign == align && f.nAvgBytesPerSec == align * f.nSamplesPerSec;
}

namespace {

// How long a start waits for the server to accept the stream.
constexpr auto kConnectTimeout = std::chrono::milliseconds(800);

using wavein_detail::CaptureBackend;

// Opens a backend for the format, the buffer length, the window and the device named
// in the messages; nullptr with the reason in `result` when it cannot start.
using BackendStarter =
    std::function<std::unique_ptr<CaptureBackend>(const WAVEFORMATEX&, DWORD bufferBytes, HWND, WPARAM, MMRESULT* result)>;

class QueuedWaveIn final : public WaveInDevice {
public:
    explicit QueuedWaveIn(BackendStarter starter) : starter_(std::move(starter)) {}

    MMRESULT open(const WAVEFORMATEX& format, HWND notifyWindow) override
    {
        if (open_) return MMSYSERR_ERROR;
        if (!IsSupportedPcmFormat(format)) return WAVERR_BADFORMAT;
        format_ = format;
        window_ = notifyWindow;
        open_ = true;
        window_handles::PostMessage(window_, MM_WIM_OPEN, self(), 0);
        return MMSYSERR_NOERROR;
    }

    MMRESULT prepareHeader(WAVEHDR* header) override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        return wavein_detail::Prepare(header);
    }

    MMRESULT unprepareHeader(WAVEHDR* header) override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        return wavein_detail::Unprepare(header);
    }

    MMRESULT addBuffer(WAVEHDR* header) override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        if (!capture_) {
            // Queued before start: held here and handed to the backend when it starts.
            const MMRESULT r = wavein_detail::CheckQueueable(header);
            if (r != MMSYSERR_NOERROR) return r;
            wavein_detail::MarkQueued(header);
            waiting_.push_back(header);
            return MMSYSERR_NOERROR;
        }
        const MMRESULT r = capture_->queue().add(header);
        // What arrived while every buffer was out goes into this one now.
        if (r == MMSYSERR_NOERROR) capture_->drain();
        return r;
    }

    MMRESULT start() override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        if (capture_) return MMSYSERR_NOERROR;
        const DWORD bufferBytes = waiting_.empty() ? 16384 : waiting_.front()->dwBufferLength;
        MMRESULT r = MMSYSERR_ERROR;
        auto capture = starter_(format_, bufferBytes, window_, self(), &r);
        if (!capture) return r == MMSYSERR_NOERROR ? MMSYSERR_ERROR : r;
        capture_ = std::move(capture);
        for (WAVEHDR* h : waiting_) capture_->queue().adopt(h);
        waiting_.clear();
        capture_->drain();
        return MMSYSERR_NOERROR;
    }

    MMRESULT reset() override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        for (WAVEHDR* h : waiting_) {
            wavein_detail::MarkDone(h);
            window_handles::PostMessage(window_, MM_WIM_DATA, self(), reinterpret_cast<LPARAM>(h));
        }
        waiting_.clear();
        if (capture_) {
            capture_->drain();  // what has reached us still counts
            capture_->queue().stop();
            capture_->queue().returnAll();
            capture_.reset();
        }
        return MMSYSERR_NOERROR;
    }

    MMRESULT close() override
    {
        if (!open_) return MMSYSERR_INVALHANDLE;
        if (!waiting_.empty() || (capture_ && capture_->queue().queuedCount() != 0)) return WAVERR_STILLPLAYING;
        capture_.reset();
        open_ = false;
        window_handles::PostMessage(window_, MM_WIM_CLOSE, self(), 0);
        return MMSYSERR_NOERROR;
    }

private:
    WPARAM self() { return reinterpret_cast<WPARAM>(static_cast<WaveInDevice*>(this)); }

    BackendStarter starter_;
    bool open_ = false;
    WAVEFORMATEX format_{};
    HWND window_ = 0;
    std::vector<WAVEHDR*> waiting_;
    std::unique_ptr<CaptureBackend> capture_;
};

std::unique_ptr<CaptureBackend> StartPulse(const std::string& source, const WAVEFORMATEX& format, DWORD bufferBytes,
                                           HWND window, WPARAM device, MMRESULT* result)
{
    const size_t frame = format.nBlockAlign;
    pa_sample_spec spec{};
    spec.format = format.wBitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    spec.rate = format.nSamplesPerSec;
    spec.channels = static_cast<uint8_t>(format.nChannels);
    pa_channel_map map{};
    pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(-1);
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    // Fragments of one buffer: the server sends each buffer's worth when it is full.
    attr.fragsize = std::max<DWORD>(bufferBytes - bufferBytes % frame, frame);

    auto capture = std::make_unique<wavein_detail::PulseCapture>(window, device);
    *result = capture->connect(spec, map, attr, kConnectTimeout, source);
    if (*result != MMSYSERR_NOERROR) return nullptr;
    return capture;
}

std::unique_ptr<CaptureBackend> StartAlsa(const std::string& pcm, const WAVEFORMATEX& format, DWORD bufferBytes,
                                          HWND window, WPARAM device, MMRESULT* result)
{
    auto capture = std::make_unique<wavein_detail::AlsaCapture>(window, device);
    *result = capture->connect(pcm, format, bufferBytes);
    if (*result != MMSYSERR_NOERROR) return nullptr;
    return capture;
}

}  // namespace

std::unique_ptr<WaveInDevice> CreatePulseWaveIn(const std::string& source)
{
    return std::make_unique<QueuedWaveIn>(
        [source](const WAVEFORMATEX& f, DWORD bytes, HWND window, WPARAM device, MMRESULT* result) {
            return StartPulse(source, f, bytes, window, device, result);
        });
}

std::unique_ptr<WaveInDevice> CreateAlsaWaveIn(const std::string& pcm)
{
    return std::make_unique<QueuedWaveIn>(
        [pcm](const WAVEFORMATEX& f, DWORD bytes, HWND window, WPARAM device, MMRESULT* result) {
            return StartAlsa(pcm, f, bytes, window, device, result);
        });
}

std::unique_ptr<WaveInDevice> CreateWaveIn(const std::string& source)
{
    const std::string prefix = kAlsaSourcePrefix;
    if (source.compare(0, prefix.size(), prefix) == 0) return CreateAlsaWaveIn(source.substr(prefix.size()));
    return CreatePulseWaveIn(source);
}
