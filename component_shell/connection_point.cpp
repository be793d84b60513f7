#include "connection_point.h"

namespace component_shell {

ConnectionPoint::~ConnectionPoint()
{
    for (auto& s : sinks_) s.sink->Release();
}

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid) return E_POINTER;
    *iid = eventIid_;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    IDispatch* events = nullptr;
    if (FAILED(sink->QueryInterface(eventIid_, reinterpret_cast<void**>(&events))) || !events)
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.push_back({*cookie, events});
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->cookie == cookie) {
            IDispatch* sink = it->sink;
            sinks_.erase(it);
            sink->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

void ConnectionPoint::Fire(DISPID dispId)
{
    // A copy with its own references: a handler may unadvise or release the control.
    std::vector<IDispatch*> sinks;
    sinks.reserve(sinks_.size());
    for (auto& s : sinks_) {
        s.sink->AddRef();
        sinks.push_back(s.sink);
    }
    for (IDispatch* sink : sinks) {
        DISPPARAMS none;
        sink->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr);
    }
    for (IDispatch* sink : sinks) sink->Release();
}

HRESULT FindSingleConnectionPoint(ConnectionPoint& point, REFIID iid, IConnectionPoint** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!(iid == point.eventIid())) return CONNECT_E_NOCONNECTION;
    point.AddRef();
    *out = &point;
    return S_OK;
}

}  // namespace component_shell
