#include "sound_player.h"

#include "gst_setup.h"
#include "mediagraph_owners.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <mutex>

namespace editor_control {

namespace {
constexpr int64_t kBufferFrames = 4096;
}

struct SoundPlayer::State {
    Sound sound;
    int64_t begin = 0;
    int64_t end = 0;
    std::mutex mutex;  // guards `next` (the appsrc thread feeds, the owner stops)
    int64_t next = 0;  // the next frame to hand to appsrc
    bool finished = false;
    mediagraph::ElementPtr pipeline;
    GstElement* source = nullptr;  // owned by the pipeline
};

namespace {

void ReleaseBlock(gpointer data)
{
    delete static_cast<BlockPtr*>(data);
}

// appsrc wants data: hand it the next stretch of one block, wrapped, not copied.
void NeedData(GstAppSrc* source, guint, gpointer data)
{
    auto* state = static_cast<SoundPlayer::State*>(data);
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->finished) return;
    if (state->next >= state->end) {
        state->finished = true;
        gst_app_src_end_of_stream(source);
        return;
    }
    const Sound& sound = state->sound;
    const size_t index = sound.PieceIndexAt(state->next);
    const Piece& piece = sound.PieceAt(index);
    const int64_t inPiece = state->next - sound.PieceStart(index);
    const int64_t count = std::min({kBufferFrames, piece.length - inPiece, state->end - state->next});
    const int channels = sound.Channels();
    const int16_t* frames = piece.block->Frame(piece.offset + inPiece);
    const gsize bytes = gsize(count) * channels * sizeof(int16_t);
    GstBuffer* buffer = gst_buffer_new_wrapped_full(GST_MEMORY_FLAG_READONLY, const_cast<int16_t*>(frames), bytes,
                                                    0, bytes, new BlockPtr(piece.block), ReleaseBlock);
    const int64_t played = state->next - state->begin;
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(uint64_t(played), GST_SECOND, uint64_t(sound.Rate()));
    GST_BUFFER_DURATION(buffer) =
        gst_util_uint64_scale(uint64_t(played + count), GST_SECOND, uint64_t(sound.Rate())) - GST_BUFFER_PTS(buffer);
    state->next += count;
    gst_app_src_push_buffer(source, buffer);
}

}  // namespace

SoundPlayer::SoundPlayer() = default;

SoundPlayer::~SoundPlayer()
{
    Stop();
}

bool SoundPlayer::Start(const Sound& sound, int64_t begin, int64_t end, std::string* error)
{
    Stop();
    begin = std::clamp<int64_t>(begin, 0, sound.Frames());
    end = std::clamp<int64_t>(end, begin, sound.Frames());
    if (!sound.Valid() || begin >= end) {
        if (error) *error = "There is no sound to play.";
        return false;
    }
    EnsureGstreamer();
    auto state = std::make_unique<State>();
    state->sound = sound;
    state->begin = begin;
    state->end = end;
    state->next = begin;
    GError* raw = nullptr;
    GstElement* pipeline =
        gst_parse_launch("appsrc name=src format=time ! audioconvert ! audioresample ! autoaudiosink", &raw);
    mediagraph::ErrorPtr parseError(raw);
    if (!pipeline) {
        if (error) *error = "Playback is not available: " + std::string(parseError ? parseError->message : "");
        return false;
    }
    state->pipeline.reset(GST_ELEMENT(gst_object_ref_sink(pipeline)));
    mediagraph::ElementPtr src(gst_bin_get_by_name(GST_BIN(pipeline), "src"));
    state->source = src.get();
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout", G_TYPE_STRING,
                                        "interleaved", "rate", G_TYPE_INT, sound.Rate(), "channels", G_TYPE_INT,
                                        sound.Channels(), nullptr);
    g_object_set(src.get(), "caps", caps, "max-bytes", guint64(kBufferFrames * 4 * sound.Channels() * 2), nullptr);
    gst_caps_unref(caps);
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = NeedData;
    gst_app_src_set_callbacks(GST_APP_SRC(src.get()), &callbacks, state.get(), nullptr);
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        std::string why;
        mediagraph::BusPtr bus(gst_element_get_bus(pipeline));
        if (GstMessage* m = gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR)) {
            GError* e = nullptr;
            gst_message_parse_error(m, &e, nullptr);
            mediagraph::ErrorPtr owned(e);
            if (owned) why = owned->message;
            gst_message_unref(m);
        }
        gst_element_set_state(pipeline, GST_STATE_NULL);
        if (error) *error = "The sound cannot be played" + (why.empty() ? std::string(".") : ": " + why);
        return false;
    }
    state_ = std::move(state);
    return true;
}

void SoundPlayer::Stop()
{
    if (!state_) return;
    gst_element_set_state(state_->pipeline.get(), GST_STATE_NULL);
    state_.reset();
}

int64_t SoundPlayer::PositionFrame() const
{
    if (!state_) return 0;
    gint64 position = 0;
    if (!gst_element_query_position(state_->pipeline.get(), GST_FORMAT_TIME, &position) || position < 0)
        return state_->begin;
    const int64_t frame =
        state_->begin + int64_t(gst_util_uint64_scale(uint64_t(position), uint64_t(state_->sound.Rate()), GST_SECOND));
    return std::clamp(frame, state_->begin, state_->end);
}

SoundPlayer::Status SoundPlayer::Poll(std::string* error)
{
    if (!state_) return Status::Idle;
    mediagraph::BusPtr bus(gst_element_get_bus(state_->pipeline.get()));
    while (GstMessage* m = gst_bus_pop_filtered(bus.get(), GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))) {
        const bool eos = GST_MESSAGE_TYPE(m) == GST_MESSAGE_EOS;
        if (!eos && error) {
            GError* e = nullptr;
            gst_message_parse_error(m, &e, nullptr);
            mediagraph::ErrorPtr owned(e);
            *error = "Playback stopped: " + std::string(owned ? owned->message : "unknown error");
        }
        gst_message_unref(m);
        Stop();
        return eos ? Status::Ended : Status::Failed;
    }
    return Status::Playing;
}

}  // namespace editor_control
