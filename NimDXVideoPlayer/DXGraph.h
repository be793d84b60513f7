#pragma once
// CDXGraph: one playback graph for one media file. Thin guarded calls into the platform's
// graph: run, pause and stop with state checks, events, position and duration in seconds,
// seeking, volume and balance, the video's owner window and full-screen mode. An
// operation whose part of the graph is missing answers at once without a call.

#include "mediagraph.h"

#include <memory>
#include <optional>
#include <string>

class CDXGraph {
public:
    CDXGraph() = default;
    virtual ~CDXGraph();
    CDXGraph(const CDXGraph&) = delete;
    CDXGraph& operator=(const CDXGraph&) = delete;

    // Creates the graph; false when one already exists or a part could not be obtained.
    virtual bool CreateGraph();
    virtual void ReleaseGraph();
    // Takes over an existing graph (after releasing the current one); null just releases.
    virtual bool AttachGraph(std::shared_ptr<mediagraph::GraphBuilder> graph);

    bool QueryControls();
    // The file's path (UTF-8). `result`, when given, receives the graph's answer
    // (VFW_E_NOT_FOUND, VFW_E_UNSUPPORTED_STREAM, ...).
    bool RenderMediaFile(const std::string& fileName, HRESULT* result = nullptr);
    // Why the file could not be opened or why its playback stopped; empty when nothing
    // went wrong or there is no graph.
    [[nodiscard]] std::string ErrorText();
    bool AttachVideoWindow(HWND owner);
    // Window 0 stops the graph event messages.
    bool SetEventWindow(HWND window);
    // The oldest queued event code; -100 when none is queued.
    LONG TakeEvent();

    bool IsGraphRunning();
    bool IsGraphPaused();
    bool IsGraphStopped();
    bool RunGraph();
    bool PauseGraph();
    bool StopGraph();

    bool SetFullScreenMode(bool on);
    bool GetFullScreenMode();

    // Seconds; the output is unchanged when the graph cannot tell.
    bool ReadPosition(double* seconds);
    bool ReadDuration(double* seconds);
    // The duration, or the last one this graph reported when it cannot tell now; false
    // (output unchanged) when it never could.
    [[nodiscard]] bool ReadKnownDuration(double* seconds);
    bool SeekPosition(double seconds);

    bool SetVolume(LONG volume);
    bool SetBalance(LONG balance);
    LONG GetVolume();
    LONG GetBalance();

    static constexpr LONG kNoEvent = -100;
    static constexpr double kUnitsPerSecond = 10000000.0;

private:
    bool IsGraphIn(mediagraph::OAFilterState wanted);

    std::shared_ptr<mediagraph::GraphBuilder> graphBuilder;
    std::shared_ptr<mediagraph::MediaControl> mediaControl;
    std::shared_ptr<mediagraph::MediaEventEx> mediaEvent;
    std::shared_ptr<mediagraph::BasicVideo> basicVideo;
    std::shared_ptr<mediagraph::BasicAudio> basicAudio;
    std::shared_ptr<mediagraph::VideoWindow> videoWindow;
    std::shared_ptr<mediagraph::MediaSeeking> mediaSeeking;
    std::optional<double> knownDuration;
};
