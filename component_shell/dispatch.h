#pragma once
// Helpers for a control's Invoke: reading arguments by position, writing results, and
// looking up DISPIDs by name.

#include "com.h"

#include <initializer_list>
#include <utility>

namespace component_shell {

struct DispatchName {
    const char* name;
    DISPID id;
};

// GetIDsOfNames over a fixed table; letter case is ignored.
HRESULT LookUpDispId(std::initializer_list<DispatchName> table, const char* name, DISPID* id);

// DISP_E_BADPARAMCOUNT unless the call carries exactly `count` arguments.
HRESULT ExpectArgs(const DISPPARAMS* params, size_t count);
// Argument `index` (declaration order) as a 32-bit integer.
HRESULT ArgI4(const DISPPARAMS* params, size_t index, int32_t* value);
// Argument `index` as text (VT_BSTR).
HRESULT ArgString(const DISPPARAMS* params, size_t index, std::string* value);
// Argument `index` as a sample-array slot: VT_BYREF|VT_ARRAY gives the caller's slot,
// VT_ARRAY gives a pointer to the variant's own array pointer.
HRESULT ArgArraySlot(DISPPARAMS* params, size_t index, SAFEARRAY*** slot);
// Argument `index` as an out-parameter for a 32-bit integer (VT_BYREF|VT_I4).
HRESULT ArgRefI4(DISPPARAMS* params, size_t index, int32_t** out);
// Argument `index` as an out-parameter for a VARIANT_BOOL (VT_BYREF|VT_BOOL).
HRESULT ArgRefBool(DISPPARAMS* params, size_t index, VARIANT_BOOL** out);

// Sets *result (when there is one) to the value.
void SetResultI4(VARIANT* result, int32_t value);
void SetResultUI4(VARIANT* result, uint32_t value);

}  // namespace component_shell
