#pragma once
// The mix as it is made: the render appends each block of stereo 16-bit frames while it
// encodes them, and the listen-back plays them before the take's file is finished. The
// frames stay for as long as the stream is held, so playback can start again anywhere.
// Thread-safe: one writer, any number of readers.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace voice_mix {

class MixStream {
public:
    static constexpr size_t kChunkFrames = 65536;

    // `samples` interleaved left, right; `frames` of them.
    void Append(const int16_t* samples, size_t frames);
    // No more frames come (the render ended, whole or not).
    void Finish();

    // Copies up to `maxFrames` frames from `frame` on into `out`, waiting while none are
    // there yet and the render goes on, until `stop` is set. 0: the end (or stopped).
    [[nodiscard]] size_t Read(size_t frame, int16_t* out, size_t maxFrames, const std::atomic<bool>& stop) const;

    [[nodiscard]] size_t frames() const;
    [[nodiscard]] bool finished() const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable grown_;
    // Fixed-size chunks: growing never moves what a reader is copying from.
    std::vector<std::vector<int16_t>> chunks_;
    size_t frames_ = 0;
    bool finished_ = false;
};

}  // namespace voice_mix
