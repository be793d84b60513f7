#include "mediagraph.h"

#include "mediagraph_video.h"
#include "window_handles.h"

#include <gst/gst.h>
#include <gst/pbutils/missing-plugins.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <iostream>
#include <mutex>

namespace mediagraph {

namespace {

struct GstObjectUnref {
    void operator()(gpointer object) const
    {
        if (object) gst_object_unref(object);
    }
};
using ElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using PadPtr = std::unique_ptr<GstPad, GstObjectUnref>;
using BusPtr = std::unique_ptr<GstBus, GstObjectUnref>;

struct GFreeDeleter {
    void operator()(gpointer p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

struct ErrorFree {
    void operator()(GError* e) const
    {
        if (e) g_error_free(e);
    }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

// How long building a graph may take before the file counts as unplayable.
constexpr GstClockTime kRenderTimeout = 10 * GST_SECOND;

float Attenuation(LONG hundredthsOfDb)
{
    if (hundredthsOfDb <= -10000) return 0.0f;
    if (hundredthsOfDb >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredthsOfDb / 2000.0));
}

// Scales the two channels of interleaved 32-bit float audio in place.
class ChannelScaler {
public:
    void set(ChannelGains gains)
    {
        left_ = gains.left;
        right_ = gains.right;
    }

    static GstPadProbeReturn Probe(GstPad*, GstPadProbeInfo* info, gpointer self)
    {
        auto* scaler = static_cast<ChannelScaler*>(self);
        const float left = scaler->left_;
        const float right = scaler->right_;
        if (left == 1.0f && right == 1.0f) return GST_PAD_PROBE_OK;
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (!buffer) return GST_PAD_PROBE_OK;
        buffer = gst_buffer_make_writable(buffer);
        GST_PAD_PROBE_INFO_DATA(info) = buffer;
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) return GST_PAD_PROBE_OK;
        auto* samples = reinterpret_cast<float*>(map.data);
        const size_t frames = map.size / (2 * sizeof(float));
        for (size_t i = 0; i < frames; ++i) {
            samples[2 * i] *= left;
            samples[2 * i + 1] *= right;
        }
        gst_buffer_unmap(buffer, &map);
        return GST_PAD_PROBE_OK;
    }

private:
    std::atomic<float> left_{1.0f};
    std::atomic<float> right_{1.0f};
};

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
    void applyGains() { scaler_.set(GainsFor(volume_, balance_)); }
    [[nodiscard]] GstElement* makeAudioFilter();
    void report(const std::string& text);

    static GstBusSyncReply OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    void onBusMessage(GstMessage* message);

    ElementPtr playbin_;
    std::unique_ptr<VideoOutput> video_;
    ChannelScaler scaler_;
    EventQueue events_;
    std::string file_;
    bool rendered_ = false;
    bool hasVideo_ = false;
    bool hasAudio_ = false;
    OAFilterState state_ = State_Stopped;
    LONG volume_ = kFullVolume;
    LONG balance_ = 0;

    // Written by the streaming threads.
    std::mutex errorMutex_;
    std::string firstError_;
    std::atomic<bool> rendering_{false};
    std::atomic<bool> errorQueued_{false};
    std::atomic<bool> atEnd_{false};  // every stream has ended; cleared by a seek
    bool reported_ = false;
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
    if (GstElement* filter = makeAudioFilter()) g_object_set(playbin_.get(), "audio-filter", filter, nullptr);

    BusPtr bus(gst_element_get_bus(playbin_.get()));
    gst_bus_set_sync_handler(bus.get(), &FilterGraph::OnBusMessage, this, nullptr);
    return true;
}

// audioconvert ! float stereo ! (channel gains probe) ! audioconvert
GstElement* FilterGraph::makeAudioFilter()
{
    GstElement* bin = gst_bin_new("balance");
    GstElement* in = gst_element_factory_make("audioconvert", nullptr);
    GstElement* caps = gst_element_factory_make("capsfilter", nullptr);
    GstElement* out = gst_element_factory_make("audioconvert", nullptr);
    if (!bin || !in || !caps || !out) {
        for (GstElement* e : {bin, in, caps, out})
            if (e) gst_object_unref(gst_object_ref_sink(e));
        return nullptr;
    }
    GstCaps* format = gst_caps_from_string("audio/x-raw,format=F32LE,channels=2,layout=interleaved");
    g_object_set(caps, "caps", format, nullptr);
    gst_caps_unref(format);
    gst_bin_add_many(GST_BIN(bin), in, caps, out, nullptr);
    gst_element_link_many(in, caps, out, nullptr);

    PadPtr scaled(gst_element_get_static_pad(caps, "src"));
    gst_pad_add_probe(scaled.get(), GST_PAD_PROBE_TYPE_BUFFER, &ChannelScaler::Probe, &scaler_, nullptr);

    PadPtr sinkPad(gst_element_get_static_pad(in, "sink"));
    PadPtr srcPad(gst_element_get_static_pad(out, "src"));
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", sinkPad.get()));
    gst_element_add_pad(bin, gst_ghost_pad_new("src", srcPad.get()));
    return bin;
}

void FilterGraph::report(const std::string& text)
{
    if (reported_) return;
    reported_ = true;
    std::cerr << text << std::endl;
}

HRESULT FilterGraph::RenderFile(const std::string& file)
{
    if (rendered_) return VFW_E_WRONG_STATE;
    file_ = file;
    std::error_code ec;
    const std::filesystem::path path(file);
    if (file.empty()) {
        report("Cannot play the accompaniment: no file was chosen.");
        return VFW_E_NOT_FOUND;
    }
    if (!std::filesystem::is_regular_file(path, ec)) {
        report("Cannot play \"" + file + "\": the file does not exist.");
        return VFW_E_NOT_FOUND;
    }
    if (std::filesystem::file_size(path, ec) == 0) {
        report("Cannot play \"" + file + "\": the file is empty.");
        return VFW_E_UNSUPPORTED_STREAM;
    }
    GError* rawError = nullptr;
    GCharPtr uri(gst_filename_to_uri(file.c_str(), &rawError));
    ErrorPtr error(rawError);
    if (!uri) {
        report("Cannot play \"" + file + "\": " + (error ? error->message : "bad file name") + ".");
        return VFW_E_NOT_FOUND;
    }
    g_object_set(playbin_.get(), "uri", uri.get(), nullptr);

    rendering_ = true;
    GstStateChangeReturn result = gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
    if (result != GST_STATE_CHANGE_FAILURE)
        result = gst_element_get_state(playbin_.get(), nullptr, nullptr, kRenderTimeout);
    rendering_ = false;

    if (result == GST_STATE_CHANGE_FAILURE || result == GST_STATE_CHANGE_ASYNC) {
        std::string reason;
        {
            std::lock_guard<std::mutex> lock(errorMutex_);
            reason = firstError_;
        }
        if (result == GST_STATE_CHANGE_ASYNC) reason = "the file took too long to open";
        if (reason.empty()) reason = "its format is not supported";
        gst_element_set_state(playbin_.get(), GST_STATE_NULL);
        report("Cannot play \"" + file + "\": " + reason + ".");
        return VFW_E_UNSUPPORTED_STREAM;
    }
    gint videoStreams = 0;
    gint audioStreams = 0;
    g_object_get(playbin_.get(), "n-video", &videoStreams, "n-audio", &audioStreams, nullptr);
    hasVideo_ = videoStreams > 0;
    hasAudio_ = audioStreams > 0;
    rendered_ = true;
    state_ = State_Stopped;
    {
        std::lock_guard<std::mutex> lock(errorMutex_);
        firstError_.clear();
    }
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
        bool first = false;
        {
            std::lock_guard<std::mutex> lock(errorMutex_);
            if (firstError_.empty()) {
                firstError_ = error ? error->message : "playback failed";
                first = true;
            }
        }
        // A failure while the graph is built is RenderFile's result, not an event.
        if (!rendering_ && first && !errorQueued_.exchange(true)) {
            std::cerr << "Playback of \"" << file_ << "\" stopped: " << firstError_ << std::endl;
            events_.push({EC_ERRORABORT, static_cast<LONG_PTR>(E_FAIL), 0});
        }
        break;
    }
    case GST_MESSAGE_ELEMENT:
        if (gst_is_missing_plugin_message(message)) {
            GCharPtr what(gst_missing_plugin_message_get_description(message));
            std::cerr << "Playing \"" << file_ << "\" without one of its streams: no plug-in for "
                      << (what ? what.get() : "it") << " is installed." << std::endl;
        }
        break;
    default:
        break;
    }
}

}  // namespace

ChannelGains GainsFor(LONG volume, LONG balance)
{
    const float level = Attenuation(volume);
    ChannelGains gains{level, level};
    if (balance < 0) gains.right *= Attenuation(balance);
    if (balance > 0) gains.left *= Attenuation(-balance);
    return gains;
}

void EnsureInitialized()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gst_is_initialized()) gst_init(nullptr, nullptr);
    });
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
