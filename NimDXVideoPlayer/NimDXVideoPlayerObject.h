#pragma once
// CNimDXVideoPlayerObject: the player control. It holds at most one playback graph; Play
// always builds a new one for the stored file, Stop destroys it, and everything else acts
// on the current graph or does nothing without one. Volume and balance are kept by the
// control and given to every new graph before its file is cued. Play answers whether the
// file could be played and GetLastErrorText why not; the other methods answer S_OK
// (GetDuration S_FALSE while the duration is unknown).

#include "DXGraph.h"
#include "INimDXVideoPlayerObject.h"
#include "connection_point.h"
#include "control_shell.h"

#include <memory>
#include <string>

class CNimDXVideoPlayerObject : public INimDXVideoPlayerObject,
                                public IConnectionPointContainer,
                                public component_shell::ControlShell {
public:
    // Invisible at run time, 2 x 2 inches at creation and resizable, saving only its extent.
    static const component_shell::ControlTraits kTraits;
    CNimDXVideoPlayerObject();
    virtual ~CNimDXVideoPlayerObject();
    CNimDXVideoPlayerObject(const CNimDXVideoPlayerObject&) = delete;
    CNimDXVideoPlayerObject& operator=(const CNimDXVideoPlayerObject&) = delete;

    void* InternalQueryInterface(REFIID iid);

    // IDispatch
    HRESULT GetIDsOfNames(const char* name, DISPID* dispId) override;
    HRESULT Invoke(DISPID dispId, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result) override;

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // INimDXVideoPlayerObject
    HRESULT SetFileName(const std::string& strFileName) override;
    HRESULT Play() override;
    HRESULT Pause() override;
    HRESULT Stop() override;
    HRESULT Continue() override;
    HRESULT SetAudioVolume(LONG lAudioVolume) override;
    HRESULT GetAudioVolume(LONG* lAudioVolume) override;
    HRESULT SetAudioBalance(LONG lAudioBalance) override;
    HRESULT GetAudioBalance(LONG* lAudioBalance) override;
    HRESULT SetFullScreen(VARIANT_BOOL bEnable) override;
    HRESULT SetVideoWindow(LONG hWndVideo) override;
    HRESULT GetFullScreen(VARIANT_BOOL* bEnable) override;
    HRESULT GetHandleEvent(LONG* lResult) override;
    HRESULT GetCurrentPosition(LONG* lCurrentPosition) override;
    HRESULT SetCurrentPosition(LONG lCurrentPosition) override;
    HRESULT GetDuration(LONG* lDuration) override;
    HRESULT GetLastErrorText(std::string* text) override;
    HRESULT GetCurrentPositionMs(LONG* lCurrentPositionMs) override;

private:
    [[nodiscard]] HRESULT BuildGraph();
    void DestroyGraph();
    HRESULT InvokeMember(DISPID dispId, DISPPARAMS* params);

    std::unique_ptr<CDXGraph> graph;
    HWND videoOwner = 0;
    std::string fileName;
    LONG volume = mediagraph::kFullVolume;
    LONG balance = 0;
    std::string lastErrorText;
    component_shell::ConnectionPoint events_;
};
