#pragma once
// Shared by the meter tests: generated 16-bit stereo blocks and the program's settings.

#include "meter_renderer.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace meter_test {

// The settings the program stores for its 331 x 74 meter.
inline nim_visualization::MeterSettings ProgramSettings()
{
    nim_visualization::MeterSettings s;
    s.style = 0;
    s.HighPosition = 60;
    s.MidPosition = 30;
    s.TickWidth = 10;
    s.TickHeight = 1;
    s.TickSeparate = 1;
    return s;
}

// `frames` little-endian stereo frames; the left channel a full-scale sine exactly on
// spectrum bin `bin` of a 1024-point block, the right channel silent.
inline std::vector<uint8_t> SineOnLeft(int bin, size_t frames = 4096)
{
    std::vector<uint8_t> bytes(frames * 4, 0);
    for (size_t n = 0; n < frames; ++n) {
        const double phase = 2.0 * M_PI * double(bin) * double(n % 1024) / 1024.0;
        const auto sample = int16_t(std::lround(32767.0 * std::sin(phase)));
        bytes[n * 4] = uint8_t(uint16_t(sample) & 0xFF);
        bytes[n * 4 + 1] = uint8_t(uint16_t(sample) >> 8);
    }
    return bytes;
}

}  // namespace meter_test
