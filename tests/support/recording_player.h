#pragma once
// A stand-in for the player control: it records the calls it gets (in order), and the
// test sets what it reports. Use it through component_shell::ComObject.

#include "INimDXVideoPlayerObject.h"

#include <functional>
#include <string>
#include <vector>

class RecordingPlayer : public INimDXVideoPlayerObject {
public:
    void* InternalQueryInterface(REFIID iid)
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_INimDXVideoPlayerObject)
            return static_cast<INimDXVideoPlayerObject*>(this);
        return nullptr;
    }
    HRESULT GetIDsOfNames(const char*, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*) override { return DISP_E_MEMBERNOTFOUND; }

    HRESULT SetFileName(const std::string& name) override { return Call("SetFileName " + name); }
    HRESULT Play() override
    {
        Call("Play");
        if (onPlay) onPlay();
        if (FAILED(playResult)) return playResult;
        hasMedia = true;
        return S_OK;
    }
    HRESULT Pause() override { return Call("Pause"); }
    HRESULT Stop() override
    {
        hasMedia = false;
        return Call("Stop");
    }
    HRESULT Continue() override { return Call("Continue"); }
    HRESULT SetAudioVolume(LONG) override { return S_OK; }
    HRESULT GetAudioVolume(LONG*) override { return S_OK; }
    HRESULT SetAudioBalance(LONG balance) override { return Call("SetAudioBalance " + std::to_string(balance)); }
    HRESULT GetAudioBalance(LONG*) override { return S_OK; }
    HRESULT SetFullScreen(VARIANT_BOOL on) override
    {
        fullScreen = on;
        return Call(on ? "SetFullScreen(true)" : "SetFullScreen(false)");
    }
    HRESULT SetVideoWindow(LONG) override { return Call("SetVideoWindow"); }
    HRESULT GetFullScreen(VARIANT_BOOL* on) override
    {
        *on = fullScreen;
        return S_OK;
    }
    HRESULT GetHandleEvent(LONG* code) override
    {
        *code = eventsQueued > 0 ? (--eventsQueued, queuedCode) : -100;
        return Call("GetHandleEvent");
    }
    HRESULT GetCurrentPosition(LONG* seconds) override
    {
        if (hasMedia) *seconds = positionMs / 1000;
        return S_OK;
    }
    HRESULT SetCurrentPosition(LONG) override { return S_OK; }
    HRESULT GetDuration(LONG* seconds) override
    {
        if (!hasMedia) return S_OK;
        if (durationResult == S_OK) *seconds = durationSeconds;
        return durationResult;
    }
    HRESULT GetLastErrorText(std::string* text) override
    {
        *text = errorText;
        return S_OK;
    }
    HRESULT GetCurrentPositionMs(LONG* ms) override
    {
        if (hasMedia) *ms = positionMs;
        return S_OK;
    }

    std::vector<std::string> calls;
    std::function<void()> onPlay;
    HRESULT playResult = S_OK;
    HRESULT durationResult = S_OK;  // S_FALSE: the graph does not know it
    LONG positionMs = 0;
    LONG durationSeconds = 60;
    bool hasMedia = false;
    std::string errorText;
    VARIANT_BOOL fullScreen = VARIANT_FALSE;
    int eventsQueued = 0;  // GetHandleEvent hands out `queuedCode` this many times
    LONG queuedCode = 1;

private:
    HRESULT Call(const std::string& what)
    {
        calls.push_back(what);
        return S_OK;
    }
};
