#pragma once
// CNimAudioRecorderObject: the capture control. Wraps the capture engine, keeps the
// captured bytes the host has not collected (pending data) and a copy of the latest
// buffer (current buffer), and fires OnData, OnTimer and OnError to its connected sinks.

#include "AudioRecorder.h"
#include "INimAudioRecorder.h"
#include "connection_point.h"
#include "control_shell.h"

#include <memory>
#include <vector>

class MessageWindow;

class CNimAudioRecorderObject : public INimAudioRecorder,
                                public IConnectionPointContainer,
                                public component_shell::ControlShell {
public:
    // Invisible at run time, 32 x 32 pixels and no other size, saving only its extent.
    static const component_shell::ControlTraits kTraits;
    static constexpr LONG kDefaultTimerInterval = 125;
    static constexpr UINT kTimerId = 1;

    CNimAudioRecorderObject();
    virtual ~CNimAudioRecorderObject();
    CNimAudioRecorderObject(const CNimAudioRecorderObject&) = delete;
    CNimAudioRecorderObject& operator=(const CNimAudioRecorderObject&) = delete;

    void* InternalQueryInterface(REFIID iid);

    // IDispatch
    HRESULT GetIDsOfNames(const char* name, DISPID* dispId) override;
    HRESULT Invoke(DISPID dispId, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result) override;

    // INimAudioRecorder
    HRESULT SetAudioFormat(LONG uChannels, LONG uSamplesPerSec, LONG uBitsPerSample) override;
    HRESULT StartRecord() override;
    HRESULT StopRecord() override;
    HRESULT PauseRecord() override;
    HRESULT ContinueRecord() override;
    HRESULT get_buffersize(LONG* pVal) override;
    HRESULT put_buffersize(LONG newVal) override;
    HRESULT ReceiveCurrentArray(SAFEARRAY** pSafeArrayData, LONG lArrayLength) override;
    HRESULT ReceiveArray(SAFEARRAY** pSafeArrayData) override;
    HRESULT get_TimerInterval(LONG* pVal) override;
    HRESULT put_TimerInterval(LONG newVal) override;
    HRESULT get_Source(std::string* pVal) override;
    HRESULT put_Source(const std::string& newVal) override;

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // In-process access for the host's own code and for tests.
    [[nodiscard]] CAudioRecorder& engine() { return engine_; }
    // The notification window of the running capture (0 when idle).
    [[nodiscard]] HWND notificationWindow() const;
    [[nodiscard]] bool timerRunning() const;
    [[nodiscard]] size_t pendingLength() const { return pending_.size(); }
    [[nodiscard]] size_t currentLength() const { return current_.size(); }
    // True once the running capture's source stopped delivering sound (OnError has
    // fired), until the next StartRecord; a StopRecord in between leaves it set.
    [[nodiscard]] bool sourceLost() const { return engine_.SourceLost(); }

private:
    struct WindowLink;

    void OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnWindowTimer();
    void HandleFilledBuffer(WPARAM device, LPARAM header);
    void AppendCaptured(const char* data, size_t bytes);
    void ReleaseCaptured();
    void Fire(DISPID event);
    void CreateNotificationWindow();
    void RetireNotificationWindow();
    void KillCaptureTimer();

    CAudioRecorder engine_;
    component_shell::ConnectionPoint events_;
    LONG timerInterval_ = kDefaultTimerInterval;
    std::vector<char> pending_;
    std::vector<char> current_;
    MessageWindow* window_ = nullptr;  // deleted later, never inside its own callbacks
    std::shared_ptr<WindowLink> link_;
    bool stopping_ = false;
    bool destroying_ = false;
};
