#include "DXGraph.h"

#include "window_handles.h"

#include <QWidget>

#include <cmath>

using namespace mediagraph;

CDXGraph::~CDXGraph()
{
    CDXGraph::ReleaseGraph();
}

bool CDXGraph::CreateGraph()
{
    if (graphBuilder) return false;
    std::shared_ptr<GraphBuilder> created;
    if (FAILED(CreateFilterGraph(&created)) || !created) return false;
    graphBuilder = std::move(created);
    return QueryControls();
}

bool CDXGraph::QueryControls()
{
    if (!graphBuilder) return false;
    HRESULT all = graphBuilder->QueryMediaControl(&mediaControl);
    all |= graphBuilder->QueryMediaEvent(&mediaEvent);
    all |= graphBuilder->QueryBasicVideo(&basicVideo);
    all |= graphBuilder->QueryBasicAudio(&basicAudio);
    all |= graphBuilder->QueryVideoWindow(&videoWindow);
    all |= graphBuilder->QueryMediaSeeking(&mediaSeeking);
    if (mediaSeeking) (void)mediaSeeking->SetTimeFormat(TimeFormat::MediaTime);
    return SUCCEEDED(all);
}

void CDXGraph::ReleaseGraph()
{
    mediaSeeking.reset();
    mediaControl.reset();
    mediaEvent.reset();
    basicVideo.reset();
    basicAudio.reset();
    if (videoWindow) {
        videoWindow->put_Visible(OAFALSE);
        videoWindow->put_MessageDrain(0);
        videoWindow->put_Owner(0);
        videoWindow.reset();
    }
    graphBuilder.reset();
    knownDuration.reset();
}

bool CDXGraph::AttachGraph(std::shared_ptr<GraphBuilder> graph)
{
    ReleaseGraph();
    if (!graph) return true;
    graphBuilder = std::move(graph);
    return QueryControls();
}

bool CDXGraph::RenderMediaFile(const std::string& fileName, HRESULT* result)
{
    if (!graphBuilder) return false;
    const HRESULT rendered = graphBuilder->RenderFile(fileName);
    if (result) *result = rendered;
    return SUCCEEDED(rendered);
}

std::string CDXGraph::ErrorText()
{
    return graphBuilder ? graphBuilder->ErrorText() : std::string();
}

bool CDXGraph::AttachVideoWindow(HWND owner)
{
    if (!videoWindow) return false;
    videoWindow->put_Visible(OAFALSE);
    videoWindow->put_Owner(owner);
    QRect client;
    if (QWidget* widget = window_handles::ResolveWidget(owner)) client = widget->rect();
    videoWindow->put_Left(0);
    videoWindow->put_Top(0);
    videoWindow->put_Width(client.width());
    videoWindow->put_Height(client.height());
    videoWindow->put_WindowStyle(0x46000000);  // child, clipping siblings and children
    videoWindow->put_MessageDrain(owner);
    videoWindow->put_Visible(owner != 0 ? OATRUE : OAFALSE);
    return true;
}

bool CDXGraph::SetEventWindow(HWND window)
{
    if (!mediaEvent) return false;
    return SUCCEEDED(mediaEvent->SetNotifyWindow(window, WM_GRAPHNOTIFY, 0));
}

LONG CDXGraph::TakeEvent()
{
    if (!mediaEvent) return kNoEvent;
    LONG code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    if (FAILED(mediaEvent->GetEvent(&code, &param1, &param2, 0))) return kNoEvent;
    mediaEvent->FreeEventParams(code, param1, param2);
    return code;
}

bool CDXGraph::IsGraphIn(OAFilterState wanted)
{
    if (!graphBuilder || !mediaControl) return false;
    OAFilterState state = State_Stopped;
    if (FAILED(mediaControl->GetState(10, &state))) return false;
    return state == wanted;
}

bool CDXGraph::IsGraphRunning()
{
    return IsGraphIn(State_Running);
}

bool CDXGraph::IsGraphPaused()
{
    return IsGraphIn(State_Paused);
}

bool CDXGraph::IsGraphStopped()
{
    return IsGraphIn(State_Stopped);
}

bool CDXGraph::RunGraph()
{
    if (!graphBuilder || !mediaControl) return false;
    if (IsGraphRunning()) return true;
    return SUCCEEDED(mediaControl->Run());
}

bool CDXGraph::PauseGraph()
{
    if (!graphBuilder || !mediaControl) return false;
    if (IsGraphPaused()) return true;
    return SUCCEEDED(mediaControl->Pause());
}

bool CDXGraph::StopGraph()
{
    if (!graphBuilder || !mediaControl) return false;
    if (IsGraphStopped()) return true;
    return SUCCEEDED(mediaControl->Stop());
}

bool CDXGraph::SetFullScreenMode(bool on)
{
    if (!videoWindow) return false;
    return SUCCEEDED(videoWindow->put_FullScreenMode(on ? OATRUE : OAFALSE));
}

bool CDXGraph::GetFullScreenMode()
{
    if (!videoWindow) return false;
    LONG mode = OAFALSE;
    videoWindow->get_FullScreenMode(&mode);
    return mode == OATRUE;
}

bool CDXGraph::ReadPosition(double* seconds)
{
    if (!mediaSeeking) return false;
    REFERENCE_TIME units = 0;
    if (FAILED(mediaSeeking->GetCurrentPosition(&units))) return false;
    *seconds = static_cast<double>(units) / kUnitsPerSecond;
    return true;
}

bool CDXGraph::ReadDuration(double* seconds)
{
    if (!mediaSeeking) return false;
    REFERENCE_TIME units = 0;
    if (FAILED(mediaSeeking->GetDuration(&units))) return false;
    *seconds = static_cast<double>(units) / kUnitsPerSecond;
    return true;
}

bool CDXGraph::ReadKnownDuration(double* seconds)
{
    double now = 0.0;
    if (ReadDuration(&now)) knownDuration = now;
    if (!knownDuration) return false;
    *seconds = *knownDuration;
    return true;
}

bool CDXGraph::SeekPosition(double seconds)
{
    if (!mediaSeeking) return false;
    const double scaled = seconds * kUnitsPerSecond;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18) return false;
    REFERENCE_TIME units = static_cast<REFERENCE_TIME>(scaled);
    return SUCCEEDED(mediaSeeking->SetPositions(&units, AM_SEEKING_AbsolutePositioning | AM_SEEKING_SeekToKeyFrame,
                                                nullptr, AM_SEEKING_NoPositioning));
}

bool CDXGraph::SetVolume(LONG volume)
{
    if (!basicAudio) return false;
    return SUCCEEDED(basicAudio->put_Volume(volume));
}

bool CDXGraph::SetBalance(LONG balance)
{
    if (!basicAudio) return false;
    return SUCCEEDED(basicAudio->put_Balance(balance));
}

LONG CDXGraph::GetVolume()
{
    if (!basicAudio) return 0;
    LONG volume = 0;
    basicAudio->get_Volume(&volume);
    return volume;
}

LONG CDXGraph::GetBalance()
{
    if (!basicAudio) return 0;
    LONG balance = 0;
    basicAudio->get_Balance(&balance);
    return balance;
}
