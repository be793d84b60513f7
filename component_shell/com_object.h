#pragma once
// Reference counting, QueryInterface and the class factory for a control class.
// A control class `C` derives from its interfaces and provides
//     void* InternalQueryInterface(REFIID iid);   // the interface pointer or nullptr
// ComObject<C> adds the counts; ClassFactory<C> creates them.

#include "com.h"
#include "module.h"

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
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
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

// Defines the exported entry points of a component library for its one control.
#define COMPONENT_SERVER_EXPORTS(ControlClass, ClassId)                                       \
    extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(             \
        REFCLSID clsid, REFIID iid, void** ppv)                                               \
    {                                                                                         \
        return component_shell::GetClassObject<ControlClass>(clsid, ClassId, iid, ppv);       \
    }                                                                                         \
    extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow()              \
    {                                                                                         \
        return component_shell::CanUnloadNow();                                               \
    }
