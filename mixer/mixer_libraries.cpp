// The program's binding to the three mixer libraries it links against.

#include "mixer_exports.h"
#include "mixer_interfaces.h"
#include "pulse_connection.h"

namespace mixer {
namespace {

class LinkedXP final : public INimAudioMixerXP {
public:
    int32_t GetDriverCount() override { return ::GetDriverCount(); }
    void GetDriverName(int32_t index, char16_t* buffer) override { ::GetDriverName(index, buffer); }
    int32_t GetLineCount(int32_t mixer) override { return ::GetLineCount(mixer); }
    void GetLineName(int32_t mixer, int32_t line, char16_t* buffer) override { ::GetLineName(mixer, line, buffer); }
    int32_t IsLineEnable(int32_t mixer, int32_t line) override { return ::IsLineEnable(mixer, line); }
    int32_t GetLineSelected(int32_t mixer, int32_t line) override { return ::GetLineSelected(mixer, line); }
    void SetLineSelected(int32_t mixer, int32_t line) override { ::SetLineSelected(mixer, line); }
    int32_t GetLineVolume(int32_t mixer, int32_t line) override { return ::GetLineVolume(mixer, line); }
    void SetLineVolume(int32_t mixer, int32_t line, int32_t volume) override { ::SetLineVolume(mixer, line, volume); }
    int32_t GetStereoLineNumber(int32_t mixer) override { return ::GetStereoLineNumber(mixer); }
};

class LinkedXPPlay final : public INimAudioMixerXPPlay {
public:
    int32_t GetWaveOutMicLineNumber(int32_t mixer) override { return ::GetWaveOutMicLineNumber(mixer); }
    int32_t GetWaveOutLineVolume(int32_t mixer, int32_t line) override { return ::GetWaveOutLineVolume(mixer, line); }
    void SetWaveOutLineVolume(int32_t mixer, int32_t line, int32_t volume) override
    {
        ::SetWaveOutLineVolume(mixer, line, volume);
    }
    int32_t GetMicrophoneMute(int32_t mixer) override { return ::GetMicrophoneMute(mixer); }
    void SetMicrophoneMute(int32_t mixer, int32_t mute) override { ::SetMicrophoneMute(mixer, mute); }
};

class LinkedVista final : public INimAudioMixerVista {
public:
    int32_t GetEndPointCount() override { return ::GetEndPointCount(); }
    void GetEndPointName(int32_t endpoint, char16_t* buffer) override { ::GetEndPointName(endpoint, buffer); }
    int32_t GetEndPointSelected(int32_t endpoint) override { return ::GetEndPointSelected(endpoint); }
    int32_t GetEndPointVolume(int32_t endpoint) override { return ::GetEndPointVolume(endpoint); }
    void SetEndPointVolume(int32_t endpoint, int32_t volume) override { ::SetEndPointVolume(endpoint, volume); }
};

class LinkedLibraries final : public IMixerLibraries {
public:
    bool IsVistaOrLater() override { return PulseServerAnswers(); }
    INimAudioMixerXP& XP() override { return xp_; }
    INimAudioMixerXPPlay& XPPlay() override { return xpPlay_; }
    INimAudioMixerVista& Vista() override { return vista_; }

private:
    LinkedXP xp_;
    LinkedXPPlay xpPlay_;
    LinkedVista vista_;
};

}  // namespace

std::unique_ptr<IMixerLibraries> LinkedMixerLibraries()
{
    return std::make_unique<LinkedLibraries>();
}

}  // namespace mixer
