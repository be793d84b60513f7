#include "nim_audio_file_object.h"

#include "dispatch.h"
#include "nim_audio_file_resources.h"

#include <algorithm>
#include <utility>

namespace dispid = nim_audio_file_dispid;
using component_shell::ArgArraySlot;
using component_shell::ArgI4;
using component_shell::ArgString;
using component_shell::ExpectArgs;

namespace {
constexpr component_shell::PropertyEntry kPropertyMap[] = {component_shell::kExtentWidthEntry,
                                                          component_shell::kExtentHeightEntry};
constexpr LONG kSide = component_shell::PixelsToHimetric(32);
}  // namespace

const component_shell::ControlTraits CNimAudioFileObject::kTraits{
    identity::CLSID_NimAudioFile, 132497, {kSide, kSide}, true, kPropertyMap, false, &nim_audio_file::kToolboxBitmap};

CNimAudioFileObject::CNimAudioFileObject() : ControlShell(kTraits, static_cast<INimAudioFile*>(this)) {}

CNimAudioFileObject::CNimAudioFileObject(std::string encoderLibrary)
    : ControlShell(kTraits, static_cast<INimAudioFile*>(this)), writer_(std::move(encoderLibrary))
{
}

void* CNimAudioFileObject::InternalQueryInterface(REFIID iid)
{
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_INimAudioFile)
        return static_cast<INimAudioFile*>(this);
    return QueryShellInterface(iid);
}

HRESULT CNimAudioFileObject::SetFormat(LONG lAudioFormat)
{
    return writer_.SetFormat(lAudioFormat) == 0 ? S_OK : E_FAIL;
}

HRESULT CNimAudioFileObject::FailureResult() const
{
    // The system's reason for a file failure is passed on, so the host can tell the
    // user why; anything else is the control's own failure.
    return writer_.LastSystemError() != 0 ? HResultFromErrno(writer_.LastSystemError()) : E_FAIL;
}

HRESULT CNimAudioFileObject::CreateAudioFile(const std::string& FileName)
{
    if (writer_.Create(FileName) == 0) return S_OK;
    return writer_.EncoderMissing() ? HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) : FailureResult();
}

HRESULT CNimAudioFileObject::SetAudioFormat(LONG lChannels, LONG lSamplesPerSec, LONG lBitsPerSample)
{
    writer_.SetAudioFormat(lChannels, lSamplesPerSec, lBitsPerSample);
    return S_OK;
}

HRESULT CNimAudioFileObject::CloseAudioFile()
{
    return writer_.Close() == 0 ? S_OK : FailureResult();
}

HRESULT CNimAudioFileObject::Write(SAFEARRAY** pSafeArrayData, LONG lArrayLength)
{
    if (!pSafeArrayData) return E_POINTER;
    SafeArrayDataLock lock(*pSafeArrayData);
    if (FAILED(lock.result())) return lock.result();
    if (lArrayLength < 0) return E_FAIL;
    // A length past the array's data is cut to the data: bytes beyond it are not ours.
    const size_t count = std::min(static_cast<size_t>(lArrayLength), lock.size());
    return writer_.Write(lock.bytes(), count) == 0 ? S_OK : FailureResult();
}

HRESULT CNimAudioFileObject::SetMP3BitRate(LONG lMP3BitRate)
{
    // An unsupported rate is ignored; the call still succeeds.
    writer_.SetMP3BitRate(lMP3BitRate);
    return S_OK;
}

HRESULT CNimAudioFileObject::GetIDsOfNames(const char* name, DISPID* dispId)
{
    return component_shell::LookUpDispId({{"SetFormat", dispid::SetFormat},
                                          {"CreateAudioFile", dispid::CreateAudioFile},
                                          {"SetAudioFormat", dispid::SetAudioFormat},
                                          {"CloseAudioFile", dispid::CloseAudioFile},
                                          {"Write", dispid::Write},
                                          {"SetMP3BitRate", dispid::SetMP3BitRate}},
                                         name, dispId);
}

HRESULT CNimAudioFileObject::Invoke(DISPID dispId, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                    VARIANT*)
{
    if (!(iid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    HRESULT hr = S_OK;
    switch (dispId) {
    case dispid::SetFormat: {
        int32_t format = 0;
        if (FAILED(hr = ExpectArgs(params, 1)) || FAILED(hr = ArgI4(params, 0, &format))) return hr;
        return SetFormat(format);
    }
    case dispid::CreateAudioFile: {
        std::string name;
        if (FAILED(hr = ExpectArgs(params, 1)) || FAILED(hr = ArgString(params, 0, &name))) return hr;
        return CreateAudioFile(name);
    }
    case dispid::SetAudioFormat: {
        int32_t channels = 0, rate = 0, bits = 0;
        if (FAILED(hr = ExpectArgs(params, 3)) || FAILED(hr = ArgI4(params, 0, &channels)) ||
            FAILED(hr = ArgI4(params, 1, &rate)) || FAILED(hr = ArgI4(params, 2, &bits)))
            return hr;
        return SetAudioFormat(channels, rate, bits);
    }
    case dispid::CloseAudioFile:
        if (FAILED(hr = ExpectArgs(params, 0))) return hr;
        return CloseAudioFile();
    case dispid::Write: {
        SAFEARRAY** slot = nullptr;
        int32_t length = 0;
        if (FAILED(hr = ExpectArgs(params, 2)) || FAILED(hr = ArgArraySlot(params, 0, &slot)) ||
            FAILED(hr = ArgI4(params, 1, &length)))
            return hr;
        return Write(slot, length);
    }
    case dispid::SetMP3BitRate: {
        int32_t rate = 0;
        if (FAILED(hr = ExpectArgs(params, 1)) || FAILED(hr = ArgI4(params, 0, &rate))) return hr;
        return SetMP3BitRate(rate);
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}
