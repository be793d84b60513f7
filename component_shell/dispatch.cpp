#include "dispatch.h"

#include <strings.h>

namespace component_shell {

HRESULT LookUpDispId(std::initializer_list<DispatchName> table, const char* name, DISPID* id)
{
    if (!name || !id) return E_POINTER;
    for (const auto& entry : table) {
        if (strcasecmp(entry.name, name) == 0) {
            *id = entry.id;
            return S_OK;
        }
    }
    *id = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT ExpectArgs(const DISPPARAMS* params, size_t count)
{
    const size_t given = params ? params->args.size() : 0;
    return given == count ? S_OK : DISP_E_BADPARAMCOUNT;
}

HRESULT ArgI4(const DISPPARAMS* params, size_t index, int32_t* value)
{
    if (!params || index >= params->args.size()) return DISP_E_BADPARAMCOUNT;
    return VariantToI4(params->args[index], value);
}

HRESULT ArgString(const DISPPARAMS* params, size_t index, std::string* value)
{
    if (!params || index >= params->args.size()) return DISP_E_BADPARAMCOUNT;
    const VARIANT& v = params->args[index];
    if (v.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    *value = v.bstrVal;
    return S_OK;
}

HRESULT ArgArraySlot(DISPPARAMS* params, size_t index, SAFEARRAY*** slot)
{
    if (!params || index >= params->args.size()) return DISP_E_BADPARAMCOUNT;
    VARIANT& v = params->args[index];
    if ((v.vt & VT_BYREF) && (v.vt & VT_ARRAY)) {
        *slot = v.pparray;
        return v.pparray ? S_OK : E_POINTER;
    }
    if (v.vt & VT_ARRAY) {
        *slot = &v.parray;
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT ArgRefI4(DISPPARAMS* params, size_t index, int32_t** out)
{
    if (!params || index >= params->args.size()) return DISP_E_BADPARAMCOUNT;
    VARIANT& v = params->args[index];
    if (v.vt != (VT_BYREF | VT_I4)) return DISP_E_TYPEMISMATCH;
    *out = v.plVal;
    return v.plVal ? S_OK : E_POINTER;
}

HRESULT ArgRefBool(DISPPARAMS* params, size_t index, VARIANT_BOOL** out)
{
    if (!params || index >= params->args.size()) return DISP_E_BADPARAMCOUNT;
    VARIANT& v = params->args[index];
    if (v.vt != (VT_BYREF | VT_BOOL)) return DISP_E_TYPEMISMATCH;
    *out = v.pboolVal;
    return v.pboolVal ? S_OK : E_POINTER;
}

void SetResultI4(VARIANT* result, int32_t value)
{
    if (result) *result = VARIANT::I4(value);
}

void SetResultUI4(VARIANT* result, uint32_t value)
{
    if (result) *result = VARIANT::UI4(value);
}

}  // namespace component_shell
