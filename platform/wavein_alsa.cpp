#include "wavein_alsa.h"

#include <QtGlobal>

#include <cerrno>

namespace wavein_detail {
namespace {

// How long one wait for the device may last before the reader looks at its stop flag.
constexpr int kWaitMs = 50;

}  // namespace

MMRESULT ResultForAlsaError(int error)
{
    switch (error) {
    case -ENOENT:
    case -ENODEV:
    case -ENXIO:
    case -EBADFD:
    case -ESHUTDOWN:
        return MMSYSERR_NODRIVER;
    case -EBUSY:
        return MMSYSERR_ALLOCATED;
    case -EINVAL:
        return WAVERR_BADFORMAT;
    default:
        return MMSYSERR_ERROR;
    }
}

AlsaCapture::AlsaCapture(HWND window, WPARAM device) { queue_.setTarget(window, device); }

AlsaCapture::~AlsaCapture()
{
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    pcm_.reset();
}

MMRESULT AlsaCapture::connect(const std::string& pcm, const WAVEFORMATEX& format, size_t periodBytes)
{
    snd_pcm_t* handle = nullptr;
    int err = snd_pcm_open(&handle, pcm.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (err < 0) {
        qWarning("Recording: the ALSA device %s cannot be opened (%s)", pcm.c_str(), snd_strerror(err));
        return ResultForAlsaError(err);
    }
    pcm_.reset(handle);
    frameBytes_ = format.nBlockAlign;
    periodFrames_ = std::max<snd_pcm_uframes_t>(periodBytes / frameBytes_, 1);
    const snd_pcm_format_t sampleFormat = format.wBitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    // Four periods of one buffer each in the device, the buffer cycle's depth.
    const auto periodUs = static_cast<unsigned int>(uint64_t(periodFrames_) * 1000000 / format.nSamplesPerSec);
    err = snd_pcm_set_params(handle, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.nChannels,
                             format.nSamplesPerSec, 1, std::max(periodUs * 4, 40000u));
    if (err < 0) {
        qWarning("Recording: the ALSA device %s refuses the format (%s)", pcm.c_str(), snd_strerror(err));
        pcm_.reset();
        return ResultForAlsaError(err == -EINVAL ? -EINVAL : err);
    }
    if ((err = snd_pcm_start(handle)) < 0) {
        pcm_.reset();
        return ResultForAlsaError(err);
    }
    reader_ = std::thread([this] { read(); });
    return MMSYSERR_NOERROR;
}

void AlsaCapture::drain()
{
    std::lock_guard lock(mutex_);
    fillLocked();
}

void AlsaCapture::fillLocked()
{
    if (held_.empty()) return;
    const size_t taken = queue_.fill(held_.data(), held_.size());
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(taken));
}

void AlsaCapture::read()
{
    snd_pcm_t* handle = pcm_.get();
    std::vector<char> chunk(periodFrames_ * frameBytes_);
    while (!stop_) {
        const int ready = snd_pcm_wait(handle, kWaitMs);
        if (ready == 0) continue;  // nothing yet: look at the stop flag again
        snd_pcm_sframes_t frames = ready < 0 ? ready : snd_pcm_readi(handle, chunk.data(), periodFrames_);
        if (frames == -EAGAIN) continue;
        if (frames < 0) {
            // An overrun (or a suspend) loses what it overwrote; anything else ends the capture.
            if ((frames == -EPIPE || frames == -ESTRPIPE) && snd_pcm_recover(handle, static_cast<int>(frames), 1) == 0) {
                (void)snd_pcm_start(handle);
                continue;
            }
            if (queue_.fail(ResultForAlsaError(static_cast<int>(frames))))
                qWarning("Recording stopped: the ALSA capture device went away (%s)", snd_strerror(static_cast<int>(frames)));
            return;
        }
        const size_t bytes = static_cast<size_t>(frames) * frameBytes_;
        std::lock_guard lock(mutex_);
        if (held_.size() + bytes <= kMaxHeldBytes) held_.insert(held_.end(), chunk.data(), chunk.data() + bytes);
        fillLocked();
    }
}

}  // namespace wavein_detail
