#include "NimVisualizationObject.h"

#include "NimVisualizationResources.h"
#include "dispatch.h"
#include "window_handles.h"

#include <algorithm>

using nim_visualization::MeterRect;
using nim_visualization::MeterSettings;
using nim_visualization::SampleBuffer;

namespace dispid = nim_visualization_dispid;

namespace {

using component_shell::PropertyEntry;
constexpr PropertyEntry::Kind kDispatch = PropertyEntry::Kind::Dispatch;
constexpr PropertyEntry kPropertyMap[] = {
    {"style", kDispatch, dispid::style, VT_I4},
    {"HighPosition", kDispatch, dispid::HighPosition, VT_I4},
    {"MidPosition", kDispatch, dispid::MidPosition, VT_I4},
    {"TickWidth", kDispatch, dispid::TickWidth, VT_I4},
    {"TickHeight", kDispatch, dispid::TickHeight, VT_I4},
    {"TickSeparate", kDispatch, dispid::TickSeparate, VT_I4},
    component_shell::kExtentWidthEntry,
    component_shell::kExtentHeightEntry,
    {"BackColor", kDispatch, dispid::BackColor, VT_UI4},
    {"FillColor", kDispatch, dispid::FillColor, VT_UI4},
};
constexpr LONG kTwoInches = 2 * component_shell::kHimetricPerInch;

}  // namespace

const component_shell::ControlTraits CNimVisualizationObject::kTraits{
    CLSID_NimVisualization, 131473, {kTwoInches, kTwoInches}, false, kPropertyMap, true,
    &nim_visualization::kToolboxBitmap};

CNimVisualizationObject::CNimVisualizationObject()
    : ControlShell(kTraits, static_cast<INimVisualization*>(this)),
      events_(static_cast<INimVisualization*>(this), DIID__INimVisualizationEvents)
{
}

CNimVisualizationObject::~CNimVisualizationObject()
{
    InPlaceDeactivate();
}

void* CNimVisualizationObject::InternalQueryInterface(REFIID iid)
{
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_INimVisualization)
        return static_cast<INimVisualization*>(this);
    if (iid == IID_IControlWindow) return static_cast<IControlWindow*>(this);
    if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return QueryShellInterface(iid);
}

// ---- Dispatch -------------------------------------------------------------------

HRESULT CNimVisualizationObject::GetIDsOfNames(const char* name, DISPID* dispId)
{
    return component_shell::LookUpDispId({{"BackColor", dispid::BackColor},
                                          {"FillColor", dispid::FillColor},
                                          {"SendData", dispid::SendData},
                                          {"Clear", dispid::Clear},
                                          {"style", dispid::style},
                                          {"HighPosition", dispid::HighPosition},
                                          {"MidPosition", dispid::MidPosition},
                                          {"TickWidth", dispid::TickWidth},
                                          {"TickHeight", dispid::TickHeight},
                                          {"TickSeparate", dispid::TickSeparate},
                                          {"Start", dispid::Start},
                                          {"SetAudioFormat", dispid::SetAudioFormat},
                                          {"Stop", dispid::Stop}},
                                         name, dispId);
}

namespace {

int32_t MeterSettings::*SettingFor(DISPID id)
{
    switch (id) {
    case dispid::style: return &MeterSettings::style;
    case dispid::HighPosition: return &MeterSettings::HighPosition;
    case dispid::MidPosition: return &MeterSettings::MidPosition;
    case dispid::TickWidth: return &MeterSettings::TickWidth;
    case dispid::TickHeight: return &MeterSettings::TickHeight;
    case dispid::TickSeparate: return &MeterSettings::TickSeparate;
    default: return nullptr;
    }
}

}  // namespace

HRESULT CNimVisualizationObject::Invoke(DISPID dispId, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                        VARIANT* result)
{
    using namespace component_shell;
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;

    if (auto member = SettingFor(dispId)) {
        if (put) {
            int32_t value = 0;
            if (HRESULT hr = ExpectArgs(params, 1); FAILED(hr)) return hr;
            if (HRESULT hr = ArgI4(params, 0, &value); FAILED(hr)) return hr;
            return PutProperty(member, value);
        }
        LONG value = 0;
        GetProperty(member, &value);
        SetResultI4(result, value);
        return S_OK;
    }

    switch (dispId) {
    case dispid::BackColor:
    case dispid::FillColor: {
        const bool back = dispId == dispid::BackColor;
        if (put) {
            int32_t value = 0;
            if (HRESULT hr = ExpectArgs(params, 1); FAILED(hr)) return hr;
            if (HRESULT hr = ArgI4(params, 0, &value); FAILED(hr)) return hr;
            return back ? put_BackColor(OLE_COLOR(value)) : put_FillColor(OLE_COLOR(value));
        }
        SetResultUI4(result, back ? backColor_ : fillColor_);
        return S_OK;
    }
    case dispid::SendData: {
        SAFEARRAY** slot = nullptr;
        int32_t length = 0;
        if (HRESULT hr = ExpectArgs(params, 2); FAILED(hr)) return hr;
        if (HRESULT hr = ArgArraySlot(params, 0, &slot); FAILED(hr)) return hr;
        if (HRESULT hr = ArgI4(params, 1, &length); FAILED(hr)) return hr;
        return SendData(slot, length);
    }
    case dispid::Clear:
        return Clear();
    case dispid::Start:
        return Start();
    case dispid::Stop:
        return Stop();
    case dispid::SetAudioFormat: {
        int32_t channels = 0, rate = 0, bits = 0;
        if (HRESULT hr = ExpectArgs(params, 3); FAILED(hr)) return hr;
        if (HRESULT hr = ArgI4(params, 0, &channels); FAILED(hr)) return hr;
        if (HRESULT hr = ArgI4(params, 1, &rate); FAILED(hr)) return hr;
        if (HRESULT hr = ArgI4(params, 2, &bits); FAILED(hr)) return hr;
        return SetAudioFormat(channels, rate, bits);
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// ---- Colours ----------------------------------------------------------------------

HRESULT CNimVisualizationObject::put_BackColor(OLE_COLOR clr)
{
    backColor_ = clr;
    SetRequiresSave(true);
    RequestRedraw();
    return S_OK;
}

HRESULT CNimVisualizationObject::get_BackColor(OLE_COLOR* pclr)
{
    if (!pclr) return E_POINTER;
    *pclr = backColor_;
    return S_OK;
}

HRESULT CNimVisualizationObject::put_FillColor(OLE_COLOR clr)
{
    fillColor_ = clr;
    SetRequiresSave(true);
    RequestRedraw();
    return S_OK;
}

HRESULT CNimVisualizationObject::get_FillColor(OLE_COLOR* pclr)
{
    if (!pclr) return E_POINTER;
    *pclr = fillColor_;
    return S_OK;
}

// ---- Drawing properties -------------------------------------------------------------

HRESULT CNimVisualizationObject::GetProperty(int32_t MeterSettings::*member, LONG* value) const
{
    if (!value) return E_POINTER;
    *value = renderer_.settings().*member;
    return S_OK;
}

HRESULT CNimVisualizationObject::PutProperty(int32_t MeterSettings::*member, LONG value)
{
    renderer_.settings().*member = value;
    RequestRedraw();
    return S_OK;
}

HRESULT CNimVisualizationObject::get_style(LONG* pVal) { return GetProperty(&MeterSettings::style, pVal); }
HRESULT CNimVisualizationObject::put_style(LONG newVal) { return PutProperty(&MeterSettings::style, newVal); }
HRESULT CNimVisualizationObject::get_HighPosition(LONG* pVal) { return GetProperty(&MeterSettings::HighPosition, pVal); }
HRESULT CNimVisualizationObject::put_HighPosition(LONG newVal) { return PutProperty(&MeterSettings::HighPosition, newVal); }
HRESULT CNimVisualizationObject::get_MidPosition(LONG* pVal) { return GetProperty(&MeterSettings::MidPosition, pVal); }
HRESULT CNimVisualizationObject::put_MidPosition(LONG newVal) { return PutProperty(&MeterSettings::MidPosition, newVal); }
HRESULT CNimVisualizationObject::get_TickWidth(LONG* pVal) { return GetProperty(&MeterSettings::TickWidth, pVal); }
HRESULT CNimVisualizationObject::put_TickWidth(LONG newVal) { return PutProperty(&MeterSettings::TickWidth, newVal); }
HRESULT CNimVisualizationObject::get_TickHeight(LONG* pVal) { return GetProperty(&MeterSettings::TickHeight, pVal); }
HRESULT CNimVisualizationObject::put_TickHeight(LONG newVal) { return PutProperty(&MeterSettings::TickHeight, newVal); }
HRESULT CNimVisualizationObject::get_TickSeparate(LONG* pVal) { return GetProperty(&MeterSettings::TickSeparate, pVal); }
HRESULT CNimVisualizationObject::put_TickSeparate(LONG newVal) { return PutProperty(&MeterSettings::TickSeparate, newVal); }

// ---- Data and state -------------------------------------------------------------------

HRESULT CNimVisualizationObject::SendData(SAFEARRAY** pSafeArrayData, LONG lArrayLength)
{
    if (!pSafeArrayData) return E_POINTER;
    SAFEARRAY* array = *pSafeArrayData;
    // lArrayLength counts bytes, whatever the element type; never past the array's data.
    const size_t count =
        lArrayLength <= 0 ? 0 : std::min({size_t(lArrayLength), SampleBuffer::kBytes, SafeArrayDataBytes(array)});

    void* data = nullptr;
    if (HRESULT hr = SafeArrayAccessData(array, &data); FAILED(hr)) return hr;
    bool taken = true;
    if (count > 0) taken = renderer_.sampleBuffer().Write(static_cast<const uint8_t*>(data), count);
    if (HRESULT hr = SafeArrayUnaccessData(array); FAILED(hr)) return hr;

    RequestMeterRepaint();
    // S_FALSE: the buffer stayed busy past the wait and these bytes were dropped.
    return taken ? S_OK : S_FALSE;
}

HRESULT CNimVisualizationObject::Start()
{
    renderer_.setStarted(true);
    return S_OK;
}

HRESULT CNimVisualizationObject::Stop()
{
    renderer_.setStarted(false);
    RequestMeterRepaint();
    return S_OK;
}

HRESULT CNimVisualizationObject::Clear()
{
    return Stop();
}

HRESULT CNimVisualizationObject::SetAudioFormat(LONG lChannels, LONG lSamplesPerSec, LONG lBitsPerSample)
{
    format_ = {lChannels, lSamplesPerSec, lBitsPerSample};
    return S_OK;
}

// ---- Window --------------------------------------------------------------------------

int CNimVisualizationObject::OnDraw(nim_visualization::FrameTarget& target, const MeterRect& bounds)
{
    return renderer_.OnDraw(target, bounds);
}

void CNimVisualizationObject::OnDraw(QPainter& painter, const RECTL& bounds)
{
    nim_visualization::PainterTarget target(painter);
    OnDraw(target, MeterRect{bounds.left, bounds.top, bounds.right, bounds.bottom});
}

HRESULT CNimVisualizationObject::InPlaceActivate(HWND parent, LONG x, LONG y, LONG cx, LONG cy,
                                                 HWND* controlWindow)
{
    if (!controlWindow) return E_POINTER;
    *controlWindow = 0;
    QWidget* host = window_handles::ResolveWidget(parent);
    if (!host) return E_INVALIDARG;
    if (!widget_) {
        widget_ = new nim_visualization::MeterWidget(host);
        widget_->setDrawHandler([this](nim_visualization::FrameTarget& target, const MeterRect& bounds) {
            OnDraw(target, bounds);
        });
    } else if (widget_->parentWidget() != host) {
        widget_->setParent(host);
    }
    widget_->setGeometry(x, y, std::max<LONG>(cx, 0), std::max<LONG>(cy, 0));
    widget_->show();
    *controlWindow = window_handles::HandleFor(widget_.data());
    return S_OK;
}

HRESULT CNimVisualizationObject::InPlaceDeactivate()
{
    if (widget_) {
        widget_->setDrawHandler(nullptr);
        delete widget_.data();
    }
    return S_OK;
}

HRESULT CNimVisualizationObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    return component_shell::FindSingleConnectionPoint(events_, iid, point);
}

void CNimVisualizationObject::RequestRedraw()
{
    if (widget_) widget_->update();
}

void CNimVisualizationObject::RequestMeterRepaint()
{
    if (!widget_) return;
    const MeterRect& r = renderer_.drawRect();
    if (r.right > r.left && r.bottom > r.top)
        widget_->update(r.left, r.top, r.right - r.left, r.bottom - r.top);
    else
        widget_->update();
}
