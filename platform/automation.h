#pragma once
// Automation types as the components' callers know them: HRESULT codes with their
// Windows values, GUIDs, a one-dimensional safe array and a small variant.

#include <cstdint>
#include <string>
#include <vector>

using HRESULT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using BOOL = int32_t;
using LCID = uint32_t;
using DISPID = int32_t;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using OLE_COLOR = uint32_t;
using HWND = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = static_cast<HRESULT>(0x80040202);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);
constexpr HRESULT DISP_E_ARRAYISLOCKED = static_cast<HRESULT>(0x8002000D);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);

// System errors carried in an HRESULT, with their Windows values.
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error)
{
    return error == 0 ? S_OK : static_cast<HRESULT>((error & 0xFFFF) | 0x80070000u);
}
constexpr HRESULT E_ACCESSDENIED = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
// The HRESULT for a system error number (errno); E_FAIL for one without a counterpart.
[[nodiscard]] HRESULT HResultFromErrno(int error);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Text of an HRESULT as a user reads it ("Unspecified error", ...).
std::string HResultText(HRESULT hr);

// ---- GUIDs -----------------------------------------------------------------

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
    friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr GUID IID_NULL = GUID_NULL;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, as the registry writes it.
std::string GuidToString(const GUID& guid);
// Parses the form above, with or without braces. Returns false on bad text.
bool GuidFromString(const std::string& text, GUID* guid);

// ---- Safe arrays -------------------------------------------------------------

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    uint16_t cDims;
    uint16_t fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
    VARTYPE vt;  // element type (the platform keeps it beside the descriptor)
};

// A vector of cElements elements of type vt (VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4,
// VT_UI4), data zeroed. nullptr when out of memory or for an unknown type.
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// Refuses a locked array with DISP_E_ARRAYISLOCKED; a null array is S_OK.
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
HRESULT SafeArrayLock(SAFEARRAY* psa);
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
UINT SafeArrayGetElemsize(SAFEARRAY* psa);
UINT SafeArrayGetDim(SAFEARRAY* psa);
// Size of the data area in bytes (elements x element size); 0 for a null array.
size_t SafeArrayDataBytes(const SAFEARRAY* psa);

// Holds the data area of a safe array locked for the lifetime of the guard.
class SafeArrayDataLock {
public:
    explicit SafeArrayDataLock(SAFEARRAY* psa);
    ~SafeArrayDataLock();
    SafeArrayDataLock(const SafeArrayDataLock&) = delete;
    SafeArrayDataLock& operator=(const SafeArrayDataLock&) = delete;
    [[nodiscard]] HRESULT result() const { return result_; }
    [[nodiscard]] uint8_t* bytes() const { return static_cast<uint8_t*>(data_); }
    [[nodiscard]] size_t size() const { return size_; }

private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
    size_t size_ = 0;
    HRESULT result_;
};

// ---- Variants ----------------------------------------------------------------

struct IDispatch;

// A small variant: the values the controls pass in dispatch calls and events.
// VT_BYREF | VT_I4 / VT_BOOL / VT_UI4 / VT_ARRAY carry out-parameters.
struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    union {
        int32_t lVal;
        uint32_t ulVal;
        VARIANT_BOOL boolVal;
        SAFEARRAY* parray;
        SAFEARRAY** pparray;
        int32_t* plVal;
        uint32_t* pulVal;
        VARIANT_BOOL* pboolVal;
        IDispatch* pdispVal;
    };
    std::string bstrVal;  // UTF-8 text of a VT_BSTR

    VARIANT() : lVal(0) {}
    static VARIANT I4(int32_t v);
    static VARIANT UI4(uint32_t v);
    static VARIANT Bool(bool v);
    static VARIANT Str(std::string v);
    static VARIANT Array(SAFEARRAY* psa);
    static VARIANT RefI4(int32_t* p);
    static VARIANT RefUI4(uint32_t* p);
    static VARIANT RefBool(VARIANT_BOOL* p);
    static VARIANT RefArray(SAFEARRAY** pp);
};

// Reads a variant as a 32-bit integer (VT_I4, VT_UI4, VT_BOOL, VT_I2, VT_I1 and
// their by-reference forms). DISP_E_TYPEMISMATCH for anything else.
HRESULT VariantToI4(const VARIANT& v, int32_t* out);

// Dispatch-call arguments in the order the method declares them (first parameter
// first), unlike the platform's reversed order.
struct DISPPARAMS {
    std::vector<VARIANT> args;
};

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr LCID LOCALE_USER_DEFAULT = 0x400;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_BACKCOLOR = -501;
constexpr DISPID DISPID_FILLCOLOR = -510;
