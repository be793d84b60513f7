#pragma once
// The video end of a playback graph: an appsink whose frames are handed to the UI thread
// and painted, scaled to fit, by a surface widget placed in the owner window; full-screen
// mode; mouse and keyboard input on the surface goes on to the owner.

#include "automation.h"
#include "mediagraph_owners.h"

#include <gst/gst.h>

#include <QPointer>
#include <QRect>

#include <atomic>
#include <memory>
#include <mutex>

class QObject;
class QWidget;

namespace mediagraph {

class VideoSurface;

// The newest frame, written by a streaming thread and taken by the UI thread.
class FrameSlot {
public:
    // Streaming thread: keeps the frame; true when the UI thread must be told.
    bool store(SamplePtr sample);
    // UI thread: the newest frame (nullptr when none arrived since the last take).
    SamplePtr take();

private:
    std::mutex mutex_;
    SamplePtr sample_;
    bool announced_ = false;
};

class VideoOutput {
public:
    // Creates the appsink; call on the UI thread.
    VideoOutput();
    ~VideoOutput();
    VideoOutput(const VideoOutput&) = delete;
    VideoOutput& operator=(const VideoOutput&) = delete;

    // The appsink (a floating reference handed to playbin's video-sink property).
    [[nodiscard]] GstElement* sink() const { return sink_; }
    // Stops frame delivery; called before the pipeline goes down.
    void detach();

    // Window operations; each answers as the platform's video window does.
    HRESULT setVisible(bool visible);
    HRESULT setOwner(HWND owner);
    HRESULT setLeft(LONG left);
    HRESULT setTop(LONG top);
    HRESULT setWidth(LONG width);
    HRESULT setHeight(LONG height);
    HRESULT setDrain(HWND drain);
    HRESULT setFullScreen(bool on);
    [[nodiscard]] bool fullScreen() const { return fullScreen_; }

    // The size of the frames being delivered; false before the first one.
    bool frameSize(LONG* width, LONG* height) const;

    // The widget frames are painted into; nullptr until an owner or full screen needs it.
    [[nodiscard]] QWidget* surface() const;

private:
    static GstFlowReturn onNewSample(GstElement* sink, gpointer self);
    static GstFlowReturn onNewPreroll(GstElement* sink, gpointer self);
    void deliver(SamplePtr sample);
    void showFrame();
    VideoSurface* ensureSurface();
    void applyPlacement();

    GstElement* sink_ = nullptr;  // one reference of ours
    FrameSlot slot_;
    QObject* relay_ = nullptr;  // receives the "frame ready" events on the UI thread
    QPointer<VideoSurface> surface_;
    SamplePtr latest_;  // the newest frame shown, kept for a surface made later
    HWND owner_ = 0;
    HWND drain_ = 0;
    QRect rect_;
    bool visible_ = false;
    bool fullScreen_ = false;
    std::atomic<bool> detached_{false};
    std::atomic<LONG> frameWidth_{0};
    std::atomic<LONG> frameHeight_{0};
};

}  // namespace mediagraph
