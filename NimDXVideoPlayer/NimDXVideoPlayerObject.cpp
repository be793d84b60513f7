#include "NimDXVideoPlayerObject.h"

#include "NimDXVideoPlayerResources.h"
#include "dispatch.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace dispid = nim_dx_video_player_dispid;
using component_shell::ArgI4;
using component_shell::ArgRefBool;
using component_shell::ArgRefI4;
using component_shell::ArgString;
using component_shell::ExpectArgs;

namespace {

// Whole seconds, truncated toward zero and kept within 32 bits.
LONG WholeSeconds(double seconds)
{
    if (!std::isfinite(seconds)) return 0;
    const double t = std::trunc(seconds);
    if (t >= static_cast<double>(std::numeric_limits<LONG>::max())) return std::numeric_limits<LONG>::max();
    if (t <= static_cast<double>(std::numeric_limits<LONG>::min())) return std::numeric_limits<LONG>::min();
    return static_cast<LONG>(t);
}

}  // namespace

namespace {
constexpr component_shell::PropertyEntry kPropertyMap[] = {component_shell::kExtentWidthEntry,
                                                          component_shell::kExtentHeightEntry};
constexpr LONG kTwoInches = 2 * component_shell::kHimetricPerInch;
}  // namespace

const component_shell::ControlTraits CNimDXVideoPlayerObject::kTraits{
    CLSID_NimDXVideoPlayer, 132497, {kTwoInches, kTwoInches}, false, kPropertyMap, false,
    &nim_dx_video_player::kToolboxBitmap};

CNimDXVideoPlayerObject::CNimDXVideoPlayerObject()
    : ControlShell(kTraits, static_cast<INimDXVideoPlayerObject*>(this)),
      events_(static_cast<INimDXVideoPlayerObject*>(this), DIID__INimDXVideoPlayerObjectEvents)
{
}

CNimDXVideoPlayerObject::~CNimDXVideoPlayerObject()
{
    DestroyGraph();
}

void* CNimDXVideoPlayerObject::InternalQueryInterface(REFIID iid)
{
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_INimDXVideoPlayerObject)
        return static_cast<INimDXVideoPlayerObject*>(this);
    if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return QueryShellInterface(iid);
}

HRESULT CNimDXVideoPlayerObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    return component_shell::FindSingleConnectionPoint(events_, iid, point);
}

HRESULT CNimDXVideoPlayerObject::GetIDsOfNames(const char* name, DISPID* dispId)
{
    return component_shell::LookUpDispId({{"SetFileName", dispid::SetFileName},
                                          {"Play", dispid::Play},
                                          {"Pause", dispid::Pause},
                                          {"Stop", dispid::Stop},
                                          {"Continue", dispid::Continue},
                                          {"SetAudioVolume", dispid::SetAudioVolume},
                                          {"GetAudioVolume", dispid::GetAudioVolume},
                                          {"SetAudioBalance", dispid::SetAudioBalance},
                                          {"GetAudioBalance", dispid::GetAudioBalance},
                                          {"SetFullScreen", dispid::SetFullScreen},
                                          {"SetVideoWindow", dispid::SetVideoWindow},
                                          {"GetFullScreen", dispid::GetFullScreen},
                                          {"GetHandleEvent", dispid::GetHandleEvent},
                                          {"GetCurrentPosition", dispid::GetCurrentPosition},
                                          {"SetCurrentPosition", dispid::SetCurrentPosition},
                                          {"GetDuration", dispid::GetDuration},
                                          {"GetLastErrorText", dispid::GetLastErrorText},
                                          {"GetCurrentPositionMs", dispid::GetCurrentPositionMs}},
                                         name, dispId);
}

HRESULT CNimDXVideoPlayerObject::Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result)
{
    DISPPARAMS none;
    if (dispId == dispid::GetLastErrorText) {
        HRESULT hr = ExpectArgs(params ? params : &none, 0);
        if (FAILED(hr)) return hr;
        std::string text;
        if (FAILED(hr = GetLastErrorText(result ? &text : nullptr))) return hr;
        *result = VARIANT::Str(std::move(text));
        return S_OK;
    }
    return InvokeMember(dispId, params ? params : &none);
}

HRESULT CNimDXVideoPlayerObject::InvokeMember(DISPID dispId, DISPPARAMS* params)
{
    HRESULT hr = S_OK;
    // Methods with no argument.
    switch (dispId) {
    case dispid::Play:
    case dispid::Pause:
    case dispid::Stop:
    case dispid::Continue:
        if (FAILED(hr = ExpectArgs(params, 0))) return hr;
        if (dispId == dispid::Play) return Play();
        if (dispId == dispid::Pause) return Pause();
        if (dispId == dispid::Stop) return Stop();
        return Continue();
    default:
        break;
    }
    if (FAILED(hr = ExpectArgs(params, 1))) {
        const bool known = dispId == dispid::SetFileName || dispId == dispid::GetCurrentPositionMs ||
                           (dispId >= dispid::SetAudioVolume && dispId <= dispid::GetDuration && dispId != 12);
        return known ? hr : DISP_E_MEMBERNOTFOUND;
    }
    int32_t value = 0;
    int32_t* out = nullptr;
    VARIANT_BOOL* outBool = nullptr;
    switch (dispId) {
    case dispid::SetFileName: {
        std::string name;
        if (FAILED(hr = ArgString(params, 0, &name))) return hr;
        return SetFileName(name);
    }
    case dispid::SetAudioVolume:
    case dispid::SetAudioBalance:
    case dispid::SetFullScreen:
    case dispid::SetVideoWindow:
    case dispid::SetCurrentPosition:
        if (FAILED(hr = ArgI4(params, 0, &value))) return hr;
        if (dispId == dispid::SetAudioVolume) return SetAudioVolume(value);
        if (dispId == dispid::SetAudioBalance) return SetAudioBalance(value);
        if (dispId == dispid::SetFullScreen) return SetFullScreen(static_cast<VARIANT_BOOL>(value));
        if (dispId == dispid::SetVideoWindow) return SetVideoWindow(value);
        return SetCurrentPosition(value);
    case dispid::GetFullScreen:
        if (FAILED(hr = ArgRefBool(params, 0, &outBool))) return hr;
        return GetFullScreen(outBool);
    case dispid::GetAudioVolume:
    case dispid::GetAudioBalance:
    case dispid::GetHandleEvent:
    case dispid::GetCurrentPosition:
    case dispid::GetDuration:
    case dispid::GetCurrentPositionMs:
        if (FAILED(hr = ArgRefI4(params, 0, &out))) return hr;
        if (dispId == dispid::GetCurrentPositionMs) return GetCurrentPositionMs(out);
        if (dispId == dispid::GetAudioVolume) return GetAudioVolume(out);
        if (dispId == dispid::GetAudioBalance) return GetAudioBalance(out);
        if (dispId == dispid::GetHandleEvent) return GetHandleEvent(out);
        if (dispId == dispid::GetCurrentPosition) return GetCurrentPosition(out);
        return GetDuration(out);
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT CNimDXVideoPlayerObject::SetFileName(const std::string& strFileName)
{
    // Text after an embedded NUL is not part of the name.
    fileName.assign(strFileName.c_str(), std::strlen(strFileName.c_str()));
    return S_OK;
}

void CNimDXVideoPlayerObject::DestroyGraph()
{
    if (!graph) return;
    // The reason playback stopped outlives the graph.
    if (std::string text = graph->ErrorText(); !text.empty()) lastErrorText = std::move(text);
    graph->StopGraph();
    graph->SetEventWindow(0);
    graph.reset();
}

HRESULT CNimDXVideoPlayerObject::BuildGraph()
{
    DestroyGraph();
    graph = std::make_unique<CDXGraph>();
    if (!graph->CreateGraph()) return E_FAIL;
    // Before the file is cued: its first buffers already carry the chosen channel.
    (void)graph->SetVolume(volume);
    (void)graph->SetBalance(balance);
    HRESULT rendered = E_FAIL;
    if (!graph->RenderMediaFile(fileName, &rendered)) return FAILED(rendered) ? rendered : E_FAIL;
    (void)graph->AttachVideoWindow(videoOwner);
    (void)graph->SetEventWindow(videoOwner);
    (void)graph->PauseGraph();
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::Play()
{
    lastErrorText.clear();
    HRESULT hr = BuildGraph();
    if (SUCCEEDED(hr) && !graph->RunGraph()) hr = E_FAIL;
    if (SUCCEEDED(hr)) return S_OK;
    DestroyGraph();
    if (lastErrorText.empty()) lastErrorText = "The player could not be started: GStreamer's playbin is missing or broken.";
    return hr;
}

HRESULT CNimDXVideoPlayerObject::Pause()
{
    if (graph) (void)graph->PauseGraph();
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::Stop()
{
    DestroyGraph();
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::Continue()
{
    if (graph) (void)graph->RunGraph();
    return S_OK;
}

// Volume and balance are the player's own: kept for the next Play and passed to the
// current graph. A value outside the range changes nothing.
HRESULT CNimDXVideoPlayerObject::SetAudioVolume(LONG lAudioVolume)
{
    if (lAudioVolume < mediagraph::kSilentVolume || lAudioVolume > mediagraph::kFullVolume) return S_OK;
    volume = lAudioVolume;
    if (graph) (void)graph->SetVolume(lAudioVolume);
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::GetAudioVolume(LONG* lAudioVolume)
{
    if (lAudioVolume) *lAudioVolume = volume;
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::SetAudioBalance(LONG lAudioBalance)
{
    if (lAudioBalance < mediagraph::kBalanceLeftOnly || lAudioBalance > mediagraph::kBalanceRightOnly) return S_OK;
    balance = lAudioBalance;
    if (graph) (void)graph->SetBalance(lAudioBalance);
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::GetAudioBalance(LONG* lAudioBalance)
{
    if (lAudioBalance) *lAudioBalance = balance;
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::SetFullScreen(VARIANT_BOOL bEnable)
{
    if (graph) (void)graph->SetFullScreenMode(bEnable != 0);
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::SetVideoWindow(LONG hWndVideo)
{
    videoOwner = static_cast<HWND>(hWndVideo);
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::GetFullScreen(VARIANT_BOOL* bEnable)
{
    if (graph && bEnable) *bEnable = graph->GetFullScreenMode() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::GetHandleEvent(LONG* lResult)
{
    if (graph && lResult) *lResult = graph->TakeEvent();
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::GetCurrentPosition(LONG* lCurrentPosition)
{
    if (!graph || !lCurrentPosition) return S_OK;
    double seconds = 0.0;
    *lCurrentPosition = graph->ReadPosition(&seconds) ? WholeSeconds(seconds) : 0;
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::GetCurrentPositionMs(LONG* lCurrentPositionMs)
{
    if (!graph || !lCurrentPositionMs) return S_OK;
    double seconds = 0.0;
    if (!graph->ReadPosition(&seconds)) {
        *lCurrentPositionMs = 0;
        return S_OK;
    }
    const double ms = std::round(seconds * 1000.0);
    if (!std::isfinite(ms) || ms <= 0.0)
        *lCurrentPositionMs = 0;
    else
        *lCurrentPositionMs = ms >= 2147483647.0 ? 2147483647 : static_cast<LONG>(ms);
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::SetCurrentPosition(LONG lCurrentPosition)
{
    if (graph) (void)graph->SeekPosition(static_cast<double>(lCurrentPosition));
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::GetDuration(LONG* lDuration)
{
    if (!graph || !lDuration) return S_OK;
    double seconds = 0.0;
    if (!graph->ReadKnownDuration(&seconds)) return S_FALSE;
    *lDuration = WholeSeconds(seconds);
    return S_OK;
}

HRESULT CNimDXVideoPlayerObject::GetLastErrorText(std::string* text)
{
    if (!text) return E_POINTER;
    std::string now = graph ? graph->ErrorText() : std::string();
    *text = now.empty() ? lastErrorText : std::move(now);
    return S_OK;
}
