#pragma once
// The voice take's choices as config.ini keeps them, in [recorder_setting]: `voice_mix`
// (1: the recording source is "Voice and accompaniment"), `voice_source` (the microphone;
// empty: the default one), `hear_voice` (1: "Hear my voice while singing"); and in
// [voice_latency] one residual per output and input pair, in microseconds.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace voice_mix {

inline constexpr const char* kSection = "recorder_setting";
inline constexpr const char* kLatencySection = "voice_latency";

// The source dialog's entry for this source, which it lists first.
[[nodiscard]] QString VoiceSourceName();
// `sources` as the source dialog lists them, with "Voice and accompaniment" first.
[[nodiscard]] QStringList WithVoiceSource(QStringList sources);

struct VoiceChoice {
    bool enabled = false;
    std::string source;
    bool hearVoice = false;
};
[[nodiscard]] VoiceChoice ReadVoiceChoice(const std::string& configPath);
// Raises profile::WriteError when config.ini cannot be written.
void WriteVoiceChoice(const std::string& configPath, const VoiceChoice& choice);

// The calibrated residual for the pair, in milliseconds; nothing when never measured.
[[nodiscard]] std::optional<double> ReadResidualMs(const std::string& configPath, const std::string& sink,
                                                   const std::string& source);
void WriteResidualMs(const std::string& configPath, const std::string& sink, const std::string& source, double ms);

}  // namespace voice_mix
