#pragma once
// The recorder settings as config.ini stores them (list indexes) and the tables that
// turn the indexes into the values the main window works with.

#include <array>
#include <cstdint>
#include <string>

namespace recorder_settings {

inline constexpr std::array<int32_t, 11> kSampleRates{8000, 11025, 12000, 16000, 22050, 24000,
                                                      32000, 44100, 48000, 88200, 96000};
inline constexpr std::array<const char*, 11> kSampleRateTexts{
    "8000   hertz", "11025 hertz", "12000 hertz", "16000 hertz", "22050 hertz", "24000 hertz",
    "32000 hertz",  "44100 hertz", "48000 hertz", "88200 hertz", "96000 hertz"};
inline constexpr std::array<int32_t, 2> kChannels{1, 2};
inline constexpr std::array<const char*, 2> kChannelTexts{"MONO", "STEREO"};
inline constexpr std::array<int32_t, 2> kBitsPerSample{8, 16};
inline constexpr std::array<const char*, 2> kBitsPerSampleTexts{"8 bits per sample ", "16 bits per sample "};
inline constexpr std::array<int32_t, 14> kMp3BitRates{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
inline constexpr std::array<const char*, 14> kMp3BitRateTexts{
    "32Kbps", "40Kbps", "48Kbps", "56Kbps", "64Kbps", "80Kbps", "96Kbps",
    "112Kbps", "128Kbps", "160Kbps", "192Kbps", "224Kbps", "256Kbps", "320Kbps"};

// The main window's working values.
struct WorkingValues {
    int32_t mixerIndex = 0;
    int32_t samplesPerSec = 44100;
    int32_t channels = 2;
    int32_t bitsPerSample = 16;
    int32_t mp3BitRate = 128;
    bool autoConfig = true;
};

// Reads section recorder_setting, wav and mp3 of config.ini with their defaults; an
// index outside its table reads as the key's default.
[[nodiscard]] WorkingValues Load(const std::string& configPath);

}  // namespace recorder_settings
