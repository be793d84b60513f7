#pragma once
// INimVisualization: the level meter control's dual interface; its event interface
// _INimVisualizationEvents has no members.

#include "com.h"
#include "identity.h"

using identity::CLSID_NimVisualization;
using identity::DIID__INimVisualizationEvents;
using identity::IID_INimVisualization;

struct INimVisualization : IDispatch {
    virtual HRESULT put_BackColor(OLE_COLOR clr) = 0;
    virtual HRESULT get_BackColor(OLE_COLOR* pclr) = 0;
    virtual HRESULT put_FillColor(OLE_COLOR clr) = 0;
    virtual HRESULT get_FillColor(OLE_COLOR* pclr) = 0;
    virtual HRESULT SendData(SAFEARRAY** pSafeArrayData, LONG lArrayLength) = 0;
    virtual HRESULT Clear() = 0;
    virtual HRESULT get_style(LONG* pVal) = 0;
    virtual HRESULT put_style(LONG newVal) = 0;
    virtual HRESULT get_HighPosition(LONG* pVal) = 0;
    virtual HRESULT put_HighPosition(LONG newVal) = 0;
    virtual HRESULT get_MidPosition(LONG* pVal) = 0;
    virtual HRESULT put_MidPosition(LONG newVal) = 0;
    virtual HRESULT get_TickWidth(LONG* pVal) = 0;
    virtual HRESULT put_TickWidth(LONG newVal) = 0;
    virtual HRESULT get_TickHeight(LONG* pVal) = 0;
    virtual HRESULT put_TickHeight(LONG newVal) = 0;
    virtual HRESULT get_TickSeparate(LONG* pVal) = 0;
    virtual HRESULT put_TickSeparate(LONG newVal) = 0;
    virtual HRESULT Start() = 0;
    virtual HRESULT SetAudioFormat(LONG lChannels, LONG lSamplesPerSec, LONG lBitsPerSample) = 0;
    virtual HRESULT Stop() = 0;

protected:
    ~INimVisualization() = default;
};

namespace nim_visualization_dispid {
constexpr DISPID BackColor = DISPID_BACKCOLOR;
constexpr DISPID FillColor = DISPID_FILLCOLOR;
constexpr DISPID SendData = 1;
constexpr DISPID Clear = 2;
constexpr DISPID style = 3;
constexpr DISPID HighPosition = 4;
constexpr DISPID MidPosition = 5;
constexpr DISPID TickWidth = 6;
constexpr DISPID TickHeight = 7;
constexpr DISPID TickSeparate = 8;
constexpr DISPID Start = 9;
constexpr DISPID SetAudioFormat = 10;
constexpr DISPID Stop = 12;
}  // namespace nim_visualization_dispid
