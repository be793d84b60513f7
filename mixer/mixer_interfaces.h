#pragma once
// What the program sees of the three mixer libraries: one abstract class per library,
// with exactly that library's functions, and the set of all three with the test that
// picks a generation. The program holds an IMixerLibraries; the real one calls the
// linked libraries, FakeMixerLibraries (fake_mixers.h) stands in for them in tests.
// Names are NUL-terminated UTF-16 in the caller's buffer (name_buffer.h gives the sizes).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace mixer {

// NimAudioMixerXP: recording lines of mixer devices. Volumes 0 ... 65535.
class INimAudioMixerXP {
public:
    virtual ~INimAudioMixerXP() = default;
    virtual int32_t GetDriverCount() = 0;
    virtual void GetDriverName(int32_t index, char16_t* buffer) = 0;  // 64 bytes
    virtual int32_t GetLineCount(int32_t mixer) = 0;
    virtual void GetLineName(int32_t mixer, int32_t line, char16_t* buffer) = 0;  // 128 bytes
    virtual int32_t IsLineEnable(int32_t mixer, int32_t line) = 0;
    virtual int32_t GetLineSelected(int32_t mixer, int32_t line) = 0;
    virtual void SetLineSelected(int32_t mixer, int32_t line) = 0;
    virtual int32_t GetLineVolume(int32_t mixer, int32_t line) = 0;
    virtual void SetLineVolume(int32_t mixer, int32_t line, int32_t volume) = 0;
    virtual int32_t GetStereoLineNumber(int32_t mixer) = 0;
};

// NimAudioMixerXPPlay: the playback side of mixer devices. Volumes 0 ... 65535.
class INimAudioMixerXPPlay {
public:
    virtual ~INimAudioMixerXPPlay() = default;
    virtual int32_t GetWaveOutMicLineNumber(int32_t mixer) = 0;
    virtual int32_t GetWaveOutLineVolume(int32_t mixer, int32_t line) = 0;
    virtual void SetWaveOutLineVolume(int32_t mixer, int32_t line, int32_t volume) = 0;
    virtual int32_t GetMicrophoneMute(int32_t mixer) = 0;  // 1 = muted
    virtual void SetMicrophoneMute(int32_t mixer, int32_t mute) = 0;
};

// NimAudioMixerVista: capture endpoints of the sound server. Volumes 0 ... 100.
class INimAudioMixerVista {
public:
    virtual ~INimAudioMixerVista() = default;
    virtual int32_t GetEndPointCount() = 0;
    virtual void GetEndPointName(int32_t endpoint, char16_t* buffer) = 0;  // 128 bytes
    virtual int32_t GetEndPointSelected(int32_t endpoint) = 0;  // 1 = the default source
    virtual int32_t GetEndPointVolume(int32_t endpoint) = 0;
    virtual void SetEndPointVolume(int32_t endpoint, int32_t volume) = 0;
    // The endpoint's identity on the server: the PulseAudio source name
    // ("chorvane_test.monitor"), what config.ini keeps as the chosen source.
    virtual void GetEndPointId(int32_t endpoint, char16_t* buffer) = 0;  // 128 bytes
};

// What the sound server reported about its sources.
enum class SourceEvent {
    ListChanged,    // a source came or went, the default source changed, the server came back
    VolumeChanged,  // a source's volume or mute changed
};

// A subscription to the server's source events; ends when destroyed.
class SourceWatch {
public:
    virtual ~SourceWatch() = default;
};

class IMixerLibraries {
public:
    virtual ~IMixerLibraries() = default;
    // True when a Pulse-compatible sound server answers: the newer path (endpoints);
    // false selects the older path (mixer lines).
    // Asked once per run: the real libraries decide at start, off the UI thread, and
    // answer every later call from memory.
    virtual bool IsVistaOrLater() = 0;
    virtual INimAudioMixerXP& XP() = 0;
    virtual INimAudioMixerXPPlay& XPPlay() = 0;
    virtual INimAudioMixerVista& Vista() = 0;
    // The ALSA capture device of the mixer's card ("plughw:N"), for recording when no
    // sound server answers; empty when the index names no card.
    [[nodiscard]] virtual std::string CaptureDevice(int32_t mixer) = 0;
    // Calls `changed` (on a thread of the watch's own; it must only hand the news on)
    // for each source event of the sound server. nullptr when there is nothing to watch.
    [[nodiscard]] virtual std::unique_ptr<SourceWatch> WatchSources(std::function<void(SourceEvent)> changed) = 0;
};

// The three linked libraries.
[[nodiscard]] std::unique_ptr<IMixerLibraries> LinkedMixerLibraries();

}  // namespace mixer
