#pragma once
// The recorder settings as config.ini stores them (list indexes), the tables that turn
// the indexes into the values the main window works with, and the buffer size rule.

#include <QString>

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

// The buffer sizes the capture control can use.
inline constexpr int32_t kMinBufferSize = 1024;
inline constexpr int32_t kMaxBufferSize = 16 * 1024 * 1024;

// config.ini's recorder keys, as stored (indexes may lie outside their tables).
struct StoredSettings {
    int32_t driver = 0;
    int32_t frequency = 7;
    int32_t channels = 1;
    int32_t bitsPerSample = 1;
    int32_t bitrate = 8;
    QString folder;
    int32_t bufferSize = 16384;
    bool autoRun = false;
    bool autoConfig = true;
};

// The main window's working values.
struct WorkingValues {
    int32_t mixerIndex = 0;
    int32_t samplesPerSec = 44100;
    int32_t channels = 2;
    int32_t bitsPerSample = 16;
    int32_t mp3BitRate = 128;
    bool autoConfig = true;
};

// Reads the keys with their defaults; every call opens the file anew.
[[nodiscard]] StoredSettings Read(const std::string& configPath);
// Writes driver, frequency, channels, bitsPerSample, bitrate, folder, buffer_size,
// autoRun, autoConfig in this order. A failing write raises profile::WriteError
// ("Unable to write to <path>"); the keys before it stay written.
void Write(const std::string& configPath, const StoredSettings& settings);

// The values through the tables; an index outside its table gives the table's
// default entry (44100, 2, 16, 128). The driver index is handed over unchanged.
[[nodiscard]] WorkingValues ToWorkingValues(const StoredSettings& settings);

// The buffer size box's text as a number. Text that is not a decimal signed 32-bit
// integer raises ProgramError "'<text>' is not a valid integer value"; a number
// outside kMinBufferSize ... kMaxBufferSize raises ProgramError naming the range.
[[nodiscard]] int32_t ParseBufferSize(const QString& text);

}  // namespace recorder_settings
