#include "mix_stream_player.h"

#include "mediagraph.h"
#include "mediagraph_owners.h"
#include "voice_timing.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <atomic>

namespace voice_mix {

namespace {
constexpr size_t kBufferFrames = 4096;

std::string ErrorOf(GstMessage* message)
{
    GError* raw = nullptr;
    gst_message_parse_error(message, &raw, nullptr);
    mediagraph::ErrorPtr error(raw);
    return error ? error->message : "unknown error";
}
}  // namespace

struct MixStreamPlayer::State {
    std::shared_ptr<const MixStream> stream;
    int64_t first = 0;
    int64_t next = 0;  // only the feeding thread moves it once playing
    std::atomic<bool> stop{false};
    bool ended = false;
    mediagraph::ElementPtr pipeline;
};

namespace {

// appsrc wants data: the next block, waiting for the render when it is not made yet.
void NeedData(GstAppSrc* source, guint, gpointer data)
{
    auto* state = static_cast<MixStreamPlayer::State*>(data);
    if (state->ended) return;
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, kBufferFrames * 2 * sizeof(int16_t), nullptr);
    GstMapInfo map;
    size_t count = 0;
    if (gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        count = state->stream->Read(size_t(state->next), reinterpret_cast<int16_t*>(map.data), kBufferFrames, state->stop);
        gst_buffer_unmap(buffer, &map);
    }
    if (count == 0) {
        gst_buffer_unref(buffer);
        state->ended = true;
        gst_app_src_end_of_stream(source);
        return;
    }
    gst_buffer_set_size(buffer, gssize(count * 2 * sizeof(int16_t)));
    const auto played = uint64_t(state->next - state->first);
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(played, GST_SECOND, kRate);
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(played + count, GST_SECOND, kRate) - GST_BUFFER_PTS(buffer);
    state->next += int64_t(count);
    gst_app_src_push_buffer(source, buffer);
}

}  // namespace

MixStreamPlayer::MixStreamPlayer() = default;

MixStreamPlayer::~MixStreamPlayer()
{
    Stop();
}

bool MixStreamPlayer::Start(std::shared_ptr<const MixStream> stream, int64_t frame, std::string* why)
{
    Stop();
    mediagraph::EnsureInitialized();
    auto state = std::make_unique<State>();
    state->stream = std::move(stream);
    state->first = state->next = std::max<int64_t>(0, frame);
    GError* raw = nullptr;
    GstElement* pipeline = gst_parse_launch("appsrc name=src format=time ! audioconvert ! audioresample ! autoaudiosink", &raw);
    mediagraph::ErrorPtr parseError(raw);
    if (!pipeline) {
        if (why) *why = parseError ? parseError->message : "a GStreamer part is missing";
        return false;
    }
    state->pipeline.reset(GST_ELEMENT(gst_object_ref_sink(pipeline)));
    mediagraph::ElementPtr source(gst_bin_get_by_name(GST_BIN(pipeline), "src"));
    mediagraph::CapsPtr caps(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout", G_TYPE_STRING,
                                                 "interleaved", "rate", G_TYPE_INT, kRate, "channels", G_TYPE_INT, 2, nullptr));
    g_object_set(source.get(), "caps", caps.get(), "max-bytes", guint64(kBufferFrames * 2 * sizeof(int16_t) * 4), nullptr);
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = NeedData;
    gst_app_src_set_callbacks(GST_APP_SRC(source.get()), &callbacks, state.get(), nullptr);
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        mediagraph::BusPtr bus(gst_element_get_bus(pipeline));
        GstMessage* message = gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR);
        if (why) *why = message ? ErrorOf(message) : "the audio output did not start";
        if (message) gst_message_unref(message);
        state->stop = true;
        gst_element_set_state(pipeline, GST_STATE_NULL);
        return false;
    }
    state_ = std::move(state);
    return true;
}

void MixStreamPlayer::Stop()
{
    if (!state_) return;
    // The feeding thread may be waiting for the render: it is let go before the pipeline stops.
    state_->stop = true;
    gst_element_set_state(state_->pipeline.get(), GST_STATE_NULL);
    state_.reset();
}

int64_t MixStreamPlayer::PositionFrame() const
{
    if (!state_) return 0;
    gint64 position = 0;
    if (!gst_element_query_position(state_->pipeline.get(), GST_FORMAT_TIME, &position) || position < 0)
        return state_->first;
    return state_->first + int64_t(gst_util_uint64_scale(uint64_t(position), kRate, GST_SECOND));
}

MixStreamPlayer::Status MixStreamPlayer::Poll(std::string* why)
{
    if (!state_) return Status::Idle;
    mediagraph::BusPtr bus(gst_element_get_bus(state_->pipeline.get()));
    GstMessage* message = gst_bus_pop_filtered(bus.get(), GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (!message) return Status::Playing;
    const bool ended = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (!ended && why) *why = ErrorOf(message);
    gst_message_unref(message);
    Stop();
    return ended ? Status::Ended : Status::Failed;
}

}  // namespace voice_mix
