#include "recorder_settings.h"

#include "profile.h"

namespace recorder_settings {
namespace {

template <size_t N>
int32_t FromTable(const std::array<int32_t, N>& table, int index, int fallbackIndex)
{
    if (index < 0 || static_cast<size_t>(index) >= N) index = fallbackIndex;
    return table[static_cast<size_t>(index)];
}

}  // namespace

WorkingValues Load(const std::string& configPath)
{
    WorkingValues v;
    v.mixerIndex = profile::ReadInteger(configPath, "recorder_setting", "driver", 0);
    v.autoConfig = profile::ReadInteger(configPath, "recorder_setting", "autoConfig", 1) != 0;
    v.samplesPerSec = FromTable(kSampleRates, profile::ReadInteger(configPath, "wav", "frequency", 7), 7);
    v.channels = FromTable(kChannels, profile::ReadInteger(configPath, "wav", "channels", 1), 1);
    v.bitsPerSample = FromTable(kBitsPerSample, profile::ReadInteger(configPath, "wav", "bitsPerSample", 1), 1);
    v.mp3BitRate = FromTable(kMp3BitRates, profile::ReadInteger(configPath, "mp3", "bitrate", 8), 8);
    return v;
}

}  // namespace recorder_settings
