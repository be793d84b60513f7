#pragma once
// An in-memory wave input device for tests and benchmarks: the test feeds bytes, and
// they fill the queued buffers exactly as a sound server would. Any step can be told
// to fail once, and the running device can lose its source. MemoryWaveInSource is the test's end: it makes the devices (one per
// open) and reaches the one that is running.

#include "wavein.h"

#include <functional>
#include <map>
#include <memory>

class MemoryWaveInSource {
public:
    enum class Step { Create, Open, Prepare, AddBuffer, Start, Reset, Unprepare, Close };

    MemoryWaveInSource();
    ~MemoryWaveInSource();
    MemoryWaveInSource(const MemoryWaveInSource&) = delete;
    MemoryWaveInSource& operator=(const MemoryWaveInSource&) = delete;

    // Makes a new device bound to this source (nullptr when Create is set to fail).
    [[nodiscard]] std::unique_ptr<WaveInDevice> createDevice();
    [[nodiscard]] std::function<std::unique_ptr<WaveInDevice>()> factory();

    // Fills the queued buffers of the started device in order; returns the bytes taken
    // (fewer when the queued buffers run out, 0 when no device is started).
    size_t feed(const void* data, size_t bytes);

    // The open device loses its source, as when the sound server goes away: it posts
    // MM_WIM_ERROR (lParam `result`) once, behind the buffers already handed back, and
    // takes no more bytes; a reset still returns the queued buffers with what they
    // hold. False when no device is open or it has already lost its source.
    bool fail(MMRESULT result = MMSYSERR_NODRIVER);

    // The next call of `step` fails with `result` (once).
    void failNext(Step step, MMRESULT result = MMSYSERR_ERROR);

    [[nodiscard]] bool deviceOpen() const;
    [[nodiscard]] bool deviceStarted() const;
    [[nodiscard]] size_t queuedBuffers() const;
    // Bytes the queued buffers can still take before the device runs out.
    [[nodiscard]] size_t room() const;
    [[nodiscard]] WAVEFORMATEX lastFormat() const;
    [[nodiscard]] int calls(Step step) const;
    // Devices alive now (made and not yet destroyed).
    [[nodiscard]] int liveDevices() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};
