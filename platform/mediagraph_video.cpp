#include "mediagraph_video.h"

#include "window_handles.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <functional>

namespace mediagraph {

namespace {

QEvent::Type FrameReadyEvent()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Lives on the UI thread; turns "frame ready" events into a call there.
class FrameRelay final : public QObject {
public:
    explicit FrameRelay(std::function<void()> onFrame) : onFrame_(std::move(onFrame)) {}

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == FrameReadyEvent()) {
            onFrame_();
            return true;
        }
        return QObject::event(e);
    }

private:
    std::function<void()> onFrame_;
};

bool IsInputEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

}  // namespace

// Paints the newest frame scaled to fit, black around it. While it sits inside its owner,
// mouse input passes through to the owner and it never takes the keyboard focus; as a
// full-screen window it hands every mouse and key event on to the drain window.
class VideoSurface final : public QWidget {
public:
    VideoSurface()
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAutoFillBackground(false);
        setWindowedMode();
    }

    void setFrame(SamplePtr frame)
    {
        frame_ = std::move(frame);
        update();
    }
    void setDrain(HWND drain) { drain_ = drain; }

    void setWindowedMode()
    {
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        setFocusPolicy(Qt::NoFocus);
    }
    void setFullScreenMode()
    {
        setAttribute(Qt::WA_TransparentForMouseEvents, false);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (!frame_) return;
        GstCaps* caps = gst_sample_get_caps(frame_.get());
        GstBuffer* buffer = gst_sample_get_buffer(frame_.get());
        GstVideoInfo info;
        if (!caps || !buffer || !gst_video_info_from_caps(&info, caps)) return;
        GstVideoFrame frame;
        if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) return;
        const int w = GST_VIDEO_FRAME_WIDTH(&frame);
        const int h = GST_VIDEO_FRAME_HEIGHT(&frame);
        if (w > 0 && h > 0) {
            // BGRx bytes are QImage's 32-bit RGB on a little-endian machine.
            const QImage image(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), w, h,
                               GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32);
            QSize fitted = QSize(w, h).scaled(size(), Qt::KeepAspectRatio);
            const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                               fitted);
            painter.drawImage(target, image);
        }
        gst_video_frame_unmap(&frame);
    }

    bool event(QEvent* e) override
    {
        if (IsInputEvent(e->type())) {
            if (QWidget* drain = window_handles::ResolveWidget(drain_); drain && drain != this) {
                forward(e, drain);
                return true;
            }
        }
        return QWidget::event(e);
    }

private:
    static void forward(QEvent* e, QWidget* drain)
    {
        if (auto* mouse = dynamic_cast<QMouseEvent*>(e)) {
            const QPointF global = mouse->globalPosition();
            QMouseEvent mapped(mouse->type(), drain->mapFromGlobal(global), global, mouse->button(),
                               mouse->buttons(), mouse->modifiers());
            QCoreApplication::sendEvent(drain, &mapped);
            return;
        }
        std::unique_ptr<QEvent> copy(e->clone());
        QCoreApplication::sendEvent(drain, copy.get());
    }

    SamplePtr frame_;
    HWND drain_ = 0;
};

bool FrameSlot::store(SamplePtr sample)
{
    std::lock_guard<std::mutex> lock(mutex_);
    sample_ = std::move(sample);
    if (announced_) return false;
    announced_ = true;
    return true;
}

SamplePtr FrameSlot::take()
{
    std::lock_guard<std::mutex> lock(mutex_);
    announced_ = false;
    return std::move(sample_);
}

VideoOutput::VideoOutput()
{
    sink_ = gst_element_factory_make("appsink", nullptr);
    if (!sink_) return;
    gst_object_ref_sink(sink_);
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    g_object_set(sink_, "caps", caps, "sync", TRUE, "max-buffers", 2u, "drop", TRUE,
                 "enable-last-sample", FALSE, nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = [](GstAppSink* sink, gpointer self) {
        return onNewPreroll(GST_ELEMENT(sink), self);
    };
    callbacks.new_sample = [](GstAppSink* sink, gpointer self) {
        return onNewSample(GST_ELEMENT(sink), self);
    };
    gst_app_sink_set_callbacks(GST_APP_SINK(sink_), &callbacks, this, nullptr);
    relay_ = new FrameRelay([this] { showFrame(); });
}

VideoOutput::~VideoOutput()
{
    detach();
    delete surface_.data();
    delete relay_;  // pending frame events die with it
    if (sink_) gst_object_unref(sink_);
}

void VideoOutput::detach()
{
    detached_ = true;
    if (sink_) {
        GstAppSinkCallbacks none{};
        gst_app_sink_set_callbacks(GST_APP_SINK(sink_), &none, nullptr, nullptr);
    }
}

GstFlowReturn VideoOutput::onNewSample(GstElement* sink, gpointer self)
{
    auto* out = static_cast<VideoOutput*>(self);
    SamplePtr sample(gst_app_sink_pull_sample(GST_APP_SINK(sink)));
    if (!sample) return GST_FLOW_EOS;
    out->deliver(std::move(sample));
    return GST_FLOW_OK;
}

GstFlowReturn VideoOutput::onNewPreroll(GstElement* sink, gpointer self)
{
    auto* out = static_cast<VideoOutput*>(self);
    SamplePtr sample(gst_app_sink_pull_preroll(GST_APP_SINK(sink)));
    if (sample) out->deliver(std::move(sample));
    return GST_FLOW_OK;
}

void VideoOutput::deliver(SamplePtr sample)
{
    if (detached_) return;
    GstVideoInfo info;
    if (GstCaps* caps = gst_sample_get_caps(sample.get()); caps && gst_video_info_from_caps(&info, caps)) {
        frameWidth_ = GST_VIDEO_INFO_WIDTH(&info);
        frameHeight_ = GST_VIDEO_INFO_HEIGHT(&info);
    }
    if (slot_.store(std::move(sample))) QCoreApplication::postEvent(relay_, new QEvent(FrameReadyEvent()));
}

void VideoOutput::showFrame()
{
    SamplePtr frame = slot_.take();
    if (!frame) return;
    latest_ = std::move(frame);
    if (surface_) surface_->setFrame(SamplePtr(gst_sample_ref(latest_.get())));
}

bool VideoOutput::frameSize(LONG* width, LONG* height) const
{
    if (frameWidth_ <= 0) return false;
    *width = frameWidth_;
    *height = frameHeight_;
    return true;
}

QWidget* VideoOutput::surface() const
{
    return surface_.data();
}

VideoSurface* VideoOutput::ensureSurface()
{
    if (!surface_) {
        surface_ = new VideoSurface();
        surface_->setDrain(drain_);
        if (latest_) surface_->setFrame(SamplePtr(gst_sample_ref(latest_.get())));
    }
    return surface_.data();
}

void VideoOutput::applyPlacement()
{
    if (fullScreen_) return;
    QWidget* owner = window_handles::ResolveWidget(owner_);
    if (!owner) {
        if (surface_) {
            surface_->hide();
            surface_->setParent(nullptr);
        }
        return;
    }
    VideoSurface* surface = ensureSurface();
    if (surface->parentWidget() != owner) surface->setParent(owner);
    surface->setGeometry(rect_);
    surface->setVisible(visible_);
    if (visible_) surface->raise();
}

HRESULT VideoOutput::setVisible(bool visible)
{
    visible_ = visible;
    applyPlacement();
    return S_OK;
}

HRESULT VideoOutput::setOwner(HWND owner)
{
    if (owner != 0 && !window_handles::ResolveWidget(owner)) return E_INVALIDARG;
    owner_ = owner;
    applyPlacement();
    return S_OK;
}

HRESULT VideoOutput::setLeft(LONG left)
{
    rect_.moveLeft(left);
    applyPlacement();
    return S_OK;
}

HRESULT VideoOutput::setTop(LONG top)
{
    rect_.moveTop(top);
    applyPlacement();
    return S_OK;
}

HRESULT VideoOutput::setWidth(LONG width)
{
    if (width < 0) return E_INVALIDARG;
    rect_.setWidth(width);
    applyPlacement();
    return S_OK;
}

HRESULT VideoOutput::setHeight(LONG height)
{
    if (height < 0) return E_INVALIDARG;
    rect_.setHeight(height);
    applyPlacement();
    return S_OK;
}

HRESULT VideoOutput::setDrain(HWND drain)
{
    drain_ = drain;
    if (surface_) surface_->setDrain(drain);
    return S_OK;
}

HRESULT VideoOutput::setFullScreen(bool on)
{
    if (on == fullScreen_) return S_OK;
    if (on) {
        VideoSurface* surface = ensureSurface();
        surface->hide();
        surface->setParent(nullptr);
        surface->setFullScreenMode();
        surface->setWindowState(Qt::WindowFullScreen);
        surface->show();
        surface->raise();
        surface->activateWindow();
        surface->setFocus();
        fullScreen_ = true;
        return S_OK;
    }
    fullScreen_ = false;
    if (surface_) {
        surface_->hide();
        surface_->setWindowState(Qt::WindowNoState);
        surface_->setWindowedMode();
    }
    applyPlacement();
    return S_OK;
}

}  // namespace mediagraph
