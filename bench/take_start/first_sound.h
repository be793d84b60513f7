#pragma once
// Watches the sound server's default source (the monitor of the test server's sink)
// on a reader thread in small fragments, and tells when sound first appears on it
// after being armed, as a CLOCK_MONOTONIC time.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace take_start {

[[nodiscard]] int64_t MonotonicNs();

class FirstSound {
public:
    FirstSound() = default;
    ~FirstSound();
    FirstSound(const FirstSound&) = delete;
    FirstSound& operator=(const FirstSound&) = delete;

    // False, with the server's reason, when the source cannot be opened.
    [[nodiscard]] bool Start(std::string* error);
    // Forgets the last sound heard; the next loud frame is the one reported.
    void Arm();
    // The time of the first loud frame since Arm, or -1 while there is none.
    [[nodiscard]] int64_t HeardNs() const { return heard_.load(); }
    // Waits up to `ms` for `quietMs` of silence on the source.
    [[nodiscard]] bool WaitForSilence(int quietMs, int ms) const;

private:
    void Run(void* stream);

    std::thread reader_;
    std::atomic<bool> running_{false};
    std::atomic<int64_t> heard_{-1};
    std::atomic<int64_t> lastLoud_{0};
};

}  // namespace take_start
