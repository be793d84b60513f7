#pragma once
// One connection point of a control: sinks advise with their event interface and are
// called, in connection order, when the control fires an event. The point lives inside
// its control and shares the control's reference count.

#include "com.h"

#include <vector>

namespace component_shell {

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IUnknown* owner, const IID& eventIid) : owner_(owner), eventIid_(eventIid) {}
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT QueryInterface(REFIID iid, void** ppv) override;
    ULONG AddRef() override { return owner_->AddRef(); }
    ULONG Release() override { return owner_->Release(); }
    HRESULT GetConnectionInterface(IID* iid) override;
    // Asks the sink for the event interface; cookies count from 1.
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;

    // Calls Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, no arguments)
    // on every sink in connection order, synchronously; results are not looked at.
    // A sink that unadvises during the call is still safe.
    void Fire(DISPID dispId);

    [[nodiscard]] const IID& eventIid() const { return eventIid_; }
    [[nodiscard]] size_t sinkCount() const { return sinks_.size(); }

private:
    struct Sink {
        DWORD cookie;
        IDispatch* sink;  // one reference held
    };
    IUnknown* owner_;
    IID eventIid_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

// FindConnectionPoint for a control with a single connection point.
HRESULT FindSingleConnectionPoint(ConnectionPoint& point, REFIID iid, IConnectionPoint** out);

}  // namespace component_shell
