#include "monitor_capture.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <cmath>
#include <memory>

namespace player_test {

namespace {

struct SimpleFree {
    void operator()(pa_simple* s) const
    {
        if (s) pa_simple_free(s);
    }
};
using SimplePtr = std::unique_ptr<pa_simple, SimpleFree>;

}  // namespace

MonitorCapture::~MonitorCapture()
{
    stop();
}

bool MonitorCapture::start(std::string* error)
{
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_FLOAT32LE;
    spec.rate = kRate;
    spec.channels = 2;
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = 4096;
    int code = 0;
    SimplePtr stream(pa_simple_new(nullptr, "player test", PA_STREAM_RECORD, nullptr, "monitor", &spec, nullptr,
                                   &attr, &code));
    if (!stream) {
        if (error) *error = pa_strerror(code);
        return false;
    }
    running_ = true;
    reader_ = std::thread([this, s = stream.release()] { run(s); });
    return true;
}

void MonitorCapture::run(void* raw)
{
    SimplePtr stream(static_cast<pa_simple*>(raw));
    std::vector<float> block(1024);
    while (running_) {
        int code = 0;
        if (pa_simple_read(stream.get(), block.data(), block.size() * sizeof(float), &code) < 0) break;
        std::lock_guard<std::mutex> lock(mutex_);
        samples_.insert(samples_.end(), block.begin(), block.end());
    }
}

void MonitorCapture::stop()
{
    running_ = false;
    if (reader_.joinable()) reader_.join();
}

std::vector<float> MonitorCapture::samples() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
}

double ToneLevel(const std::vector<float>& stereo, int channel, double hz, size_t first, size_t count)
{
    const size_t frames = stereo.size() / 2;
    if (first >= frames) return 0.0;
    if (first + count > frames) count = frames - first;
    if (count == 0) return 0.0;
    const double w = 2.0 * M_PI * hz / MonitorCapture::kRate;
    double re = 0.0;
    double im = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double x = stereo[2 * (first + i) + channel];
        re += x * std::cos(w * static_cast<double>(i));
        im -= x * std::sin(w * static_cast<double>(i));
    }
    return 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(count);
}

size_t FirstSoundingFrame(const std::vector<float>& stereo, float threshold)
{
    const size_t frames = stereo.size() / 2;
    for (size_t i = 0; i < frames; ++i)
        if (std::fabs(stereo[2 * i]) > threshold || std::fabs(stereo[2 * i + 1]) > threshold) return i;
    return frames;
}

size_t LastSoundingFrame(const std::vector<float>& stereo, float threshold)
{
    for (size_t i = stereo.size() / 2; i > 0; --i)
        if (std::fabs(stereo[2 * i - 2]) > threshold || std::fabs(stereo[2 * i - 1]) > threshold) return i - 1;
    return 0;
}

}  // namespace player_test
