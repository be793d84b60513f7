#include "NimAudioRecorderObject.h"

#include "NimAudioRecorderResources.h"
#include "dispatch.h"
#include "message_window.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace dispid = nim_audio_recorder_dispid;

struct CNimAudioRecorderObject::WindowLink {
    CNimAudioRecorderObject* owner;
};

namespace {

// Holds a reference for the length of a call that fires events: a host may release
// the control from inside its handler.
class KeepAlive {
public:
    explicit KeepAlive(IUnknown* object, bool active) : object_(active ? object : nullptr)
    {
        if (object_) object_->AddRef();
    }
    ~KeepAlive()
    {
        if (object_) object_->Release();
    }
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;

private:
    IUnknown* object_;
};

// The period a timer interval gives, as the platform timer treats it: below 10 ms the
// shortest period, 10 ms (not a loop that fires as fast as it can); a negative value,
// read as unsigned, the longest.
int TimerPeriod(LONG interval)
{
    constexpr int kShortest = 10;
    if (interval < 0) return INT_MAX;
    return interval < kShortest ? kShortest : interval;
}

}  // namespace

namespace {
constexpr component_shell::PropertyEntry kPropertyMap[] = {component_shell::kExtentWidthEntry,
                                                          component_shell::kExtentHeightEntry};
constexpr LONG kSide = component_shell::PixelsToHimetric(32);
}  // namespace

const component_shell::ControlTraits CNimAudioRecorderObject::kTraits{
    CLSID_NimAudioRecorder, 132497, {kSide, kSide}, true, kPropertyMap, false, &nim_audio_recorder::kToolboxBitmap};

CNimAudioRecorderObject::CNimAudioRecorderObject()
    : ControlShell(kTraits, static_cast<INimAudioRecorder*>(this)),
      events_(static_cast<INimAudioRecorder*>(this), DIID__INimAudioRecorderEvents)
{
}

CNimAudioRecorderObject::~CNimAudioRecorderObject()
{
    destroying_ = true;
    if (engine_.IsCapturing()) (void)StopRecord();
    RetireNotificationWindow();
}

void* CNimAudioRecorderObject::InternalQueryInterface(REFIID iid)
{
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_INimAudioRecorder)
        return static_cast<INimAudioRecorder*>(this);
    if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return QueryShellInterface(iid);
}

// ---- IDispatch ------------------------------------------------------------------

HRESULT CNimAudioRecorderObject::GetIDsOfNames(const char* name, DISPID* dispId)
{
    return component_shell::LookUpDispId({{"SetAudioFormat", dispid::SetAudioFormat},
                                          {"StartRecord", dispid::StartRecord},
                                          {"StopRecord", dispid::StopRecord},
                                          {"PauseRecord", dispid::PauseRecord},
                                          {"ContinueRecord", dispid::ContinueRecord},
                                          {"buffersize", dispid::buffersize},
                                          {"ReceiveCurrentArray", dispid::ReceiveCurrentArray},
                                          {"ReceiveArray", dispid::ReceiveArray},
                                          {"TimerInterval", dispid::TimerInterval},
                                          {"Source", dispid::Source}},
                                         name, dispId);
}

HRESULT CNimAudioRecorderObject::Invoke(DISPID dispId, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                        VARIANT* result)
{
    using namespace component_shell;
    HRESULT hr = S_OK;
    switch (dispId) {
    case dispid::SetAudioFormat: {
        int32_t channels = 0, rate = 0, bits = 0;
        if (FAILED(hr = ExpectArgs(params, 3)) || FAILED(hr = ArgI4(params, 0, &channels)) ||
            FAILED(hr = ArgI4(params, 1, &rate)) || FAILED(hr = ArgI4(params, 2, &bits)))
            return hr;
        return SetAudioFormat(channels, rate, bits);
    }
    case dispid::StartRecord:
    case dispid::StopRecord:
    case dispid::PauseRecord:
    case dispid::ContinueRecord:
        if (FAILED(hr = ExpectArgs(params, 0))) return hr;
        if (dispId == dispid::StartRecord) return StartRecord();
        if (dispId == dispid::StopRecord) return StopRecord();
        if (dispId == dispid::PauseRecord) return PauseRecord();
        return ContinueRecord();
    case dispid::buffersize:
    case dispid::TimerInterval: {
        const bool buffer = dispId == dispid::buffersize;
        if (flags & DISPATCH_PROPERTYPUT) {
            int32_t value = 0;
            if (FAILED(hr = ExpectArgs(params, 1)) || FAILED(hr = ArgI4(params, 0, &value))) return hr;
            return buffer ? put_buffersize(value) : put_TimerInterval(value);
        }
        LONG value = 0;
        hr = buffer ? get_buffersize(&value) : get_TimerInterval(&value);
        SetResultI4(result, value);
        return hr;
    }
    case dispid::Source: {
        if (flags & DISPATCH_PROPERTYPUT) {
            std::string value;
            if (FAILED(hr = ExpectArgs(params, 1)) || FAILED(hr = ArgString(params, 0, &value))) return hr;
            return put_Source(value);
        }
        std::string value;
        hr = get_Source(&value);
        if (result) *result = VARIANT::Str(value);
        return hr;
    }
    case dispid::ReceiveCurrentArray: {
        SAFEARRAY** slot = nullptr;
        int32_t length = 0;
        if (FAILED(hr = ExpectArgs(params, 2)) || FAILED(hr = ArgArraySlot(params, 0, &slot)) ||
            FAILED(hr = ArgI4(params, 1, &length)))
            return hr;
        return ReceiveCurrentArray(slot, length);
    }
    case dispid::ReceiveArray: {
        SAFEARRAY** slot = nullptr;
        if (FAILED(hr = ExpectArgs(params, 1)) || FAILED(hr = ArgArraySlot(params, 0, &slot))) return hr;
        return ReceiveArray(slot);
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// ---- Properties and format ---------------------------------------------------------

HRESULT CNimAudioRecorderObject::SetAudioFormat(LONG uChannels, LONG uSamplesPerSec, LONG uBitsPerSample)
{
    engine_.SetWaveFormat(uChannels, uSamplesPerSec, uBitsPerSample);
    return S_OK;
}

HRESULT CNimAudioRecorderObject::get_buffersize(LONG* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal = engine_.GetBufferSize();
    return S_OK;
}

HRESULT CNimAudioRecorderObject::put_buffersize(LONG newVal)
{
    engine_.SetBufferSize(newVal);
    return S_OK;
}

HRESULT CNimAudioRecorderObject::get_TimerInterval(LONG* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal = timerInterval_;
    return S_OK;
}

HRESULT CNimAudioRecorderObject::put_TimerInterval(LONG newVal)
{
    timerInterval_ = newVal;
    return S_OK;
}

HRESULT CNimAudioRecorderObject::get_Source(std::string* pVal)
{
    if (!pVal) return E_POINTER;
    *pVal = engine_.Source();
    return S_OK;
}

HRESULT CNimAudioRecorderObject::put_Source(const std::string& newVal)
{
    engine_.SetSource(newVal);
    return S_OK;
}

// ---- Capture sequences -------------------------------------------------------------

HRESULT CNimAudioRecorderObject::StartRecord()
{
    KeepAlive hold(static_cast<INimAudioRecorder*>(this), !destroying_);
    // A start while capturing restarts: the running capture is stopped (and what its
    // buffers hold handed out) first.
    if (engine_.IsCapturing()) (void)StopRecord();
    CreateNotificationWindow();
    engine_.SetCallbackWindow(window_->handle());
    if (engine_.StartCapture() != 0) {
        RetireNotificationWindow();
        return E_FAIL;
    }
    window_->setTimer(kTimerId, TimerPeriod(timerInterval_));
    return S_OK;
}

HRESULT CNimAudioRecorderObject::StopRecord()
{
    if (stopping_) return S_OK;  // called from OnData during a stop: that stop finishes it
    KeepAlive hold(static_cast<INimAudioRecorder*>(this), !destroying_);
    KillCaptureTimer();
    if (!engine_.IsCapturing()) {
        ReleaseCaptured();
        RetireNotificationWindow();
        return S_OK;
    }
    stopping_ = true;
    std::vector<std::vector<char>> returned;
    const int stopped = engine_.StopCapture(&returned);
    RetireNotificationWindow();
    // The buffers the device handed back hold the last moments of the take: they reach
    // the host like any filled buffer before the pending data is released.
    const uint64_t capture = engine_.CaptureNumber();
    bool restarted = false;
    if (!destroying_) {
        for (const auto& bytes : returned) {
            AppendCaptured(bytes.data(), bytes.size());
            Fire(dispid::OnData);
            if (engine_.CaptureNumber() != capture) {  // the host started anew from OnData
                restarted = true;
                break;
            }
        }
    }
    stopping_ = false;
    if (!restarted) ReleaseCaptured();
    return stopped == 0 ? S_OK : E_FAIL;
}

HRESULT CNimAudioRecorderObject::PauseRecord()
{
    KeepAlive hold(static_cast<INimAudioRecorder*>(this), !destroying_);
    if (engine_.IsCapturing()) {
        KillCaptureTimer();
        (void)StopRecord();
    }
    return S_OK;
}

HRESULT CNimAudioRecorderObject::ContinueRecord()
{
    KeepAlive hold(static_cast<INimAudioRecorder*>(this), !destroying_);
    if (engine_.IsCapturing()) {
        KillCaptureTimer();
        (void)StopRecord();
    }
    (void)StartRecord();
    if (engine_.IsCapturing() && window_) window_->setTimer(kTimerId, TimerPeriod(timerInterval_));
    return S_OK;
}

// ---- Sample arrays ------------------------------------------------------------------

HRESULT CNimAudioRecorderObject::ReceiveArray(SAFEARRAY** pSafeArrayData)
{
    if (!pSafeArrayData) return E_POINTER;
    SAFEARRAY* array = SafeArrayCreateVector(VT_I1, 0, static_cast<ULONG>(pending_.size()));
    if (!array) return E_OUTOFMEMORY;
    *pSafeArrayData = array;
    void* data = nullptr;
    HRESULT hr = SafeArrayAccessData(array, &data);
    if (FAILED(hr)) return hr;
    if (!pending_.empty()) std::memcpy(data, pending_.data(), pending_.size());
    hr = SafeArrayUnaccessData(array);
    if (FAILED(hr)) return hr;
    pending_.clear();
    return S_OK;
}

HRESULT CNimAudioRecorderObject::ReceiveCurrentArray(SAFEARRAY** pSafeArrayData, LONG lArrayLength)
{
    if (!pSafeArrayData) return E_POINTER;
    if (current_.empty()) return S_OK;
    SAFEARRAY* array = *pSafeArrayData;
    if (!array || array->cDims < 1) return E_INVALIDARG;
    if (lArrayLength <= 0) return S_OK;
    const size_t n = std::min({static_cast<size_t>(lArrayLength), current_.size(),
                               static_cast<size_t>(array->rgsabound[0].cElements), SafeArrayDataBytes(array)});
    void* data = nullptr;
    const HRESULT hr = SafeArrayAccessData(array, &data);
    if (FAILED(hr)) return hr;
    std::memcpy(data, current_.data(), n);
    return SafeArrayUnaccessData(array);
}

// ---- Connection point ---------------------------------------------------------------

HRESULT CNimAudioRecorderObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    return component_shell::FindSingleConnectionPoint(events_, iid, point);
}

void CNimAudioRecorderObject::Fire(DISPID event)
{
    if (!destroying_) events_.Fire(event);
}

// ---- Notification window and filled buffers ----------------------------------------------

HWND CNimAudioRecorderObject::notificationWindow() const { return window_ ? window_->handle() : 0; }

bool CNimAudioRecorderObject::timerRunning() const { return window_ && window_->hasTimer(kTimerId); }

void CNimAudioRecorderObject::CreateNotificationWindow()
{
    RetireNotificationWindow();
    window_ = new MessageWindow;
    link_ = std::make_shared<WindowLink>(WindowLink{this});
    auto link = link_;
    window_->setMessageHandler([link](UINT message, WPARAM wParam, LPARAM lParam) {
        if (link->owner) link->owner->OnWindowMessage(message, wParam, lParam);
    });
    window_->setTimerHandler([link](UINT) {
        if (link->owner) link->owner->OnWindowTimer();
    });
}

void CNimAudioRecorderObject::RetireNotificationWindow()
{
    if (!window_) return;
    window_->killTimer(kTimerId);
    link_->owner = nullptr;
    link_.reset();
    // Deleted from the event loop: this may run inside one of the window's own callbacks.
    window_->deleteLater();
    window_ = nullptr;
}

void CNimAudioRecorderObject::KillCaptureTimer()
{
    if (window_) window_->killTimer(kTimerId);
}

void CNimAudioRecorderObject::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Open, close and the output messages need nothing.
    if (message != MM_WIM_DATA && message != MM_WIM_ERROR) return;
    KeepAlive hold(static_cast<INimAudioRecorder*>(this), !destroying_);
    if (message == MM_WIM_DATA)
        HandleFilledBuffer(wParam, lParam);
    else if (engine_.TakeSourceLoss(wParam))
        Fire(dispid::OnError);  // the host decides when to stop; the capture stays open till then
}

void CNimAudioRecorderObject::OnWindowTimer()
{
    KeepAlive hold(static_cast<INimAudioRecorder*>(this), !destroying_);
    Fire(dispid::OnTimer);
}

void CNimAudioRecorderObject::HandleFilledBuffer(WPARAM device, LPARAM header)
{
    WAVEHDR* filled = engine_.TakeFilled(device, header);
    if (!filled) return;  // from a capture that has ended, or already handed out by a stop
    const uint64_t capture = engine_.CaptureNumber();
    AppendCaptured(filled->lpData, filled->dwBytesRecorded);
    Fire(dispid::OnData);
    // The host may have stopped or restarted from OnData; the buffer then stays out.
    (void)engine_.Requeue(filled, capture);
}

void CNimAudioRecorderObject::AppendCaptured(const char* data, size_t bytes)
{
    try {
        pending_.insert(pending_.end(), data, data + bytes);
        current_.assign(data, data + bytes);
    } catch (const std::bad_alloc&) {
        // Out of memory: these bytes cannot be kept; what is already pending stays.
    }
}

void CNimAudioRecorderObject::ReleaseCaptured()
{
    std::vector<char>().swap(pending_);
    std::vector<char>().swap(current_);
}
