#include "accompaniment_decoder.h"

#include "mediagraph.h"
#include "mediagraph_owners.h"
#include "program_messages.h"

#include <gst/app/gstappsink.h>

#include <QObject>
#include <QUrl>

#include <vector>

namespace voice_mix {

namespace {

using mediagraph::ElementPtr;

void OnPadAdded(GstElement*, GstPad* pad, gpointer convert)
{
    mediagraph::PadPtr sink(gst_element_get_static_pad(static_cast<GstElement*>(convert), "sink"));
    if (!gst_pad_is_linked(sink.get())) (void)gst_pad_link(pad, sink.get());
}

QString BusError(GstElement* pipeline)
{
    mediagraph::BusPtr bus(gst_element_get_bus(pipeline));
    GstMessage* message = gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR);
    if (!message) return {};
    GError* raw = nullptr;
    gst_message_parse_error(message, &raw, nullptr);
    mediagraph::ErrorPtr error(raw);
    gst_message_unref(message);
    return error ? QString::fromUtf8(error->message) : QString();
}

}  // namespace

QString DecodeAccompaniment(const QString& path, long balance,
                            const std::function<bool(const float* frames, size_t count)>& block)
{
    mediagraph::EnsureInitialized();
    const QString cannot = program_messages::Text(program_messages::Id::AccompanimentNotReadBack).arg(path);
    ElementPtr pipeline(gst_pipeline_new("accompaniment"));
    GstElement* source = gst_element_factory_make("uridecodebin", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (!pipeline || !source || !convert || !resample || !filter || !sink) {
        for (GstElement* e : {source, convert, resample, filter, sink})
            if (e) gst_object_unref(gst_object_ref_sink(e));
        return cannot + program_messages::Text(program_messages::Id::MixPartMissing);
    }
    gst_object_ref_sink(pipeline.get());
    gst_bin_add_many(GST_BIN(pipeline.get()), source, convert, resample, filter, sink, nullptr);
    mediagraph::CapsPtr caps(gst_caps_from_string("audio/x-raw,format=F32LE,layout=interleaved,rate=44100,channels=2"));
    g_object_set(filter, "caps", caps.get(), nullptr);
    g_object_set(sink, "sync", FALSE, "max-buffers", 8u, nullptr);
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    mediagraph::CapsPtr audioOnly(gst_caps_from_string("audio/x-raw"));
    g_object_set(source, "uri", uri.constData(), "caps", audioOnly.get(), nullptr);
    g_signal_connect(source, "pad-added", G_CALLBACK(OnPadAdded), convert);
    if (!gst_element_link_many(convert, resample, filter, sink, nullptr)) return cannot + QLatin1Char('.');

    // What the player does to a stereo source for this balance, at full volume.
    const mediagraph::ChannelMix mix = mediagraph::MixFor(mediagraph::kFullVolume, balance, 2);
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        const QString why = BusError(pipeline.get());
        gst_element_set_state(pipeline.get(), GST_STATE_NULL);
        return why.isEmpty() ? cannot + QLatin1Char('.') : cannot + QStringLiteral(": ") + why;
    }
    QString problem;
    std::vector<float> frames;
    for (;;) {
        mediagraph::SamplePtr sample(gst_app_sink_pull_sample(GST_APP_SINK(sink)));
        if (!sample) {
            if (!gst_app_sink_is_eos(GST_APP_SINK(sink))) problem = BusError(pipeline.get());
            if (!gst_app_sink_is_eos(GST_APP_SINK(sink)) && problem.isEmpty()) problem = program_messages::Text(program_messages::Id::MixDecodingStopped);
            break;
        }
        GstBuffer* buffer = gst_sample_get_buffer(sample.get());
        GstMapInfo map;
        if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ)) continue;
        const size_t count = map.size / (2 * sizeof(float));
        frames.resize(count * 2);
        const auto* in = reinterpret_cast<const float*>(map.data);
        for (size_t i = 0; i < count; ++i) {
            const float l = in[2 * i], r = in[2 * i + 1];
            frames[2 * i] = mix.leftFromLeft * l + mix.leftFromRight * r;
            frames[2 * i + 1] = mix.rightFromLeft * l + mix.rightFromRight * r;
        }
        gst_buffer_unmap(buffer, &map);
        if (!block(frames.data(), count)) break;
    }
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    if (problem.isEmpty()) return {};
    return cannot + QStringLiteral(": ") + problem;
}

}  // namespace voice_mix
