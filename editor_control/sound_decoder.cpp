#include "sound_decoder.h"

#include "gst_process_setup.h"
#include "gst_setup.h"
#include "mediagraph_owners.h"

#include <gst/app/gstappsink.h>
#include <gst/audio/audio.h>
#include <gst/gst.h>

#include <sys/stat.h>

#include <memory>
#include <optional>

namespace editor_control {

void EnsureGstreamer()
{
    mediagraph::InitializeGstreamer();
}

namespace {

using mediagraph::BusPtr;
using mediagraph::CapsPtr;
using mediagraph::ElementPtr;
using mediagraph::ErrorPtr;
using mediagraph::GCharPtr;
using mediagraph::SamplePtr;

// Links the decoder's first audio pad to the converter.
void OnPadAdded(GstElement*, GstPad* pad, gpointer data)
{
    auto* convert = static_cast<GstElement*>(data);
    mediagraph::PadPtr sinkPad(gst_element_get_static_pad(convert, "sink"));
    if (!sinkPad || gst_pad_is_linked(sinkPad.get())) return;
    CapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps) caps.reset(gst_pad_query_caps(pad, nullptr));
    if (!caps || gst_caps_get_size(caps.get()) == 0) return;
    const gchar* name = gst_structure_get_name(gst_caps_get_structure(caps.get(), 0));
    if (!g_str_has_prefix(name, "audio/")) return;
    gst_pad_link(pad, sinkPad.get());
}

std::string BusError(GstBus* bus)
{
    while (GstMessage* message = gst_bus_pop_filtered(bus, GstMessageType(GST_MESSAGE_ERROR))) {
        GError* raw = nullptr;
        gst_message_parse_error(message, &raw, nullptr);
        ErrorPtr error(raw);
        gst_message_unref(message);
        return error && error->message ? error->message : "unknown error";
    }
    return {};
}

}  // namespace

DecodeOutcome DecodeFile(const std::string& path, const DecodeOptions& options,
                         const std::function<void(int)>& progress, const std::atomic<bool>* cancel)
{
    DecodeOutcome outcome;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        outcome.error = "The file " + path + " does not exist.";
        return outcome;
    }
    EnsureGstreamer();
    ElementPtr pipeline(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("editor-decoder"))));
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* decode = gst_element_factory_make("decodebin", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    // The resampler only when a rate is asked for: passing through still costs time.
    GstElement* resample = options.rate > 0 ? gst_element_factory_make("audioresample", nullptr) : nullptr;
    GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (!source || !decode || !convert || (options.rate > 0 && !resample) || !filter || !sink) {
        for (GstElement* e : {source, decode, convert, resample, filter, sink})
            if (e) gst_object_unref(gst_object_ref_sink(e));
        outcome.error = "The GStreamer elements for decoding are missing (gstreamer1.0-plugins-base).";
        return outcome;
    }
    g_object_set(source, "location", path.c_str(), nullptr);
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout", G_TYPE_STRING,
                                        "interleaved", nullptr);
    if (options.rate > 0) gst_caps_set_simple(caps, "rate", G_TYPE_INT, options.rate, nullptr);
    if (options.channels > 0) gst_caps_set_simple(caps, "channels", G_TYPE_INT, options.channels, nullptr);
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    g_object_set(sink, "sync", FALSE, "max-buffers", 32u, "drop", FALSE, "emit-signals", FALSE, nullptr);
    gst_bin_add_many(GST_BIN(pipeline.get()), source, decode, convert, filter, sink, nullptr);
    bool linked = gst_element_link(source, decode);
    if (resample) {
        gst_bin_add(GST_BIN(pipeline.get()), resample);
        linked = linked && gst_element_link_many(convert, resample, filter, sink, nullptr);
    } else {
        linked = linked && gst_element_link_many(convert, filter, sink, nullptr);
    }
    if (!linked) {
        outcome.error = "The decoding pipeline could not be built.";
        return outcome;
    }
    g_signal_connect(decode, "pad-added", G_CALLBACK(OnPadAdded), convert);

    BusPtr bus(gst_element_get_bus(pipeline.get()));
    auto fail = [&](const std::string& why) {
        outcome.error = "Cannot read " + path + ": " + why;
        gst_element_set_state(pipeline.get(), GST_STATE_NULL);
        return outcome;
    };
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        std::string why = BusError(bus.get());
        return fail(why.empty() ? "it cannot be opened" : why);
    }

    std::optional<SoundBuilder> builder;
    int rate = 0, channels = 0;
    int64_t expectedFrames = -1;
    int lastPercent = -1;
    auto report = [&](int percent) {
        percent = std::clamp(percent, 0, 100);
        if (percent > lastPercent) {
            lastPercent = percent;
            if (progress) progress(percent);
        }
    };
    report(0);
    GstAppSink* appsink = GST_APP_SINK(sink);
    for (;;) {
        if (cancel && cancel->load()) {
            gst_element_set_state(pipeline.get(), GST_STATE_NULL);
            outcome.cancelled = true;
            return outcome;
        }
        SamplePtr sample(gst_app_sink_try_pull_sample(appsink, 50 * GST_MSECOND));
        if (!sample) {
            if (gst_app_sink_is_eos(appsink)) break;
            std::string why = BusError(bus.get());
            if (!why.empty()) return fail(why);
            continue;
        }
        if (!builder) {
            GstAudioInfo info;
            if (!gst_audio_info_from_caps(&info, gst_sample_get_caps(sample.get()))) return fail("unknown sample format");
            rate = GST_AUDIO_INFO_RATE(&info);
            channels = GST_AUDIO_INFO_CHANNELS(&info);
            builder.emplace(rate, channels);
        }
        GstBuffer* buffer = gst_sample_get_buffer(sample.get());
        GstMapInfo map;
        if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            builder->Append(reinterpret_cast<const int16_t*>(map.data), map.size / sizeof(int16_t));
            gst_buffer_unmap(buffer, &map);
        }
        if (expectedFrames < 0) {
            gint64 duration = -1;
            if (gst_element_query_duration(pipeline.get(), GST_FORMAT_TIME, &duration) && duration > 0)
                expectedFrames = gst_util_uint64_scale(uint64_t(duration), uint64_t(rate), GST_SECOND);
            else
                expectedFrames = 0;  // unknown: no progress until the end
        }
        if (expectedFrames > 0) report(int(builder->Frames() * 100 / expectedFrames));
    }
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    if (!builder) {
        outcome.error = "Cannot read " + path + ": it holds no sound.";
        return outcome;
    }
    outcome.sound = builder->Finish();
    report(100);
    return outcome;
}

}  // namespace editor_control
