#pragma once
// The sound server's sources (capture endpoints, monitors included), the default
// source, and source volumes in percent of the nominal volume.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mixer {

class PulseConnection;

struct SourceEntry {
    uint32_t index = 0;        // the server's index
    std::string name;          // e.g. "chorvane_test.monitor"
    std::string description;   // e.g. "Monitor of Null Output"
    int32_t percent = 0;       // loudest channel, 0 ... 100
};

// The sources in the server's index order; nullopt when the server did not answer.
[[nodiscard]] std::optional<std::vector<SourceEntry>> ListSources(PulseConnection& connection);
// The default source's name; nullopt when the server did not answer.
[[nodiscard]] std::optional<std::string> DefaultSourceName(PulseConnection& connection);
// Sets the source to `percent` (clamped to 0 ... 100) of the nominal volume, keeping
// the balance between its channels. False when the server refused or did not answer.
[[nodiscard]] bool SetSourcePercent(PulseConnection& connection, uint32_t index, int32_t percent);

// Percent of the nominal volume for a raw volume, rounded, at most 100; and back.
[[nodiscard]] int32_t PercentOfVolume(uint32_t volume);
[[nodiscard]] uint32_t VolumeOfPercent(int32_t percent);

}  // namespace mixer
