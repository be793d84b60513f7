#include "voice_mix_settings.h"

#include "profile.h"
#include "program_messages.h"

#include <QObject>

#include <cmath>

namespace voice_mix {

namespace {

// Device names hold dots and colons but never "=" or "]": safe as a key.
std::string PairKey(const std::string& sink, const std::string& source) { return sink + "|" + source; }

}  // namespace

QString VoiceSourceName() { return program_messages::Text(program_messages::Id::VoiceSourceName); }

QStringList WithVoiceSource(QStringList sources)
{
    sources.removeAll(VoiceSourceName());
    sources.prepend(VoiceSourceName());
    return sources;
}

VoiceChoice ReadVoiceChoice(const std::string& configPath)
{
    VoiceChoice choice;
    choice.enabled = profile::ReadInteger(configPath, kSection, "voice_mix", 0) == 1;
    choice.source = profile::ReadString(configPath, kSection, "voice_source", "");
    choice.hearVoice = profile::ReadInteger(configPath, kSection, "hear_voice", 0) == 1;
    return choice;
}

void WriteVoiceChoice(const std::string& configPath, const VoiceChoice& choice)
{
    profile::WriteString(configPath, kSection, "voice_mix", choice.enabled ? "1" : "0");
    profile::WriteString(configPath, kSection, "voice_source", choice.source);
    profile::WriteString(configPath, kSection, "hear_voice", choice.hearVoice ? "1" : "0");
}

std::optional<double> ReadResidualMs(const std::string& configPath, const std::string& sink, const std::string& source)
{
    const std::string text = profile::ReadString(configPath, kLatencySection, PairKey(sink, source), "");
    if (text.empty()) return std::nullopt;
    const int micros = profile::ReadInteger(configPath, kLatencySection, PairKey(sink, source), INT32_MIN);
    if (micros == INT32_MIN) return std::nullopt;
    return micros / 1000.0;
}

void WriteResidualMs(const std::string& configPath, const std::string& sink, const std::string& source, double ms)
{
    profile::WriteString(configPath, kLatencySection, PairKey(sink, source), std::to_string(std::lround(ms * 1000)));
}

}  // namespace voice_mix
