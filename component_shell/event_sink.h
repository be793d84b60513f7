#pragma once
// Host side: a sink for a control's event interface that calls a function with each
// event's DISPID, and the connection that advises it and unadvises on destruction.

#include "com.h"

#include <functional>

namespace component_shell {

class EventSink final : public IDispatch {
public:
    using Handler = std::function<void(DISPID)>;
    // A new sink with one reference, owned by the caller.
    static EventSink* Create(const IID& eventIid, Handler handler);

    HRESULT QueryInterface(REFIID iid, void** ppv) override;
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    HRESULT GetIDsOfNames(const char*, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*) override;

    // Detaches the handler: later events do nothing.
    void Disconnect() { handler_ = nullptr; }

private:
    EventSink(const IID& eventIid, Handler handler) : eventIid_(eventIid), handler_(std::move(handler)) {}
    ~EventSink() = default;
    IID eventIid_;
    Handler handler_;
    ULONG refs_ = 1;
};

// Advises a sink on the control's connection point for `eventIid` and keeps the
// connection until destroyed.
class EventConnection {
public:
    EventConnection() = default;
    ~EventConnection() { Disconnect(); }
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;

    [[nodiscard]] HRESULT Connect(IUnknown* control, const IID& eventIid, EventSink::Handler handler);
    void Disconnect();

private:
    ComPtr<IConnectionPoint> point_;
    EventSink* sink_ = nullptr;
    DWORD cookie_ = 0;
};

}  // namespace component_shell
