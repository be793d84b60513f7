#include "automation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <new>

std::string HResultText(HRESULT hr)
{
    switch (hr) {
    case S_OK: return "The operation completed successfully";
    case S_FALSE: return "The operation completed with a false result";
    case E_NOTIMPL: return "Not implemented";
    case E_NOINTERFACE: return "No such interface supported";
    case E_POINTER: return "Invalid pointer";
    case E_FAIL: return "Unspecified error";
    case E_UNEXPECTED: return "Catastrophic failure";
    case E_OUTOFMEMORY: return "Not enough memory";
    case E_INVALIDARG: return "The parameter is incorrect";
    case CLASS_E_NOAGGREGATION: return "Class does not support aggregation";
    case CLASS_E_CLASSNOTAVAILABLE: return "Class not available";
    case DISP_E_MEMBERNOTFOUND: return "Member not found";
    case DISP_E_TYPEMISMATCH: return "Type mismatch";
    case DISP_E_UNKNOWNNAME: return "Unknown name";
    case DISP_E_BADINDEX: return "Invalid index";
    case DISP_E_ARRAYISLOCKED: return "Memory is locked";
    case DISP_E_BADPARAMCOUNT: return "Invalid number of parameters";
    case E_ACCESSDENIED: return "Access is denied";
    case HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND): return "The system cannot find the path specified";
    case HRESULT_FROM_WIN32(ERROR_WRITE_PROTECT): return "The media is write protected";
    case HRESULT_FROM_WIN32(ERROR_DISK_FULL): return "There is not enough space on the disk";
    case HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND): return "The specified module could not be found";
    default: {
        char text[48];
        std::snprintf(text, sizeof text, "Error 0x%08X", static_cast<unsigned>(hr));
        return text;
    }
    }
}

HRESULT HResultFromErrno(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    case EACCES:
    case EPERM: return E_ACCESSDENIED;
    case EROFS: return HRESULT_FROM_WIN32(ERROR_WRITE_PROTECT);
    case ENOENT:
    case ENOTDIR: return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case ENOMEM: return E_OUTOFMEMORY;
    default: return E_FAIL;
    }
}

std::string GuidToString(const GUID& g)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                  g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

bool GuidFromString(const std::string& text, GUID* guid)
{
    std::string s = text;
    if (s.size() == 38 && s.front() == '{' && s.back() == '}') s = s.substr(1, 36);
    if (s.size() != 36 || s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-') return false;
    std::string hex;
    for (char c : s) {
        if (c == '-') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        hex += c;
    }
    auto part = [&](size_t at, size_t len) {
        return static_cast<uint32_t>(std::strtoul(hex.substr(at, len).c_str(), nullptr, 16));
    };
    GUID g{};
    g.Data1 = part(0, 8);
    g.Data2 = static_cast<uint16_t>(part(8, 4));
    g.Data3 = static_cast<uint16_t>(part(12, 4));
    for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<uint8_t>(part(16 + 2 * i, 2));
    if (guid) *guid = g;
    return true;
}

namespace {
ULONG ElementSize(VARTYPE vt)
{
    switch (vt) {
    case VT_I1:
    case VT_UI1: return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: return 2;
    case VT_I4:
    case VT_UI4: return 4;
    default: return 0;
    }
}
}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements)
{
    const ULONG size = ElementSize(vt);
    if (size == 0) return nullptr;
    auto* psa = new (std::nothrow) SAFEARRAY{};
    if (!psa) return nullptr;
    const size_t bytes = static_cast<size_t>(cElements) * size;
    psa->pvData = std::calloc(bytes ? bytes : 1, 1);
    if (!psa->pvData) {
        delete psa;
        return nullptr;
    }
    psa->cDims = 1;
    psa->cbElements = size;
    psa->rgsabound[0] = {cElements, lLbound};
    psa->vt = vt;
    return psa;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa)
{
    if (!psa) return S_OK;
    if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
    std::free(psa->pvData);
    delete psa;
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa)
{
    if (!psa) return E_INVALIDARG;
    if (psa->cLocks == 0xFFFF) return E_UNEXPECTED;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa)
{
    if (!psa) return E_INVALIDARG;
    if (psa->cLocks == 0) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData)
{
    if (!psa || !ppvData) return E_INVALIDARG;
    const HRESULT hr = SafeArrayLock(psa);
    if (FAILED(hr)) {
        *ppvData = nullptr;
        return hr;
    }
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa)
{
    return SafeArrayUnlock(psa);
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound)
{
    if (!psa || !plLbound) return E_INVALIDARG;
    if (nDim != 1 || psa->cDims != 1) return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[0].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound)
{
    if (!psa || !plUbound) return E_INVALIDARG;
    if (nDim != 1 || psa->cDims != 1) return DISP_E_BADINDEX;
    *plUbound = psa->rgsabound[0].lLbound + static_cast<LONG>(psa->rgsabound[0].cElements) - 1;
    return S_OK;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa)
{
    return psa ? psa->cbElements : 0;
}

UINT SafeArrayGetDim(SAFEARRAY* psa)
{
    return psa ? psa->cDims : 0;
}

size_t SafeArrayDataBytes(const SAFEARRAY* psa)
{
    if (!psa) return 0;
    return static_cast<size_t>(psa->rgsabound[0].cElements) * psa->cbElements;
}

SafeArrayDataLock::SafeArrayDataLock(SAFEARRAY* psa) : array_(psa)
{
    result_ = SafeArrayAccessData(psa, &data_);
    if (SUCCEEDED(result_)) size_ = SafeArrayDataBytes(psa);
}

SafeArrayDataLock::~SafeArrayDataLock()
{
    if (SUCCEEDED(result_)) SafeArrayUnaccessData(array_);
}

VARIANT VARIANT::I4(int32_t v)
{
    VARIANT r;
    r.vt = VT_I4;
    r.lVal = v;
    return r;
}

VARIANT VARIANT::UI4(uint32_t v)
{
    VARIANT r;
    r.vt = VT_UI4;
    r.ulVal = v;
    return r;
}

VARIANT VARIANT::Bool(bool v)
{
    VARIANT r;
    r.vt = VT_BOOL;
    r.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
}

VARIANT VARIANT::Str(std::string v)
{
    VARIANT r;
    r.vt = VT_BSTR;
    r.bstrVal = std::move(v);
    return r;
}

VARIANT VARIANT::Array(SAFEARRAY* psa)
{
    VARIANT r;
    r.vt = static_cast<VARTYPE>(VT_ARRAY | (psa ? psa->vt : VARTYPE{VT_I1}));
    r.parray = psa;
    return r;
}

VARIANT VARIANT::RefI4(int32_t* p)
{
    VARIANT r;
    r.vt = VT_BYREF | VT_I4;
    r.plVal = p;
    return r;
}

VARIANT VARIANT::RefUI4(uint32_t* p)
{
    VARIANT r;
    r.vt = VT_BYREF | VT_UI4;
    r.pulVal = p;
    return r;
}

VARIANT VARIANT::RefBool(VARIANT_BOOL* p)
{
    VARIANT r;
    r.vt = VT_BYREF | VT_BOOL;
    r.pboolVal = p;
    return r;
}

VARIANT VARIANT::RefArray(SAFEARRAY** pp)
{
    VARIANT r;
    r.vt = VT_BYREF | VT_ARRAY | VT_I1;
    r.pparray = pp;
    return r;
}

HRESULT VariantToI4(const VARIANT& v, int32_t* out)
{
    if (!out) return E_POINTER;
    switch (v.vt) {
    case VT_I4: *out = v.lVal; return S_OK;
    case VT_UI4: *out = static_cast<int32_t>(v.ulVal); return S_OK;
    case VT_BOOL: *out = v.boolVal; return S_OK;
    case VT_I2: *out = static_cast<int16_t>(v.lVal & 0xFFFF); return S_OK;
    case VT_I1: *out = static_cast<int8_t>(v.lVal & 0xFF); return S_OK;
    case VT_BYREF | VT_I4:
        if (!v.plVal) return E_POINTER;
        *out = *v.plVal;
        return S_OK;
    case VT_BYREF | VT_UI4:
        if (!v.pulVal) return E_POINTER;
        *out = static_cast<int32_t>(*v.pulVal);
        return S_OK;
    case VT_BYREF | VT_BOOL:
        if (!v.pboolVal) return E_POINTER;
        *out = *v.pboolVal;
        return S_OK;
    default: return DISP_E_TYPEMISMATCH;
    }
}
