#pragma once
// INimAudioRecorder: the capture control's dual interface, and its event interface.

#include "com.h"
#include "identity.h"

using identity::CLSID_NimAudioRecorder;
using identity::DIID__INimAudioRecorderEvents;
using identity::IID_INimAudioRecorder;

struct INimAudioRecorder : IDispatch {
    virtual HRESULT SetAudioFormat(LONG uChannels, LONG uSamplesPerSec, LONG uBitsPerSample) = 0;
    virtual HRESULT StartRecord() = 0;
    virtual HRESULT StopRecord() = 0;
    virtual HRESULT PauseRecord() = 0;
    virtual HRESULT ContinueRecord() = 0;
    virtual HRESULT get_buffersize(LONG* pVal) = 0;
    virtual HRESULT put_buffersize(LONG newVal) = 0;
    virtual HRESULT ReceiveCurrentArray(SAFEARRAY** pSafeArrayData, LONG lArrayLength) = 0;
    virtual HRESULT ReceiveArray(SAFEARRAY** pSafeArrayData) = 0;
    virtual HRESULT get_TimerInterval(LONG* pVal) = 0;
    virtual HRESULT put_TimerInterval(LONG newVal) = 0;
    // The recording source the next StartRecord opens: "" the sound server's default
    // source, a PulseAudio source name ("alsa_input.usb-mic"), or "alsa:" followed by an
    // ALSA capture device ("alsa:plughw:0") for a machine without a sound server.
    virtual HRESULT get_Source(std::string* pVal) = 0;
    virtual HRESULT put_Source(const std::string& newVal) = 0;

protected:
    ~INimAudioRecorder() = default;
};

namespace nim_audio_recorder_dispid {
constexpr DISPID SetAudioFormat = 1;
constexpr DISPID StartRecord = 2;
constexpr DISPID StopRecord = 3;
constexpr DISPID PauseRecord = 4;
constexpr DISPID ContinueRecord = 5;
constexpr DISPID buffersize = 6;
constexpr DISPID ReceiveCurrentArray = 8;
constexpr DISPID ReceiveArray = 9;
constexpr DISPID TimerInterval = 10;
constexpr DISPID Source = 11;
// _INimAudioRecorderEvents
constexpr DISPID OnData = 1;
constexpr DISPID OnTimer = 2;
// The recording source stopped delivering sound (the sound server went away, the
// connection was lost, the source was removed): fired once per capture. The capture
// still counts as running; StopRecord hands out what was captured before it.
constexpr DISPID OnError = 3;
}  // namespace nim_audio_recorder_dispid
