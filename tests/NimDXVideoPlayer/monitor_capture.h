#pragma once
// Captures the default source of the sound server (the null sink's monitor in tests) as
// 44.1 kHz stereo float on a reader thread, and measures tone levels in what it heard.

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace player_test {

class MonitorCapture {
public:
    MonitorCapture() = default;
    ~MonitorCapture();
    MonitorCapture(const MonitorCapture&) = delete;
    MonitorCapture& operator=(const MonitorCapture&) = delete;

    // False (with the server's reason) when the source cannot be opened.
    bool start(std::string* error);
    void stop();
    // Interleaved left/right samples captured so far.
    [[nodiscard]] std::vector<float> samples() const;

    static constexpr int kRate = 44100;

private:
    void run(void* stream);

    std::thread reader_;
    std::atomic<bool> running_{false};
    mutable std::mutex mutex_;
    std::vector<float> samples_;
};

// Amplitude of a sine at `hz` in one channel (0 left, 1 right) of interleaved stereo,
// over frames [first, first + count).
double ToneLevel(const std::vector<float>& stereo, int channel, double hz, size_t first, size_t count);

// The first frame whose absolute value exceeds `threshold` in either channel, or the
// frame count when there is none.
size_t FirstSoundingFrame(const std::vector<float>& stereo, float threshold);
// The last such frame, or 0 when there is none.
size_t LastSoundingFrame(const std::vector<float>& stereo, float threshold);

}  // namespace player_test
