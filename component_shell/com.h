#pragma once
// The object model the four components and their host share: reference-counted
// objects with QueryInterface by interface id, dispatch by DISPID, class factories,
// connection points, and the stand-in for in-place activation (a control window
// created inside a host window given by handle).

#include "automation.h"

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IDispatch : IUnknown {
    // The DISPID of a member by name (letter case ignored); DISP_E_UNKNOWNNAME.
    virtual HRESULT GetIDsOfNames(const char* name, DISPID* dispId) = 0;
    // Calls a member by DISPID. Arguments in declaration order (DISPPARAMS);
    // out-parameters as VT_BYREF variants; a property get's value in *result.
    virtual HRESULT Invoke(DISPID dispId, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result) = 0;

protected:
    ~IDispatch() = default;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** ppv) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

struct IConnectionPoint : IUnknown {
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown {
    virtual HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

// In-place activation of a control with a window: the control creates its window as
// a child of the host window `parent` at the given rectangle and returns its handle.
// Calling it again moves the existing window into the new parent and rectangle.
struct IControlWindow : IUnknown {
    virtual HRESULT InPlaceActivate(HWND parent, LONG x, LONG y, LONG cx, LONG cy,
                                    HWND* controlWindow) = 0;
    virtual HRESULT InPlaceDeactivate() = 0;

protected:
    ~IControlWindow() = default;
};

// Interface ids of the platform interfaces (their well-known values).
inline constexpr IID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IConnectionPoint{0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IConnectionPointContainer{0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
// Ours: no platform equivalent with this exact shape.
inline constexpr IID IID_IControlWindow{0x3F2A5C71, 0x0B8E, 0x4D6A, {0x9A, 0x41, 0x52, 0xC3, 0x7E, 0x10, 0xA9, 0x6D}};

// Owns one reference to an interface.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over a reference the caller already holds.
    static ComPtr Attach(T* p)
    {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    ComPtr(const ComPtr& o) : p_(o.p_)
    {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr& operator=(ComPtr o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset()
    {
        if (p_) {
            T* p = p_;
            p_ = nullptr;
            p->Release();
        }
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held and returns the slot.
    T** put()
    {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    T* detach()
    {
        T* p = p_;
        p_ = nullptr;
        return p;
    }

    template <class U>
    HRESULT As(REFIID iid, ComPtr<U>* out) const
    {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(iid, out->putVoid());
    }

private:
    T* p_ = nullptr;
};
