#include "first_sound.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace take_start {

namespace {

struct SimpleFree {
    void operator()(pa_simple* s) const
    {
        if (s) pa_simple_free(s);
    }
};
using SimplePtr = std::unique_ptr<pa_simple, SimpleFree>;

constexpr int kRate = 44100;
constexpr int kFragmentFrames = 220;  // 5 ms: the resolution of the figure
constexpr int kLoud = 1000;           // about -30 dBFS

}  // namespace

int64_t MonotonicNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

FirstSound::~FirstSound()
{
    running_ = false;
    if (reader_.joinable()) reader_.join();
}

bool FirstSound::Start(std::string* error)
{
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = kRate;
    spec.channels = 2;
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = kFragmentFrames * 4;
    int code = 0;
    SimplePtr stream(
        pa_simple_new(nullptr, "take_start", PA_STREAM_RECORD, nullptr, "first sound", &spec, nullptr, &attr, &code));
    if (!stream) {
        if (error) *error = pa_strerror(code);
        return false;
    }
    running_ = true;
    lastLoud_ = MonotonicNs();
    reader_ = std::thread([this, s = stream.release()] { Run(s); });
    return true;
}

void FirstSound::Arm()
{
    heard_ = -1;
}

bool FirstSound::WaitForSilence(int quietMs, int ms) const
{
    const int64_t until = MonotonicNs() + int64_t(ms) * 1'000'000;
    while (MonotonicNs() < until) {
        if (MonotonicNs() - lastLoud_.load() > int64_t(quietMs) * 1'000'000) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void FirstSound::Run(void* raw)
{
    SimplePtr stream(static_cast<pa_simple*>(raw));
    std::vector<int16_t> block(size_t(kFragmentFrames) * 2);
    while (running_) {
        int code = 0;
        if (pa_simple_read(stream.get(), block.data(), block.size() * sizeof(int16_t), &code) < 0) break;
        const int64_t now = MonotonicNs();
        for (size_t i = 0; i < block.size(); ++i) {
            if (std::abs(int(block[i])) < kLoud) continue;
            // The frame was captured this long before the read returned.
            const int64_t frame = now - int64_t(kFragmentFrames - int(i / 2)) * 1'000'000'000 / kRate;
            lastLoud_ = now;
            int64_t none = -1;
            heard_.compare_exchange_strong(none, frame);
            break;
        }
    }
}

}  // namespace take_start
