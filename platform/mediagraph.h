#pragma once
// The playback graph the player wraps: one graph plays one media file over GStreamer's
// playbin. Its parts are obtained through the six queries of GraphBuilder, each a shared
// reference to the same graph. Times are in 100-nanosecond units; volume and balance in
// hundredths of a decibel. Every call is made on the UI thread; the graph's streaming
// threads only queue events and hand video frames over.

#include "automation.h"

#include <cstdint>
#include <memory>
#include <string>

namespace mediagraph {

using REFERENCE_TIME = int64_t;  // 100-nanosecond units
using OAFilterState = LONG;
using OAHWND = HWND;
using LONG_PTR = intptr_t;

constexpr OAFilterState State_Stopped = 0;
constexpr OAFilterState State_Paused = 1;
constexpr OAFilterState State_Running = 2;

constexpr LONG OATRUE = -1;
constexpr LONG OAFALSE = 0;

// Result codes with their Windows values.
constexpr HRESULT VFW_S_STATE_INTERMEDIATE = 0x00040237;
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);
constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216);
constexpr HRESULT VFW_E_CANNOT_RENDER = static_cast<HRESULT>(0x80040218);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = static_cast<HRESULT>(0x80040265);
constexpr HRESULT VFW_E_WRONG_STATE = static_cast<HRESULT>(0x80040227);

// Event codes.
constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_ERRORABORT = 0x03;

// Seeking flags.
constexpr DWORD AM_SEEKING_NoPositioning = 0x0;
constexpr DWORD AM_SEEKING_AbsolutePositioning = 0x1;
constexpr DWORD AM_SEEKING_PositioningBitsMask = 0x3;
constexpr DWORD AM_SEEKING_SeekToKeyFrame = 0x4;

// The graph event message a notification window receives (WM_APP + 1).
constexpr UINT WM_GRAPHNOTIFY = 0x8001;

// Volume and balance limits.
constexpr LONG kSilentVolume = -10000;
constexpr LONG kFullVolume = 0;
constexpr LONG kBalanceLeftOnly = -10000;
constexpr LONG kBalanceRightOnly = 10000;

enum class TimeFormat { MediaTime };

class MediaControl {
public:
    virtual ~MediaControl() = default;
    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Stop() = 0;
    // Waits at most timeoutMs for a change in progress. S_OK with the state reached, or
    // VFW_S_STATE_INTERMEDIATE with the state being entered.
    virtual HRESULT GetState(LONG timeoutMs, OAFilterState* state) = 0;
};

class MediaEventEx {
public:
    virtual ~MediaEventEx() = default;
    // Every event queued afterwards posts `message` (wParam 0, lParam `instance`) to the
    // window. Window 0 stops the notifications.
    virtual HRESULT SetNotifyWindow(OAHWND window, UINT message, LONG_PTR instance) = 0;
    // Takes the oldest event; E_ABORT when none arrived within timeoutMs.
    virtual HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) = 0;
    virtual HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
};

class BasicVideo {
public:
    virtual ~BasicVideo() = default;
    virtual HRESULT GetVideoSize(LONG* width, LONG* height) = 0;
};

class BasicAudio {
public:
    virtual ~BasicAudio() = default;
    // -10000 (silence) .. 0 (full); E_INVALIDARG outside, nothing changed.
    virtual HRESULT put_Volume(LONG volume) = 0;
    virtual HRESULT get_Volume(LONG* volume) = 0;
    // -10000 .. 10000: the channel away from the balance is attenuated by |balance|/100 dB
    // (silent at the ends); the near channel keeps its level. E_INVALIDARG outside.
    virtual HRESULT put_Balance(LONG balance) = 0;
    virtual HRESULT get_Balance(LONG* balance) = 0;
};

class VideoWindow {
public:
    virtual ~VideoWindow() = default;
    virtual HRESULT put_Visible(LONG visible) = 0;
    // The window the video is painted into, by handle; 0 leaves it without owner.
    virtual HRESULT put_Owner(OAHWND owner) = 0;
    virtual HRESULT put_Left(LONG left) = 0;
    virtual HRESULT put_Top(LONG top) = 0;
    virtual HRESULT put_Width(LONG width) = 0;
    virtual HRESULT put_Height(LONG height) = 0;
    virtual HRESULT put_WindowStyle(LONG style) = 0;
    // Mouse and keyboard input on the video goes to this window.
    virtual HRESULT put_MessageDrain(OAHWND drain) = 0;
    virtual HRESULT put_FullScreenMode(LONG mode) = 0;
    virtual HRESULT get_FullScreenMode(LONG* mode) = 0;
};

class MediaSeeking {
public:
    virtual ~MediaSeeking() = default;
    virtual HRESULT SetTimeFormat(TimeFormat format) = 0;
    virtual HRESULT GetCurrentPosition(REFERENCE_TIME* position) = 0;
    virtual HRESULT GetDuration(REFERENCE_TIME* duration) = 0;
    // Only absolute positioning of the current position is offered; a stop position
    // other than AM_SEEKING_NoPositioning gives E_NOTIMPL.
    virtual HRESULT SetPositions(REFERENCE_TIME* current, DWORD currentFlags, REFERENCE_TIME* stop,
                                 DWORD stopFlags) = 0;
};

class GraphBuilder {
public:
    virtual ~GraphBuilder() = default;
    // Builds the graph for a file (UTF-8 path) and cues it, stopped. On failure the reason
    // has gone to standard error, once, and the graph plays nothing: VFW_E_NOT_FOUND for a
    // file that is not there, VFW_E_UNSUPPORTED_STREAM or VFW_E_CANNOT_RENDER for one that
    // cannot be decoded, E_FAIL when GStreamer gave no reason. No event is queued for it.
    virtual HRESULT RenderFile(const std::string& file) = 0;
    // Why the file could not be opened, or the error that stopped its playback (the one
    // EC_ERRORABORT stands for), in the user's words and without the file's path; empty
    // when there was none.
    [[nodiscard]] virtual std::string ErrorText() = 0;

    virtual HRESULT QueryMediaControl(std::shared_ptr<MediaControl>* out) = 0;
    virtual HRESULT QueryMediaEvent(std::shared_ptr<MediaEventEx>* out) = 0;
    virtual HRESULT QueryBasicVideo(std::shared_ptr<BasicVideo>* out) = 0;
    virtual HRESULT QueryBasicAudio(std::shared_ptr<BasicAudio>* out) = 0;
    virtual HRESULT QueryVideoWindow(std::shared_ptr<VideoWindow>* out) = 0;
    virtual HRESULT QueryMediaSeeking(std::shared_ptr<MediaSeeking>* out) = 0;
};

// Initialises GStreamer once per process; later calls do nothing.
void EnsureInitialized();

// Creates an empty graph. Call on the UI thread. E_FAIL when playbin is not installed.
[[nodiscard]] HRESULT CreateFilterGraph(std::shared_ptr<GraphBuilder>* graph);

// The linear gains a balance and volume give the two channels.
struct ChannelGains {
    float left;
    float right;
};
[[nodiscard]] ChannelGains GainsFor(LONG volume, LONG balance);

// How each output channel is made from the two input channels:
// left out = leftFromLeft * left in + leftFromRight * right in, and likewise on the right.
struct ChannelMix {
    float leftFromLeft;
    float leftFromRight;
    float rightFromLeft;
    float rightFromRight;
};
// At a balance of exactly -10000 the left channel of a stereo source plays on both outputs,
// at 10000 the right one; every other balance, and a mono source, get the gains above.
[[nodiscard]] ChannelMix MixFor(LONG volume, LONG balance, int sourceChannels);

}  // namespace mediagraph
