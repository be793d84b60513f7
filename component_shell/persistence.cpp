#include "persistence.h"


#include <algorithm>
#include <cstring>

namespace component_shell {

HRESULT MemoryStream::QueryInterface(REFIID iid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
        *ppv = static_cast<IStream*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT MemoryStream::Read(void* pv, ULONG cb, ULONG* pcbRead)
{
    if (pcbRead) *pcbRead = 0;
    if (!pv && cb) return E_POINTER;
    const size_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
    const size_t n = std::min<size_t>(cb, available);
    if (n) std::memcpy(pv, bytes_.data() + position_, n);
    position_ += n;
    if (pcbRead) *pcbRead = ULONG(n);
    return n == cb ? S_OK : S_FALSE;
}

HRESULT MemoryStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten)
{
    if (pcbWritten) *pcbWritten = 0;
    if (!pv && cb) return E_POINTER;
    if (position_ + cb > bytes_.size()) bytes_.resize(position_ + cb);
    if (cb) std::memcpy(bytes_.data() + position_, pv, cb);
    position_ += cb;
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
}

bool MemoryPropertyBag::NameLess::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(x) < lower(y);
    });
}

HRESULT MemoryPropertyBag::QueryInterface(REFIID iid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
        *ppv = static_cast<IPropertyBag*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT MemoryPropertyBag::Read(const char* name, VARIANT* value)
{
    if (!name || !value) return E_POINTER;
    auto it = values_.find(name);
    if (it == values_.end()) return E_INVALIDARG;
    *value = it->second;
    return S_OK;
}

HRESULT MemoryPropertyBag::Write(const char* name, const VARIANT& value)
{
    if (!name) return E_POINTER;
    values_[name] = value;
    return S_OK;
}

const VARIANT* MemoryPropertyBag::Find(const std::string& name) const
{
    auto it = values_.find(name);
    return it == values_.end() ? nullptr : &it->second;
}

HRESULT LoadControlData(IUnknown* control, std::span<const uint8_t> bytes)
{
    if (!control) return E_POINTER;
    ComPtr<IPersistStreamInit> persist;
    if (HRESULT hr = control->QueryInterface(IID_IPersistStreamInit, persist.putVoid()); FAILED(hr)) return hr;
    MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return persist->Load(&stream);
}

HRESULT SaveControlData(IUnknown* control, std::vector<uint8_t>* bytes)
{
    if (!control || !bytes) return E_POINTER;
    ComPtr<IPersistStreamInit> persist;
    if (HRESULT hr = control->QueryInterface(IID_IPersistStreamInit, persist.putVoid()); FAILED(hr)) return hr;
    MemoryStream stream;
    if (HRESULT hr = persist->Save(&stream, 1); FAILED(hr)) return hr;
    *bytes = stream.bytes();
    return S_OK;
}

}  // namespace component_shell
