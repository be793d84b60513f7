#pragma once
// CAudioRecorder: the capture engine. Opens the recording device of the chosen source
// (the sound server's default source unless told otherwise) for the wave format, keeps four capture buffers queued on it, and tells the control which buffer
// came back filled and when the device lost its source. Results are 0 for success and
// -1 for failure.

#include "wavein.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CAudioRecorder {
public:
    using DeviceFactory = std::function<std::unique_ptr<WaveInDevice>()>;

    static constexpr int kBufferCount = 4;
    static constexpr int32_t kDefaultBufferSize = 16384;
    // Larger buffers are refused at start (about 95 s each at the default format).
    static constexpr int32_t kMaxBufferSize = 16 * 1024 * 1024;

    CAudioRecorder();
    ~CAudioRecorder();
    CAudioRecorder(const CAudioRecorder&) = delete;
    CAudioRecorder& operator=(const CAudioRecorder&) = delete;

    // The device each start opens; unless set, the device of the source (CreateWaveIn).
    void SetDeviceFactory(DeviceFactory factory);
    // The recording source of the next start, as CreateWaveIn takes it: "" the sound
    // server's default source, a PulseAudio source name, or "alsa:" and an ALSA device.
    void SetSource(std::string source) { source_ = std::move(source); }
    [[nodiscard]] const std::string& Source() const { return source_; }

    int SetWaveFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample);
    [[nodiscard]] const WAVEFORMATEX& WaveFormat() const { return format_; }
    int SetCallbackWindow(HWND window);
    int SetBufferSize(int32_t bytes);
    [[nodiscard]] int32_t GetBufferSize() const { return bufferSize_; }
    [[nodiscard]] bool IsCapturing() const { return capturing_; }

    [[nodiscard]] int StartCapture();
    // Stops the device. The bytes of the buffers it handed back unhandled (partly filled
    // ones included) go to `returned` in queue order, when given.
    [[nodiscard]] int StopCapture(std::vector<std::vector<char>>* returned = nullptr);

    // For MM_WIM_DATA: the filled header when it is the one this capture expects next
    // (the oldest outstanding buffer of the device named), else nullptr (a stale message).
    [[nodiscard]] WAVEHDR* TakeFilled(WPARAM device, LPARAM header);
    // For MM_WIM_ERROR: true the first time the running device reports losing its
    // source in this capture, else false (a stale or repeated message).
    [[nodiscard]] bool TakeSourceLoss(WPARAM device);
    // True from that report until the next start.
    [[nodiscard]] bool SourceLost() const { return sourceLost_; }
    // Queues a handled buffer again, provided the capture it came from still runs.
    int Requeue(WAVEHDR* header, uint64_t capture);
    // Counts the starts: tells a handled buffer's capture from a later one.
    [[nodiscard]] uint64_t CaptureNumber() const { return captureNumber_; }

private:
    void ReleaseBuffers();
    // Undoes a start that failed after the open.
    void AbandonStart(int prepared);

    DeviceFactory factory_;
    std::string source_;
    std::unique_ptr<WaveInDevice> device_;
    WAVEFORMATEX format_;
    std::array<std::unique_ptr<char[]>, kBufferCount> buffers_;
    std::array<WAVEHDR, kBufferCount> headers_{};
    std::deque<WAVEHDR*> outstanding_;  // on the device or filled and not yet handled, queue order
    HWND window_ = 0;
    bool capturing_ = false;
    bool sourceLost_ = false;
    int32_t bufferSize_ = kDefaultBufferSize;
    uint64_t captureNumber_ = 0;
};
