#include "event_sink.h"

namespace component_shell {

EventSink* EventSink::Create(const IID& eventIid, Handler handler)
{
    return new EventSink(eventIid, std::move(handler));
}

HRESULT EventSink::QueryInterface(REFIID iid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == eventIid_) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG EventSink::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT EventSink::Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*)
{
    if (handler_) {
        Handler h = handler_;  // the handler may disconnect this sink
        h(dispId);
    }
    return S_OK;
}

HRESULT EventConnection::Connect(IUnknown* control, const IID& eventIid, EventSink::Handler handler)
{
    Disconnect();
    if (!control) return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer, container.putVoid());
    if (FAILED(hr)) return hr;
    hr = container->FindConnectionPoint(eventIid, point_.put());
    if (FAILED(hr)) return hr;
    sink_ = EventSink::Create(eventIid, std::move(handler));
    hr = point_->Advise(sink_, &cookie_);
    if (FAILED(hr)) Disconnect();
    return hr;
}

void EventConnection::Disconnect()
{
    if (point_ && cookie_) point_->Unadvise(cookie_);
    if (sink_) {
        sink_->Disconnect();
        sink_->Release();
    }
    sink_ = nullptr;
    cookie_ = 0;
    point_.reset();
}

}  // namespace component_shell
