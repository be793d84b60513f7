#pragma once
// Reference counting, QueryInterface and the class factory for a control class.
// A control class `C` derives from its interfaces and provides
//     void* InternalQueryInterface(REFIID iid);   // the interface pointer or nullptr
// ComObject<C> adds the counts; ComAggObject<C> is the same object aggregated inside
// an outer object; ClassFactory<C> creates either.

#include "com.h"
#include "module.h"
#include "server_registration.h"

#include <atomic>
#include <new>
#include <utility>

namespace component_shell {

template <class Base>
class ComObject final : public Base {
public:
    template <class... Args>
    explicit ComObject(Args&&... args) : Base(std::forward<Args>(args)...)
    {
        Module::Lock();
    }
    ~ComObject() { Module::Unlock(); }

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = Base::InternalQueryInterface(iid);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    // Creates an object and asks it for `iid`; the caller owns the reference.
    static HRESULT CreateInstance(REFIID iid, void** ppv)
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        auto* object = new (std::nothrow) ComObject<Base>();
        if (!object) return E_OUTOFMEMORY;
        object->AddRef();
        const HRESULT hr = object->QueryInterface(iid, ppv);
        object->Release();
        return hr;
    }

private:
    std::atomic<ULONG> refs_{0};
};

// The object aggregated inside an outer object: its interfaces' IUnknown methods go
// to the outer unknown, which holds the one reference to the inner unknown (the only
// pointer that counts and destroys the object). The outer unknown is not counted.
template <class Base>
class ComAggObject final : public Base {
public:
    template <class... Args>
    explicit ComAggObject(IUnknown* outer, Args&&... args)
        : Base(std::forward<Args>(args)...), outer_(outer), inner_(this)
    {
        Module::Lock();
    }
    ~ComAggObject() { Module::Unlock(); }

    ULONG AddRef() override { return outer_->AddRef(); }
    ULONG Release() override { return outer_->Release(); }
    HRESULT QueryInterface(REFIID iid, void** ppv) override { return outer_->QueryInterface(iid, ppv); }

    [[nodiscard]] IUnknown* inner() { return &inner_; }

    // Creates an aggregated object for `outer`; only IID_IUnknown is given out
    // (CLASS_E_NOAGGREGATION for any other interface).
    static HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** ppv)
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!outer) return E_POINTER;
        if (!(iid == IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) ComAggObject<Base>(outer);
        if (!object) return E_OUTOFMEMORY;
        object->inner_.AddRef();
        *ppv = object->inner();
        return S_OK;
    }

private:
    class Inner final : public IUnknown {
    public:
        explicit Inner(ComAggObject* object) : object_(object) {}
        HRESULT QueryInterface(REFIID iid, void** ppv) override
        {
            if (!ppv) return E_POINTER;
            if (iid == IID_IUnknown) {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
                return S_OK;
            }
            *ppv = object_->InternalQueryInterface(iid);
            if (!*ppv) return E_NOINTERFACE;
            object_->AddRef();  // through the outer unknown, as every interface handed out
            return S_OK;
        }
        ULONG AddRef() override { return ++refs_; }
        ULONG Release() override
        {
            const ULONG left = --refs_;
            if (left == 0) delete object_;
            return left;
        }

    private:
        ComAggObject* object_;
        std::atomic<ULONG> refs_{0};
    };

    IUnknown* outer_;
    Inner inner_;
};

template <class Control>
class ClassFactory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is cached for the life of the library; its references lock it.
    ULONG AddRef() override
    {
        Module::Lock();
        return 2;
    }
    ULONG Release() override
    {
        Module::Unlock();
        return 1;
    }
    // With an outer unknown the object is aggregated, and only IID_IUnknown may be
    // asked for (the inner unknown the outer object keeps).
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return ComAggObject<Control>::CreateInstance(outer, iid, ppv);
        return ComObject<Control>::CreateInstance(iid, ppv);
    }
    HRESULT LockServer(BOOL lock) override
    {
        if (lock)
            Module::Lock();
        else
            Module::Unlock();
        return S_OK;
    }

    static ClassFactory& Instance()
    {
        static ClassFactory factory;
        return factory;
    }
};

// The two in-process server entry points, for the one class of a library.
template <class Control>
HRESULT GetClassObject(REFCLSID requested, REFCLSID own, REFIID iid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!(requested == own)) return CLASS_E_CLASSNOTAVAILABLE;
    return ClassFactory<Control>::Instance().QueryInterface(iid, ppv);
}

inline HRESULT CanUnloadNow()
{
    return Module::LockCount() == 0 ? S_OK : S_FALSE;
}

}  // namespace component_shell

// Defines the four exported entry points of a component library for its one control:
// DllGetClassObject, DllCanUnloadNow, DllRegisterServer and DllUnregisterServer
// (`Registration` is the library's component_shell::ServerRegistration).
#define COMPONENT_SERVER_EXPORTS(ControlClass, ClassId, Registration)                         \
    extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(             \
        REFCLSID clsid, REFIID iid, void** ppv)                                               \
    {                                                                                         \
        return component_shell::GetClassObject<ControlClass>(clsid, ClassId, iid, ppv);       \
    }                                                                                         \
    extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow()              \
    {                                                                                         \
        return component_shell::CanUnloadNow();                                               \
    }                                                                                         \
    extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer()            \
    {                                                                                         \
        return component_shell::UpdateServerRegistration(                                     \
            Registration, reinterpret_cast<const void*>(&DllGetClassObject), true);           \
    }                                                                                         \
    extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer()          \
    {                                                                                         \
        return component_shell::UpdateServerRegistration(                                     \
            Registration, reinterpret_cast<const void*>(&DllGetClassObject), false);          \
    }
