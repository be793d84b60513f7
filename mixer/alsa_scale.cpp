#include "alsa_scale.h"

#include <algorithm>
#include <cctype>

namespace mixer {
namespace {

std::string Lower(const std::string& s)
{
    std::string out = s;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

}  // namespace

int32_t ScaleFromRange(long raw, long min, long max)
{
    if (max <= min) return 0;
    const long long span = static_cast<long long>(max) - min;
    const long long offset = std::clamp<long long>(static_cast<long long>(raw) - min, 0, span);
    return static_cast<int32_t>((offset * kLineVolumeMax + span / 2) / span);
}

long ScaleToRange(int32_t volume, long min, long max)
{
    if (max <= min) return min;
    const long long v = std::clamp<int32_t>(volume, 0, kLineVolumeMax);
    const long long span = static_cast<long long>(max) - min;
    return static_cast<long>(min + (v * span + kLineVolumeMax / 2) / kLineVolumeMax);
}

bool SameName(const std::string& a, const std::string& b)
{
    return Lower(a) == Lower(b);
}

bool IsStereoMixName(const std::string& name)
{
    static const char* const kExact[] = {"stereo mix", "mix", "mixer", "loopback",
                                         "what u hear", "wave out mix", "sum"};
    const std::string lower = Lower(name);
    for (const char* exact : kExact)
        if (lower == exact) return true;
    return lower.find("stereo mix") != std::string::npos || lower.find("loopback") != std::string::npos;
}

bool IsMicrophoneName(const std::string& name)
{
    // "Mic", "Front Mic", "Rear Mic", "Microphone" are microphone lines; "Mic Boost"
    // and "Mic Select" are amplifier and routing controls, not lines.
    const std::string lower = Lower(name);
    if (lower == "mic" || lower == "microphone") return true;
    const auto ends = [&](const std::string& tail) {
        return lower.size() > tail.size() && lower.compare(lower.size() - tail.size(), tail.size(), tail) == 0;
    };
    return ends(" mic") || ends(" microphone");
}

}  // namespace mixer
