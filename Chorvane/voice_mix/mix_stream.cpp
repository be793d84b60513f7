#include "mix_stream.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace voice_mix {

void MixStream::Append(const int16_t* samples, size_t frames)
{
    {
        std::lock_guard lock(mutex_);
        while (frames > 0) {
            const size_t used = frames_ % kChunkFrames;
            if (used == 0) chunks_.emplace_back().reserve(kChunkFrames * 2);
            const size_t n = std::min(frames, kChunkFrames - used);
            chunks_.back().insert(chunks_.back().end(), samples, samples + 2 * n);
            samples += 2 * n;
            frames -= n;
            frames_ += n;
        }
    }
    grown_.notify_all();
}

void MixStream::Finish()
{
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    grown_.notify_all();
}

size_t MixStream::Read(size_t frame, int16_t* out, size_t maxFrames, const std::atomic<bool>& stop) const
{
    std::unique_lock lock(mutex_);
    // A short wait at a time, so a stop is seen even when nobody appends.
    while (frame >= frames_ && !finished_ && !stop.load())
        grown_.wait_for(lock, std::chrono::milliseconds(20));
    if (frame >= frames_ || stop.load()) return 0;
    size_t copied = 0;
    while (copied < maxFrames && frame < frames_) {
        const std::vector<int16_t>& chunk = chunks_[frame / kChunkFrames];
        const size_t at = frame % kChunkFrames;
        const size_t n = std::min({maxFrames - copied, frames_ - frame, kChunkFrames - at});
        std::memcpy(out + 2 * copied, chunk.data() + 2 * at, n * 2 * sizeof(int16_t));
        copied += n;
        frame += n;
    }
    return copied;
}

size_t MixStream::frames() const
{
    std::lock_guard lock(mutex_);
    return frames_;
}

bool MixStream::finished() const
{
    std::lock_guard lock(mutex_);
    return finished_;
}

}  // namespace voice_mix
