#pragma once
// INimDXVideoPlayerObject: the player control's dual interface; its event interface
// _INimDXVideoPlayerObjectEvents has no members.

#include "com.h"
#include "identity.h"

#include <string>

using identity::CLSID_NimDXVideoPlayer;
using identity::DIID__INimDXVideoPlayerObjectEvents;
using identity::IID_INimDXVideoPlayerObject;

struct INimDXVideoPlayerObject : IDispatch {
    // strFileName: the file's path, UTF-8.
    virtual HRESULT SetFileName(const std::string& strFileName) = 0;
    // Fails when the file cannot be opened or played (VFW_E_NOT_FOUND, VFW_E_CANNOT_RENDER,
    // VFW_E_UNSUPPORTED_STREAM, E_FAIL); nothing plays then and the graph is released.
    virtual HRESULT Play() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Continue() = 0;
    virtual HRESULT SetAudioVolume(LONG lAudioVolume) = 0;
    virtual HRESULT GetAudioVolume(LONG* lAudioVolume) = 0;
    virtual HRESULT SetAudioBalance(LONG lAudioBalance) = 0;
    virtual HRESULT GetAudioBalance(LONG* lAudioBalance) = 0;
    virtual HRESULT SetFullScreen(VARIANT_BOOL bEnable) = 0;
    virtual HRESULT SetVideoWindow(LONG hWndVideo) = 0;
    virtual HRESULT GetFullScreen(VARIANT_BOOL* bEnable) = 0;
    virtual HRESULT GetHandleEvent(LONG* lResult) = 0;
    virtual HRESULT GetCurrentPosition(LONG* lCurrentPosition) = 0;
    virtual HRESULT SetCurrentPosition(LONG lCurrentPosition) = 0;
    // S_FALSE, out-value unchanged, while the graph has never known the duration.
    virtual HRESULT GetDuration(LONG* lDuration) = 0;
    // Why the last Play failed, or the error that stopped playback since (EC_ERRORABORT),
    // in UTF-8 and in the user's words, without the file's path; empty when nothing went
    // wrong since the last successful Play. E_POINTER for a null pointer.
    virtual HRESULT GetLastErrorText(std::string* text) = 0;
    // The position in milliseconds: what the lyrics follow. Unchanged without media.
    virtual HRESULT GetCurrentPositionMs(LONG* lCurrentPositionMs) = 0;

protected:
    ~INimDXVideoPlayerObject() = default;
};

namespace nim_dx_video_player_dispid {
constexpr DISPID SetFileName = 1;
constexpr DISPID Play = 2;
constexpr DISPID Pause = 3;
constexpr DISPID Stop = 4;
constexpr DISPID Continue = 5;
constexpr DISPID SetAudioVolume = 6;
constexpr DISPID GetAudioVolume = 7;
constexpr DISPID SetAudioBalance = 8;
constexpr DISPID GetAudioBalance = 9;
constexpr DISPID SetFullScreen = 10;
constexpr DISPID SetVideoWindow = 11;
constexpr DISPID GetFullScreen = 13;
constexpr DISPID GetHandleEvent = 14;
constexpr DISPID GetCurrentPosition = 15;
constexpr DISPID SetCurrentPosition = 16;
constexpr DISPID GetDuration = 17;
constexpr DISPID GetLastErrorText = 18;  // no arguments; the text is the call's result (VT_BSTR)
constexpr DISPID GetCurrentPositionMs = 19;
}  // namespace nim_dx_video_player_dispid
