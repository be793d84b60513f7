#pragma once
// The meter's sample buffer: the latest bytes handed to the meter, guarded by a lock
// that each side waits for at most a bounded time. A side that does not get the lock
// in time leaves the buffer (or its own copy) as it was instead of racing the other.

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>

namespace nim_visualization {

class SampleBuffer {
public:
    static constexpr size_t kBytes = 16384;
    using Bytes = std::array<uint8_t, kBytes>;

    explicit SampleBuffer(std::chrono::milliseconds wait = std::chrono::milliseconds(200)) : wait_(wait) {}

    // Copies min(count, kBytes) bytes to the start of the buffer; later bytes keep what
    // they held. False, copying nothing, when the lock was not had in time.
    [[nodiscard]] bool Write(const uint8_t* bytes, size_t count);
    // Copies the whole buffer into `out`. False, leaving `out` as it was, when the lock
    // was not had in time.
    [[nodiscard]] bool Read(Bytes& out) const;
    // Copies only the first `count` bytes (at most kBytes) into `out`; the rest of `out`
    // keeps what it held. False, copying nothing, when the lock was not had in time.
    [[nodiscard]] bool ReadFirst(Bytes& out, size_t count) const;

    // The lock itself, for a writer that must hold the buffer across several steps.
    [[nodiscard]] std::timed_mutex& mutex() const { return mutex_; }

private:
    std::chrono::milliseconds wait_;
    mutable std::timed_mutex mutex_;
    Bytes bytes_{};
};

}  // namespace nim_visualization
