// The program's binding to the three mixer libraries it links against.

#include "mixer_exports.h"
#include "mixer_interfaces.h"
#include "alsa_mixer.h"
#include "pulse_connection.h"
#include "pulse_watch.h"

#include <chrono>
#include <future>

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
    void GetEndPointId(int32_t endpoint, char16_t* buffer) override { ::GetEndPointId(endpoint, buffer); }
};

// How long the one check "a sound server answers" may take. It runs off the UI thread
// from the start, so only a first show that comes very early waits for the rest of it;
// a missing server answers at once, only a hung one takes this long.
constexpr auto kServerCheckLimit = std::chrono::milliseconds(1000);

class LinkedLibraries final : public IMixerLibraries {
public:
    // The check starts with the libraries, on a thread of its own, so the first show
    // of the main window finds it done.
    LinkedLibraries() : serverCheck_(std::async(std::launch::async, [] { return PulseServerAnswers(kServerCheckLimit); })) {}

    bool IsVistaOrLater() override
    {
        if (serverCheck_.valid()) serverAnswers_ = serverCheck_.get();
        return serverAnswers_;
    }
    INimAudioMixerXP& XP() override { return xp_; }
    INimAudioMixerXPPlay& XPPlay() override { return xpPlay_; }
    INimAudioMixerVista& Vista() override { return vista_; }
    std::string CaptureDevice(int32_t mixer) override
    {
        // The card's hardware device through ALSA's format conversion.
        const std::string device = CardDevice(mixer);
        return device.empty() ? device : "plug" + device;
    }
    std::unique_ptr<SourceWatch> WatchSources(std::function<void(SourceEvent)> changed) override
    {
        return std::make_unique<PulseSourceWatch>(std::move(changed));
    }

private:
    std::future<bool> serverCheck_;
    bool serverAnswers_ = false;
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
