#pragma once
// Stand-ins for the meter and the timers in take tests.

#include "recording_player.h"
#include "INimVisualization.h"
#include "take_timer.h"

#include <functional>
#include <string>
#include <vector>

class RecordingMeter : public INimVisualization {
public:
    void* InternalQueryInterface(REFIID iid)
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_INimVisualization)
            return static_cast<INimVisualization*>(this);
        return nullptr;
    }
    HRESULT GetIDsOfNames(const char*, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT put_BackColor(OLE_COLOR) override { return S_OK; }
    HRESULT get_BackColor(OLE_COLOR*) override { return S_OK; }
    HRESULT put_FillColor(OLE_COLOR) override { return S_OK; }
    HRESULT get_FillColor(OLE_COLOR*) override { return S_OK; }
    HRESULT SendData(SAFEARRAY**, LONG) override
    {
        ++frames;
        return S_OK;
    }
    HRESULT Clear() override { return S_OK; }
    HRESULT get_style(LONG*) override { return S_OK; }
    HRESULT put_style(LONG) override { return S_OK; }
    HRESULT get_HighPosition(LONG*) override { return S_OK; }
    HRESULT put_HighPosition(LONG) override { return S_OK; }
    HRESULT get_MidPosition(LONG*) override { return S_OK; }
    HRESULT put_MidPosition(LONG) override { return S_OK; }
    HRESULT get_TickWidth(LONG*) override { return S_OK; }
    HRESULT put_TickWidth(LONG) override { return S_OK; }
    HRESULT get_TickHeight(LONG*) override { return S_OK; }
    HRESULT put_TickHeight(LONG) override { return S_OK; }
    HRESULT get_TickSeparate(LONG*) override { return S_OK; }
    HRESULT put_TickSeparate(LONG) override { return S_OK; }
    HRESULT Start() override
    {
        running = true;
        return S_OK;
    }
    HRESULT SetAudioFormat(LONG, LONG, LONG) override { return S_OK; }
    HRESULT Stop() override
    {
        running = false;
        return S_OK;
    }

    bool running = false;
    int frames = 0;
};

// A timer the test fires.
class ManualTimer final : public TakeTimer {
public:
    void Start() override { active = true; }
    void Stop() override { active = false; }
    [[nodiscard]] bool IsActive() const override { return active; }
    void Fire() { Tick(); }
    bool active = false;
};
