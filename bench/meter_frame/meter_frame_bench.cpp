// Live meter frames per CPU second at 331 x 74 with the program's settings: each frame
// copies the sample buffer, runs two 1024-point transforms, draws the bars and copies
// the picture through a painter, as the control's widget does. The copy alone is
// measured in the same run as the floor no frame can go below.
#include "meter_renderer.h"
#include "meter_widget.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace nim_visualization;

namespace {

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Calls `step` until at least `seconds` of CPU time have passed; answers CPU seconds
// per call.
template <class Step>
double SecondsPerCall(double seconds, Step step)
{
    for (int i = 0; i < 50; ++i) step();  // warm up
    long calls = 0;
    const double start = CpuSeconds();
    double elapsed = 0;
    do {
        for (int i = 0; i < 100; ++i) step();
        calls += 100;
        elapsed = CpuSeconds() - start;
    } while (elapsed < seconds);
    return elapsed / double(calls);
}

// A block of singing-like sound: a few partials on each channel and some noise.
std::vector<uint8_t> Block(unsigned seed)
{
    std::vector<uint8_t> bytes(16384);
    unsigned noise = seed;
    for (size_t n = 0; n < bytes.size() / 4; ++n) {
        noise = noise * 1103515245u + 12345u;
        const double t = double(n) / 44100.0;
        const double left = 9000 * std::sin(2 * M_PI * 440 * t) + 4000 * std::sin(2 * M_PI * 1320 * t);
        const double right = 7000 * std::sin(2 * M_PI * 660 * t) + 3000 * std::sin(2 * M_PI * 2200 * t);
        const double hiss = double(int(noise >> 16) % 2000 - 1000);
        const auto l = int16_t(std::lround(left + hiss));
        const auto r = int16_t(std::lround(right - hiss));
        bytes[n * 4] = uint8_t(uint16_t(l));
        bytes[n * 4 + 1] = uint8_t(uint16_t(l) >> 8);
        bytes[n * 4 + 2] = uint8_t(uint16_t(r));
        bytes[n * 4 + 3] = uint8_t(uint16_t(r) >> 8);
    }
    return bytes;
}

}  // namespace

int main()
{
    // Painting into an image needs no application object or display.
    constexpr int kW = 331, kH = 74;
    const MeterRect bounds{0, 0, kW, kH};

    QImage screen(kW, kH, QImage::Format_RGB32);
    QPainter painter(&screen);
    PainterTarget target(painter);

    const std::vector<uint8_t> blocks[2] = {Block(1), Block(2)};
    const auto liveFrames = [&](int32_t style) {
        MeterRenderer meter;
        meter.settings() = {style, 60, 30, 10, 1, 1};
        meter.setStarted(true);
        unsigned frame = 0;
        return SecondsPerCall(1.0, [&] {
            const auto& block = blocks[++frame & 1];
            (void)meter.sampleBuffer().Write(block.data(), block.size());
            meter.OnDraw(target, bounds);
        });
    };

    const double barsFrame = liveFrames(0);
    const double envelopeFrame = liveFrames(1);

    RasterSurface picture;
    if (!picture.Resize(kW, kH)) return 1;
    const double copyAlone = SecondsPerCall(1.0, [&] { (void)target.Show(picture, 0, 0); });

    std::printf("meter_frame: envelope (style 1) %.0f frames per cpu second\n", 1.0 / envelopeFrame);
    std::printf("meter_frame: copy alone %.1f us, bars frame %.1f us (%.1f copies' worth)\n", copyAlone * 1e6,
                barsFrame * 1e6, barsFrame / copyAlone);
    std::printf("meter_frame: %.0f frames per cpu second at 331 x 74 (goal >= 5000)\n", 1.0 / barsFrame);
    return 0;
}
