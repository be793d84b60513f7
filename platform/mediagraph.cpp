#include "mediagraph.h"

#include "gst_process_setup.h"
#include "mediagraph_audio.h"
#include "mediagraph_errors.h"
#include "mediagraph_owners.h"
#include "mediagraph_video.h"
#include "window_handles.h"

#include <gst/gst.h>
#include <gst/pbutils/missing-plugins.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>

namespace mediagraph {

namespace {

// How long building a graph may take before the file counts as unplayable.
constexpr GstClockTime kRenderTimeout = 10 * GST_SECOND;

struct QueuedEvent {
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
};

// Events queued by the streaming threads and taken on the UI thread; each one posts the
// notification message to the notification window.
class EventQueue {
public:
    void setWindow(HWND window, UINT message, LONG_PTR instance)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        window_ = window;
        message_ = message;
        instance_ = instance;
    }

    void push(QueuedEvent event)
    {
        HWND window;
        UINT message;
        LONG_PTR instance;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
            window = window_;
            message = message_;
            instance = instance_;
        }
        ready_.notify_all();
        if (window) window_handles::PostMessage(window, message, 0, instance);
    }

    bool pop(QueuedEvent* event, LONG timeoutMs)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (timeoutMs > 0)
            ready_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !events_.empty(); });
        if (events_.empty()) return false;
        *event = events_.front();
        events_.pop_front();
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<QueuedEvent> events_;
    HWND window_ = 0;
    UINT message_ = 0;
    LONG_PTR instance_ = 0;
};

class FilterGraph final : public GraphBuilder,
                          public MediaControl,
                          public MediaEventEx,
                          public BasicVideo,
                          public BasicAudio,
                          public VideoWindow,
                          public MediaSeeking,
                          public std::enable_shared_from_this<FilterGraph> {
public:
    FilterGraph() = default;
    ~FilterGraph() override;

    [[nodiscard]] bool build();

    // GraphBuilder
    HRESULT RenderFile(const std::string& file) override;
    std::string ErrorText() override { return errors_.text(); }
    HRESULT QueryMediaControl(std::shared_ptr<MediaControl>* out) override { return give(out); }
    HRESULT QueryMediaEvent(std::shared_ptr<MediaEventEx>* out) override { return give(out); }
    HRESULT QueryBasicVideo(std::shared_ptr<BasicVideo>* out) override { return give(out); }
    HRESULT QueryBasicAudio(std::shared_ptr<BasicAudio>* out) override { return give(out); }
    HRESULT QueryVideoWindow(std::shared_ptr<VideoWindow>* out) override { return give(out); }
    HRESULT QueryMediaSeeking(std::shared_ptr<MediaSeeking>* out) override { return give(out); }

    // MediaControl
    HRESULT Run() override { return changeState(GST_STATE_PLAYING, State_Running); }
    HRESULT Pause() override { return changeState(GST_STATE_PAUSED, State_Paused); }
    // The pipeline stays cued (paused) so that position and duration still answer.
    HRESULT Stop() override { return changeState(GST_STATE_PAUSED, State_Stopped); }
    HRESULT GetState(LONG timeoutMs, OAFilterState* state) override;

    // MediaEventEx
    HRESULT SetNotifyWindow(OAHWND window, UINT message, LONG_PTR instance) override
    {
        events_.setWindow(window, message, instance);
        return S_OK;
    }
    HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) override;
    HRESULT FreeEventParams(LONG, LONG_PTR, LONG_PTR) override { return S_OK; }

    // BasicVideo
    HRESULT GetVideoSize(LONG* width, LONG* height) override;

    // BasicAudio
    HRESULT put_Volume(LONG volume) override;
    HRESULT get_Volume(LONG* volume) override;
    HRESULT put_Balance(LONG balance) override;
    HRESULT get_Balance(LONG* balance) override;

    // VideoWindow: calls fail while the graph shows no video.
    HRESULT put_Visible(LONG visible) override { return video([&] { return video_->setVisible(visible != OAFALSE); }); }
    HRESULT put_Owner(OAHWND owner) override { return video([&] { return video_->setOwner(owner); }); }
    HRESULT put_Left(LONG v) override { return video([&] { return video_->setLeft(v); }); }
    HRESULT put_Top(LONG v) override { return video([&] { return video_->setTop(v); }); }
    HRESULT put_Width(LONG v) override { return video([&] { return video_->setWidth(v); }); }
    HRESULT put_Height(LONG v) override { return video([&] { return video_->setHeight(v); }); }
    HRESULT put_WindowStyle(LONG) override { return video([] { return S_OK; }); }
    HRESULT put_MessageDrain(OAHWND drain) override { return video([&] { return video_->setDrain(drain); }); }
    HRESULT put_FullScreenMode(LONG mode) override
    {
        return video([&] { return video_->setFullScreen(mode != OAFALSE); });
    }
    HRESULT get_FullScreenMode(LONG* mode) override;

    // MediaSeeking
    HRESULT SetTimeFormat(TimeFormat) override { return S_OK; }
    HRESULT GetCurrentPosition(REFERENCE_TIME* position) override;
    HRESULT GetDuration(REFERENCE_TIME* duration) override;
    HRESULT SetPositions(REFERENCE_TIME* current, DWORD currentFlags, REFERENCE_TIME* stop,
                         DWORD stopFlags) override;

private:
    template <class I>
    HRESULT give(std::shared_ptr<I>* out)
    {
        if (!out) return E_POINTER;
        *out = std::shared_ptr<I>(shared_from_this(), static_cast<I*>(this));
        return S_OK;
    }
    template <class F>
    HRESULT video(F&& call)
    {
        if (!rendered_ || !hasVideo_ || !video_) return E_NOINTERFACE;
        return call();
    }

    HRESULT changeState(GstState target, OAFilterState logical);
    void applyGains() { mixer_.setLevels(volume_, balance_); }
    // The open failed: the graph is taken down and the reason said once.
    HRESULT openFailed(GraphError fallback);

    // Playback that had started has stopped on an error: said once, queued as an event.
    void announceStop(const std::string& text);
    static GstBusSyncReply OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    void onBusMessage(GstMessage* message);

    ElementPtr playbin_;
    std::unique_ptr<VideoOutput> video_;
    ChannelMixer mixer_;
    EventQueue events_;
    std::string file_;
    bool rendered_ = false;
    bool hasVideo_ = false;
    bool hasAudio_ = false;
    OAFilterState state_ = State_Stopped;
    LONG volume_ = kFullVolume;
    LONG balance_ = 0;

    // Written by the streaming threads.
    GraphErrors errors_;
    std::atomic<bool> atEnd_{false};  // every stream has ended; cleared by a seek
};

FilterGraph::~FilterGraph()
{
    events_.setWindow(0, 0, 0);
    if (playbin_) {
        gst_element_set_state(playbin_.get(), GST_STATE_NULL);
        BusPtr bus(gst_element_get_bus(playbin_.get()));
        gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    }
    if (video_) video_->detach();
    playbin_.reset();
    video_.reset();
}

bool FilterGraph::build()
{
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) return false;
    playbin_.reset(GST_ELEMENT(gst_object_ref_sink(playbin)));

    video_ = std::make_unique<VideoOutput>();
    if (video_->sink()) g_object_set(playbin_.get(), "video-sink", video_->sink(), nullptr);
    if (GstElement* filter = mixer_.makeFilter()) g_object_set(playbin_.get(), "audio-filter", filter, nullptr);

    BusPtr bus(gst_element_get_bus(playbin_.get()));
    gst_bus_set_sync_handler(bus.get(), &FilterGraph::OnBusMessage, this, nullptr);
    return true;
}

HRESULT FilterGraph::openFailed(GraphError fallback)
{
    // Once the pipeline is down its streaming threads have ended, so the first error any
    // of them reported is known.
    gst_element_set_state(playbin_.get(), GST_STATE_NULL);
    const GraphError reason = errors_.failed(std::move(fallback));
    const std::string what = file_.empty() ? std::string("the accompaniment") : "\"" + file_ + "\"";
    std::cerr << "Cannot play " << what << ": " << reason.text << std::endl;
    return FAILED(reason.result) ? reason.result : E_FAIL;
}

HRESULT FilterGraph::RenderFile(const std::string& file)
{
    if (rendered_) return VFW_E_WRONG_STATE;
    file_ = file;
    errors_.beginOpen();
    std::error_code ec;
    const std::filesystem::path path(file);
    if (file.empty()) return openFailed({"No file was chosen.", VFW_E_NOT_FOUND});
    if (!std::filesystem::is_regular_file(path, ec)) return openFailed({"The file does not exist.", VFW_E_NOT_FOUND});
    if (std::filesystem::file_size(path, ec) == 0) return openFailed({"The file is empty.", VFW_E_UNSUPPORTED_STREAM});
    GError* rawError = nullptr;
    GCharPtr uri(gst_filename_to_uri(file.c_str(), &rawError));
    ErrorPtr error(rawError);
    if (!uri) {
        GraphError bad{"The file name cannot be used.", VFW_E_NOT_FOUND};
        if (error) bad = ErrorFor(*error, file);
        return openFailed(bad);
    }
    g_object_set(playbin_.get(), "uri", uri.get(), nullptr);

    GstStateChangeReturn result = gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
    if (result != GST_STATE_CHANGE_FAILURE)
        result = gst_element_get_state(playbin_.get(), nullptr, nullptr, kRenderTimeout);
    if (result == GST_STATE_CHANGE_ASYNC) return openFailed({"The file took too long to open.", VFW_E_CANNOT_RENDER});
    if (result == GST_STATE_CHANGE_FAILURE) return openFailed({"The file cannot be played.", E_FAIL});

    gint videoStreams = 0;
    gint audioStreams = 0;
    g_object_get(playbin_.get(), "n-video", &videoStreams, "n-audio", &audioStreams, nullptr);
    hasVideo_ = videoStreams > 0;
    hasAudio_ = audioStreams > 0;
    rendered_ = true;
    state_ = State_Stopped;
    std::optional<GraphError> stopped;
    for (const std::string& note : errors_.opened(&stopped)) std::cerr << note << std::endl;
    if (stopped) announceStop(stopped->text);
    return S_OK;
}

HRESULT FilterGraph::changeState(GstState target, OAFilterState logical)
{
    // A graph without a file has nothing to move; it only records the state.
    if (rendered_ && gst_element_set_state(playbin_.get(), target) == GST_STATE_CHANGE_FAILURE)
        return E_FAIL;
    state_ = logical;
    return S_OK;
}

HRESULT FilterGraph::GetState(LONG timeoutMs, OAFilterState* state)
{
    if (!state) return E_POINTER;
    *state = state_;
    if (!rendered_) return S_OK;
    const GstClockTime wait = timeoutMs > 0 ? static_cast<GstClockTime>(timeoutMs) * GST_MSECOND : 0;
    switch (gst_element_get_state(playbin_.get(), nullptr, nullptr, wait)) {
    case GST_STATE_CHANGE_FAILURE:
        return E_FAIL;
    case GST_STATE_CHANGE_ASYNC:
        return VFW_S_STATE_INTERMEDIATE;
    default:
        return S_OK;
    }
}

HRESULT FilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs)
{
    if (!code || !param1 || !param2) return E_POINTER;
    QueuedEvent event{};
    if (!events_.pop(&event, timeoutMs)) return E_ABORT;
    *code = event.code;
    *param1 = event.param1;
    *param2 = event.param2;
    return S_OK;
}

HRESULT FilterGraph::GetVideoSize(LONG* width, LONG* height)
{
    if (!width || !height) return E_POINTER;
    if (!rendered_ || !hasVideo_ || !video_) return E_NOINTERFACE;
    return video_->frameSize(width, height) ? S_OK : E_FAIL;
}

HRESULT FilterGraph::put_Volume(LONG volume)
{
    if (rendered_ && !hasAudio_) return E_NOTIMPL;
    if (volume < kSilentVolume || volume > kFullVolume) return E_INVALIDARG;
    volume_ = volume;
    applyGains();
    return S_OK;
}

HRESULT FilterGraph::get_Volume(LONG* volume)
{
    if (!volume) return E_POINTER;
    if (rendered_ && !hasAudio_) return E_NOTIMPL;
    *volume = volume_;
    return S_OK;
}

HRESULT FilterGraph::put_Balance(LONG balance)
{
    if (rendered_ && !hasAudio_) return E_NOTIMPL;
    if (balance < kBalanceLeftOnly || balance > kBalanceRightOnly) return E_INVALIDARG;
    balance_ = balance;
    applyGains();
    return S_OK;
}

HRESULT FilterGraph::get_Balance(LONG* balance)
{
    if (!balance) return E_POINTER;
    if (rendered_ && !hasAudio_) return E_NOTIMPL;
    *balance = balance_;
    return S_OK;
}

HRESULT FilterGraph::get_FullScreenMode(LONG* mode)
{
    if (!mode) return E_POINTER;
    return video([&] {
        *mode = video_->fullScreen() ? OATRUE : OAFALSE;
        return S_OK;
    });
}

HRESULT FilterGraph::GetCurrentPosition(REFERENCE_TIME* position)
{
    if (!position) return E_POINTER;
    if (!rendered_) return E_NOTIMPL;
    gint64 ns = 0;
    if (!gst_element_query_position(playbin_.get(), GST_FORMAT_TIME, &ns) || ns < 0) return E_FAIL;
    // The audio sink reports what the sound server has played, which can lag behind the
    // end of the file; once every stream has ended the position is the end.
    gint64 end = 0;
    if (atEnd_ && gst_element_query_duration(playbin_.get(), GST_FORMAT_TIME, &end) && end > ns) ns = end;
    *position = ns / 100;
    return S_OK;
}

HRESULT FilterGraph::GetDuration(REFERENCE_TIME* duration)
{
    if (!duration) return E_POINTER;
    if (!rendered_) return E_NOTIMPL;
    gint64 ns = 0;
    if (!gst_element_query_duration(playbin_.get(), GST_FORMAT_TIME, &ns) || ns < 0) return E_FAIL;
    *duration = ns / 100;
    return S_OK;
}

HRESULT FilterGraph::SetPositions(REFERENCE_TIME* current, DWORD currentFlags, REFERENCE_TIME*,
                                  DWORD stopFlags)
{
    if ((stopFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_NoPositioning) return E_NOTIMPL;
    const DWORD positioning = currentFlags & AM_SEEKING_PositioningBitsMask;
    if (positioning == AM_SEEKING_NoPositioning) return S_OK;
    if (positioning != AM_SEEKING_AbsolutePositioning) return E_NOTIMPL;
    if (!current) return E_POINTER;
    if (!rendered_) return E_NOTIMPL;
    const gint64 ns = std::max<REFERENCE_TIME>(*current, 0) * 100;
    int flags = GST_SEEK_FLAG_FLUSH;
    flags |= (currentFlags & AM_SEEKING_SeekToKeyFrame) ? (GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_NEAREST)
                                                         : GST_SEEK_FLAG_ACCURATE;
    if (!gst_element_seek_simple(playbin_.get(), GST_FORMAT_TIME, static_cast<GstSeekFlags>(flags), ns))
        return E_FAIL;
    atEnd_ = false;
    return S_OK;
}

void FilterGraph::announceStop(const std::string& text)
{
    std::cerr << "Playback of \"" << file_ << "\" stopped: " << text << std::endl;
    events_.push({EC_ERRORABORT, static_cast<LONG_PTR>(E_FAIL), 0});
}

GstBusSyncReply FilterGraph::OnBusMessage(GstBus*, GstMessage* message, gpointer self)
{
    static_cast<FilterGraph*>(self)->onBusMessage(message);
    return GST_BUS_DROP;
}

// Streaming threads: queue events and keep texts; nothing here touches a widget.
void FilterGraph::onBusMessage(GstMessage* message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        atEnd_ = true;
        events_.push({EC_COMPLETE, 0, 0});
        break;
    case GST_MESSAGE_ERROR: {
        GError* raw = nullptr;
        gst_message_parse_error(message, &raw, nullptr);
        ErrorPtr error(raw);
        GraphError what{"Playback failed.", E_FAIL};
        if (error) what = ErrorFor(*error, file_);
        const std::string text = what.text;
        // While the file opens the error is RenderFile's result, not an event.
        if (errors_.record(std::move(what))) announceStop(text);
        break;
    }
    case GST_MESSAGE_ELEMENT:
        if (gst_is_missing_plugin_message(message)) {
            GCharPtr what(gst_missing_plugin_message_get_description(message));
            const std::string note = "Playing \"" + file_ + "\" without one of its streams: no plug-in for " +
                                     (what ? what.get() : "it") + " is installed.";
            if (errors_.note(note)) std::cerr << note << std::endl;
        }
        break;
    default:
        break;
    }
}

}  // namespace

void EnsureInitialized()
{
    InitializeGstreamer();
}

HRESULT CreateFilterGraph(std::shared_ptr<GraphBuilder>* graph)
{
    if (!graph) return E_POINTER;
    graph->reset();
    EnsureInitialized();
    auto filterGraph = std::make_shared<FilterGraph>();
    if (!filterGraph->build()) {
        std::cerr << "Cannot play media: GStreamer's playbin is not installed." << std::endl;
        return E_FAIL;
    }
    *graph = filterGraph;
    return S_OK;
}

}  // namespace mediagraph
