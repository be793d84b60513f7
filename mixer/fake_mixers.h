#pragma once
// Mixers that do no I/O, for tests of the program's mixer steps: the state of each
// card and endpoint is plain data the test sets up and reads back, and every call
// that changes something is logged in order ("SetLineVolume(0,2,30000)").
// They keep the real libraries' rules: one selected line per card, volumes clamped
// to their scale, out-of-range indexes read as 0 / -1 / "" and ignore writes.

#include "mixer_interfaces.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mixer {

struct FakeLine {
    std::string name;
    bool enabled = true;
    bool selected = false;
    int32_t volume = 0;  // 0 ... 65535
};

struct FakeCard {
    std::string name;
    std::vector<FakeLine> lines;          // recording lines
    int32_t stereoLine = -1;              // GetStereoLineNumber
    std::vector<int32_t> playbackVolumes; // playback lines' volumes
    int32_t micPlaybackLine = -1;         // GetWaveOutMicLineNumber
    bool micMuted = false;
    std::string captureDevice{};          // CaptureDevice
};

struct FakeEndpoint {
    std::string name;
    bool isDefault = false;
    int32_t volume = 0;  // 0 ... 100
    std::string id{};    // GetEndPointId; the name when empty
};

struct FakeMixerState {
    std::vector<FakeCard> cards;
    std::vector<FakeEndpoint> endpoints;
    std::vector<std::string> calls;  // the changing calls, in order
};

class FakeMixerXP final : public INimAudioMixerXP {
public:
    explicit FakeMixerXP(FakeMixerState& state) : s_(state) {}
    int32_t GetDriverCount() override;
    void GetDriverName(int32_t index, char16_t* buffer) override;
    int32_t GetLineCount(int32_t mixer) override;
    void GetLineName(int32_t mixer, int32_t line, char16_t* buffer) override;
    int32_t IsLineEnable(int32_t mixer, int32_t line) override;
    int32_t GetLineSelected(int32_t mixer, int32_t line) override;
    void SetLineSelected(int32_t mixer, int32_t line) override;
    int32_t GetLineVolume(int32_t mixer, int32_t line) override;
    void SetLineVolume(int32_t mixer, int32_t line, int32_t volume) override;
    int32_t GetStereoLineNumber(int32_t mixer) override;

private:
    FakeMixerState& s_;
};

class FakeMixerXPPlay final : public INimAudioMixerXPPlay {
public:
    explicit FakeMixerXPPlay(FakeMixerState& state) : s_(state) {}
    int32_t GetWaveOutMicLineNumber(int32_t mixer) override;
    int32_t GetWaveOutLineVolume(int32_t mixer, int32_t line) override;
    void SetWaveOutLineVolume(int32_t mixer, int32_t line, int32_t volume) override;
    int32_t GetMicrophoneMute(int32_t mixer) override;
    void SetMicrophoneMute(int32_t mixer, int32_t mute) override;

private:
    FakeMixerState& s_;
};

class FakeMixerVista final : public INimAudioMixerVista {
public:
    explicit FakeMixerVista(FakeMixerState& state) : s_(state) {}
    int32_t GetEndPointCount() override;
    void GetEndPointName(int32_t endpoint, char16_t* buffer) override;
    int32_t GetEndPointSelected(int32_t endpoint) override;
    int32_t GetEndPointVolume(int32_t endpoint) override;
    void SetEndPointVolume(int32_t endpoint, int32_t volume) override;
    void GetEndPointId(int32_t endpoint, char16_t* buffer) override;

private:
    FakeMixerState& s_;
};

class FakeMixerLibraries final : public IMixerLibraries {
public:
    explicit FakeMixerLibraries(bool newerMixer = false) : newer(newerMixer) {}
    bool IsVistaOrLater() override { return newer; }
    INimAudioMixerXP& XP() override { return xp; }
    INimAudioMixerXPPlay& XPPlay() override { return xpPlay; }
    INimAudioMixerVista& Vista() override { return vista; }
    std::string CaptureDevice(int32_t mixer) override;
    // A watch that NotifySources reaches while it lives.
    std::unique_ptr<SourceWatch> WatchSources(std::function<void(SourceEvent)> changed) override;
    // What the server would report: every live watch hears it, on the caller's thread.
    void NotifySources(SourceEvent event);
    [[nodiscard]] size_t watchCount() const { return watchers_->size(); }

    bool newer;
    FakeMixerState state;
    FakeMixerXP xp{state};
    FakeMixerXPPlay xpPlay{state};
    FakeMixerVista vista{state};

private:
    using Watchers = std::vector<std::pair<int, std::function<void(SourceEvent)>>>;
    std::shared_ptr<Watchers> watchers_ = std::make_shared<Watchers>();
    int nextWatch_ = 0;
};

}  // namespace mixer
