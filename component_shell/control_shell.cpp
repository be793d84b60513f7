#include "control_shell.h"

#include <QPainter>

#include <climits>
#include <optional>
#include <vector>

namespace component_shell {

struct ControlShell::Staged {
    std::optional<LONG> cx;
    std::optional<LONG> cy;
    std::vector<std::pair<const PropertyEntry*, VARIANT>> puts;
};

namespace {

VARIANT ValueOfType(VARTYPE vt, uint32_t bits)
{
    VARIANT v;
    v.vt = vt;
    v.ulVal = bits;
    return v;
}

// A property-bag value as 32 bits: a number, or decimal text (signed, or unsigned up
// to 0xFFFFFFFF for colours).
bool BagValueBits(const VARIANT& v, uint32_t* bits)
{
    if (v.vt == VT_BSTR) {
        const std::string& t = v.bstrVal;
        size_t i = 0;
        const bool negative = !t.empty() && (t[0] == '-' || t[0] == '+') ? (t[i++] == '-') : false;
        if (i >= t.size()) return false;
        int64_t value = 0;
        for (; i < t.size(); ++i) {
            if (t[i] < '0' || t[i] > '9') return false;
            value = value * 10 + (t[i] - '0');
            if (value > int64_t(UINT32_MAX)) return false;
        }
        if (negative) value = -value;
        if (value < int64_t(INT32_MIN)) return false;
        *bits = uint32_t(value);
        return true;
    }
    int32_t value = 0;
    if (FAILED(VariantToI4(v, &value))) return false;
    *bits = uint32_t(value);
    return true;
}

HRESULT ReadExactly(IStream* stream, void* data, ULONG size)
{
    ULONG got = 0;
    const HRESULT hr = stream->Read(data, size, &got);
    if (FAILED(hr)) return hr;
    return got == size ? S_OK : E_FAIL;
}

HRESULT ReadU32(IStream* stream, uint32_t* value)
{
    uint8_t b[4];
    if (HRESULT hr = ReadExactly(stream, b, 4); FAILED(hr)) return hr;
    *value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return S_OK;
}

HRESULT ReadU16(IStream* stream, uint16_t* value)
{
    uint8_t b[2];
    if (HRESULT hr = ReadExactly(stream, b, 2); FAILED(hr)) return hr;
    *value = uint16_t(b[0] | b[1] << 8);
    return S_OK;
}

HRESULT WriteBytes(IStream* stream, const uint8_t* data, ULONG size)
{
    ULONG written = 0;
    const HRESULT hr = stream->Write(data, size, &written);
    if (FAILED(hr)) return hr;
    return written == size ? S_OK : E_FAIL;
}

HRESULT WriteU32(IStream* stream, uint32_t value)
{
    const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    return WriteBytes(stream, b, 4);
}

HRESULT WriteU16(IStream* stream, uint16_t value)
{
    const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
    return WriteBytes(stream, b, 2);
}

}  // namespace

ControlShell::ControlShell(const ControlTraits& traits, IDispatch* self)
    : traits_(traits), self_(self), extent_(traits.initialExtent)
{
}

void* ControlShell::QueryShellInterface(REFIID iid)
{
    if (iid == IID_IOleObject) return static_cast<IOleObject*>(this);
    if (iid == IID_IViewObject) return static_cast<IViewObject*>(this);
    if (iid == IID_IPersist) return static_cast<IPersist*>(static_cast<IPersistStreamInit*>(this));
    if (iid == IID_IPersistStream) return static_cast<IPersistStream*>(this);
    if (iid == IID_IPersistStreamInit) return static_cast<IPersistStreamInit*>(this);
    if (iid == IID_IPersistPropertyBag && traits_.propertyBag) return static_cast<IPersistPropertyBag*>(this);
    return nullptr;
}

// ---- IOleObject ------------------------------------------------------------------

HRESULT ControlShell::SetExtent(DWORD drawAspect, const SIZEL* size)
{
    if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    if (traits_.fixedExtent && !(*size == traits_.initialExtent)) return E_FAIL;
    extent_ = *size;
    return S_OK;
}

HRESULT ControlShell::GetExtent(DWORD drawAspect, SIZEL* size)
{
    if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
}

HRESULT ControlShell::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? traits_.miscStatus : 0;
    return S_OK;
}

HRESULT ControlShell::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

// ---- IViewObject -----------------------------------------------------------------

HRESULT ControlShell::Draw(DWORD drawAspect, QPainter* painter, const RECTL* bounds)
{
    if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!painter || !bounds) return E_POINTER;
    OnDraw(*painter, *bounds);
    return S_OK;
}

void ControlShell::OnDraw(QPainter& painter, const RECTL& bounds)
{
    if (traits_.toolboxBitmap) DrawToolboxBitmap(painter, bounds.left, bounds.top, *traits_.toolboxBitmap);
}

// ---- Persistence -----------------------------------------------------------------

HRESULT ControlShell::GetClassID(CLSID* pClassID)
{
    if (!pClassID) return E_POINTER;
    *pClassID = traits_.clsid;
    return S_OK;
}

HRESULT ControlShell::IsDirty() { return requiresSave_ ? S_OK : S_FALSE; }

HRESULT ControlShell::InitNew() { return S_OK; }

HRESULT ControlShell::ReadProperty(const PropertyEntry& entry, VARIANT* value)
{
    DISPPARAMS none;
    return self_->Invoke(entry.dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value);
}

HRESULT ControlShell::Apply(const Staged& staged)
{
    SIZEL next = extent_;
    if (staged.cx) next.cx = *staged.cx;
    if (staged.cy) next.cy = *staged.cy;
    if (traits_.fixedExtent && !(next == traits_.initialExtent)) return E_FAIL;
    for (const auto& [entry, value] : staged.puts) {
        DISPPARAMS args{{value}};
        if (HRESULT hr = self_->Invoke(entry->dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &args,
                                       nullptr);
            FAILED(hr))
            return hr;
    }
    extent_ = next;
    requiresSave_ = false;
    return S_OK;
}

HRESULT ControlShell::Load(IStream* pStm)
{
    if (!pStm) return E_POINTER;
    uint32_t version = 0;
    if (HRESULT hr = ReadU32(pStm, &version); FAILED(hr)) return hr;
    if (version != kStreamVersion) return E_FAIL;
    Staged staged;
    for (const PropertyEntry& entry : traits_.propertyMap) {
        if (entry.kind == PropertyEntry::Kind::Dispatch) {
            uint16_t vt = 0;
            uint32_t bits = 0;
            if (HRESULT hr = ReadU16(pStm, &vt); FAILED(hr)) return hr;
            if (vt != entry.vt) return E_FAIL;
            if (HRESULT hr = ReadU32(pStm, &bits); FAILED(hr)) return hr;
            staged.puts.emplace_back(&entry, ValueOfType(entry.vt, bits));
        } else {
            uint32_t bits = 0;
            if (HRESULT hr = ReadU32(pStm, &bits); FAILED(hr)) return hr;
            (entry.kind == PropertyEntry::Kind::ExtentWidth ? staged.cx : staged.cy) = LONG(bits);
        }
    }
    return Apply(staged);
}

HRESULT ControlShell::Save(IStream* pStm, BOOL fClearDirty)
{
    if (!pStm) return E_POINTER;
    if (HRESULT hr = WriteU32(pStm, kStreamVersion); FAILED(hr)) return hr;
    for (const PropertyEntry& entry : traits_.propertyMap) {
        HRESULT hr = S_OK;
        if (entry.kind == PropertyEntry::Kind::Dispatch) {
            VARIANT value;
            int32_t bits = 0;
            if (hr = ReadProperty(entry, &value); FAILED(hr)) return hr;
            if (hr = VariantToI4(value, &bits); FAILED(hr)) return hr;
            if (hr = WriteU16(pStm, entry.vt); FAILED(hr)) return hr;
            hr = WriteU32(pStm, uint32_t(bits));
        } else {
            hr = WriteU32(pStm, uint32_t(entry.kind == PropertyEntry::Kind::ExtentWidth ? extent_.cx : extent_.cy));
        }
        if (FAILED(hr)) return hr;
    }
    if (fClearDirty) requiresSave_ = false;
    return S_OK;
}

HRESULT ControlShell::GetSizeMax(uint64_t* pcbSize)
{
    if (!pcbSize) return E_POINTER;
    uint64_t size = 4;
    for (const PropertyEntry& entry : traits_.propertyMap) size += entry.kind == PropertyEntry::Kind::Dispatch ? 6 : 4;
    *pcbSize = size;
    return S_OK;
}

HRESULT ControlShell::Load(IPropertyBag* bag)
{
    if (!bag) return E_POINTER;
    Staged staged;
    for (const PropertyEntry& entry : traits_.propertyMap) {
        VARIANT value;
        const HRESULT hr = bag->Read(entry.name, &value);
        if (hr == E_INVALIDARG) continue;  // not in the bag: the property keeps its value
        if (FAILED(hr)) return hr;
        uint32_t bits = 0;
        if (!BagValueBits(value, &bits)) return DISP_E_TYPEMISMATCH;
        if (entry.kind == PropertyEntry::Kind::Dispatch)
            staged.puts.emplace_back(&entry, ValueOfType(entry.vt, bits));
        else
            (entry.kind == PropertyEntry::Kind::ExtentWidth ? staged.cx : staged.cy) = LONG(bits);
    }
    return Apply(staged);
}

HRESULT ControlShell::Save(IPropertyBag* bag, BOOL fClearDirty, BOOL)
{
    if (!bag) return E_POINTER;
    for (const PropertyEntry& entry : traits_.propertyMap) {
        VARIANT value;
        if (entry.kind == PropertyEntry::Kind::Dispatch) {
            VARIANT got;
            int32_t bits = 0;
            if (HRESULT hr = ReadProperty(entry, &got); FAILED(hr)) return hr;
            if (HRESULT hr = VariantToI4(got, &bits); FAILED(hr)) return hr;
            value = ValueOfType(entry.vt, uint32_t(bits));
        } else {
            value = VARIANT::I4(entry.kind == PropertyEntry::Kind::ExtentWidth ? extent_.cx : extent_.cy);
        }
        if (HRESULT hr = bag->Write(entry.name, value); FAILED(hr)) return hr;
    }
    if (fClearDirty) requiresSave_ = false;
    return S_OK;
}

}  // namespace component_shell
