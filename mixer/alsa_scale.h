#pragma once
// Pure helpers of the ALSA mixer libraries: the 0 ... 65535 volume scale over an
// element's own range, and the names that mark a card's stereo-mix capture line.

#include <cstdint>
#include <string>

namespace mixer {

constexpr int32_t kLineVolumeMax = 65535;

// An element value in [min, max] on the 0 ... 65535 scale (rounded); 0 for an empty range.
[[nodiscard]] int32_t ScaleFromRange(long raw, long min, long max);
// A 0 ... 65535 volume (clamped first) as an element value in [min, max] (rounded).
[[nodiscard]] long ScaleToRange(int32_t volume, long min, long max);

// True for the names of capture lines that record what the card plays:
// "Stereo Mix", "Mix", "Mixer", "Loopback", "What U Hear", "Wave Out Mix", "Sum"
// (case-insensitive), or any name containing "stereo mix" or "loopback".
[[nodiscard]] bool IsStereoMixName(const std::string& name);
// True for the names of a microphone line: "Mic", "Microphone", or names ending in
// " Mic" / " Microphone" ("Front Mic"); not "Mic Boost" or "Mic Select".
[[nodiscard]] bool IsMicrophoneName(const std::string& name);
// Case-insensitive equality of ASCII names.
[[nodiscard]] bool SameName(const std::string& a, const std::string& b);

}  // namespace mixer
