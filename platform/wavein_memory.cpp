#include "wavein_memory.h"

#include "wavein_state.h"
#include "window_handles.h"

#include <optional>

class MemoryWaveIn;

struct MemoryWaveInSource::State {
    MemoryWaveIn* running = nullptr;  // the open device, if any
    std::map<Step, MMRESULT> failures;
    std::map<Step, int> calls;
    WAVEFORMATEX lastFormat{};
    int live = 0;

    // Counts the call and returns the failure set for it, if any.
    std::optional<MMRESULT> enter(Step step)
    {
        ++calls[step];
        auto it = failures.find(step);
        if (it == failures.end()) return std::nullopt;
        const MMRESULT r = it->second;
        failures.erase(it);
        return r;
    }
};

class MemoryWaveIn final : public WaveInDevice {
public:
    explicit MemoryWaveIn(std::shared_ptr<MemoryWaveInSource::State> state) : state_(std::move(state))
    {
        ++state_->live;
    }
    ~MemoryWaveIn() override
    {
        if (state_->running == this) state_->running = nullptr;
        --state_->live;
    }

    MMRESULT open(const WAVEFORMATEX& format, HWND notifyWindow) override
    {
        if (auto f = state_->enter(Step::Open)) return *f;
        if (open_) return MMSYSERR_ERROR;
        if (!IsSupportedPcmFormat(format)) return WAVERR_BADFORMAT;
        state_->lastFormat = format;
        window_ = notifyWindow;
        queue_.setTarget(notifyWindow, self());
        open_ = true;
        state_->running = this;
        window_handles::PostMessage(window_, MM_WIM_OPEN, self(), 0);
        return MMSYSERR_NOERROR;
    }
    MMRESULT prepareHeader(WAVEHDR* header) override
    {
        if (auto f = state_->enter(Step::Prepare)) return *f;
        return open_ ? wavein_detail::Prepare(header) : MMSYSERR_INVALHANDLE;
    }
    MMRESULT unprepareHeader(WAVEHDR* header) override
    {
        if (auto f = state_->enter(Step::Unprepare)) return *f;
        return open_ ? wavein_detail::Unprepare(header) : MMSYSERR_INVALHANDLE;
    }
    MMRESULT addBuffer(WAVEHDR* header) override
    {
        if (auto f = state_->enter(Step::AddBuffer)) return *f;
        return open_ ? queue_.add(header) : MMSYSERR_INVALHANDLE;
    }
    MMRESULT start() override
    {
        if (auto f = state_->enter(Step::Start)) return *f;
        if (!open_) return MMSYSERR_INVALHANDLE;
        started_ = true;
        return MMSYSERR_NOERROR;
    }
    MMRESULT reset() override
    {
        if (auto f = state_->enter(Step::Reset)) return *f;
        if (!open_) return MMSYSERR_INVALHANDLE;
        started_ = false;
        queue_.returnAll();
        return MMSYSERR_NOERROR;
    }
    MMRESULT close() override
    {
        if (auto f = state_->enter(Step::Close)) return *f;
        if (!open_) return MMSYSERR_INVALHANDLE;
        if (queue_.queuedCount() != 0) return WAVERR_STILLPLAYING;
        open_ = false;
        started_ = false;
        if (state_->running == this) state_->running = nullptr;
        window_handles::PostMessage(window_, MM_WIM_CLOSE, self(), 0);
        return MMSYSERR_NOERROR;
    }

    size_t feed(const void* data, size_t bytes)
    {
        if (!started_) return 0;
        return queue_.fill(static_cast<const char*>(data), bytes);
    }
    bool fail(MMRESULT result) { return queue_.fail(result); }
    [[nodiscard]] bool started() const { return started_; }
    [[nodiscard]] size_t queued() const { return queue_.queuedCount(); }
    [[nodiscard]] size_t room() const { return queue_.room(); }

private:
    using Step = MemoryWaveInSource::Step;
    WPARAM self() { return reinterpret_cast<WPARAM>(static_cast<WaveInDevice*>(this)); }

    std::shared_ptr<MemoryWaveInSource::State> state_;
    wavein_detail::BufferQueue queue_;
    HWND window_ = 0;
    bool open_ = false;
    bool started_ = false;
};

MemoryWaveInSource::MemoryWaveInSource() : state_(std::make_shared<State>()) {}
MemoryWaveInSource::~MemoryWaveInSource() = default;

namespace {

std::unique_ptr<WaveInDevice> MakeDevice(const std::shared_ptr<MemoryWaveInSource::State>& state)
{
    if (state->enter(MemoryWaveInSource::Step::Create)) return nullptr;
    return std::make_unique<MemoryWaveIn>(state);
}

}  // namespace

std::unique_ptr<WaveInDevice> MemoryWaveInSource::createDevice() { return MakeDevice(state_); }

std::function<std::unique_ptr<WaveInDevice>()> MemoryWaveInSource::factory()
{
    // The devices keep the state alive; so does the factory, which may outlive us.
    return [state = state_] { return MakeDevice(state); };
}

size_t MemoryWaveInSource::feed(const void* data, size_t bytes)
{
    return state_->running ? state_->running->feed(data, bytes) : 0;
}

bool MemoryWaveInSource::fail(MMRESULT result) { return state_->running && state_->running->fail(result); }

void MemoryWaveInSource::failNext(Step step, MMRESULT result) { state_->failures[step] = result; }

bool MemoryWaveInSource::deviceOpen() const { return state_->running != nullptr; }
bool MemoryWaveInSource::deviceStarted() const { return state_->running && state_->running->started(); }
size_t MemoryWaveInSource::queuedBuffers() const { return state_->running ? state_->running->queued() : 0; }
size_t MemoryWaveInSource::room() const { return state_->running ? state_->running->room() : 0; }
WAVEFORMATEX MemoryWaveInSource::lastFormat() const { return state_->lastFormat; }
int MemoryWaveInSource::calls(Step step) const
{
    auto it = state_->calls.find(step);
    return it == state_->calls.end() ? 0 : it->second;
}
int MemoryWaveInSource::liveDevices() const { return state_->live; }
