#pragma once
// One capture from an ALSA capture device, for machines where no sound server answers:
// the device is read in periods of one buffer on a reader thread of its own, and what
// it delivers fills a BufferQueue, the same buffer cycle as the PulseAudio capture. A
// device that goes away (unplugged card, broken stream) becomes the queue's
// MM_WIM_ERROR; an overrun only loses the sound it overwrote.

#include "wavein_state.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wavein_detail {

// The result an ALSA error code (negative errno) stands for.
[[nodiscard]] MMRESULT ResultForAlsaError(int error);

class AlsaCapture final : public CaptureBackend {
public:
    // Captured bytes kept while every buffer is out, at most (about 24 s at 44100 Hz
    // stereo 16-bit); more is dropped, as a full device would drop it.
    static constexpr size_t kMaxHeldBytes = 4 * 1024 * 1024;

    AlsaCapture(HWND window, WPARAM device);
    // Stops the reader thread and closes the device; no buffer is touched afterwards.
    ~AlsaCapture() override;
    AlsaCapture(const AlsaCapture&) = delete;
    AlsaCapture& operator=(const AlsaCapture&) = delete;

    [[nodiscard]] BufferQueue& queue() override { return queue_; }

    // Opens `pcm` for the format (16-bit signed little-endian or 8-bit unsigned,
    // interleaved), periods of `periodBytes`, and starts reading.
    [[nodiscard]] MMRESULT connect(const std::string& pcm, const WAVEFORMATEX& format, size_t periodBytes);
    void drain() override;

private:
    struct Close {
        void operator()(snd_pcm_t* p) const { snd_pcm_close(p); }
    };

    void read();
    // With mutex_ held: what is held goes into the queued buffers.
    void fillLocked();

    BufferQueue queue_;
    std::unique_ptr<snd_pcm_t, Close> pcm_;
    size_t frameBytes_ = 4;
    snd_pcm_uframes_t periodFrames_ = 4096;
    std::atomic<bool> stop_{false};
    std::thread reader_;

    std::mutex mutex_;        // guards held_
    std::vector<char> held_;  // read from the device, not yet in a buffer
};

}  // namespace wavein_detail
