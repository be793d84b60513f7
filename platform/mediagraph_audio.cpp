#include "mediagraph_audio.h"

#include "mediagraph_owners.h"

#include <cmath>

namespace mediagraph {

namespace {

float Attenuation(LONG hundredthsOfDb)
{
    if (hundredthsOfDb <= -10000) return 0.0f;
    if (hundredthsOfDb >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredthsOfDb / 2000.0));
}

bool IsIdentity(const ChannelMix& m)
{
    return m.leftFromLeft == 1.0f && m.leftFromRight == 0.0f && m.rightFromLeft == 0.0f && m.rightFromRight == 1.0f;
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

ChannelMix MixFor(LONG volume, LONG balance, int sourceChannels)
{
    const ChannelGains gains = GainsFor(volume, balance);
    if (sourceChannels >= 2 && balance <= kBalanceLeftOnly) return {gains.left, 0.0f, gains.left, 0.0f};
    if (sourceChannels >= 2 && balance >= kBalanceRightOnly) return {0.0f, gains.right, 0.0f, gains.right};
    return {gains.left, 0.0f, 0.0f, gains.right};
}

void ChannelMixer::setLevels(LONG volume, LONG balance)
{
    std::lock_guard<std::mutex> lock(mutex_);
    volume_ = volume;
    balance_ = balance;
}

ChannelMix ChannelMixer::current()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return MixFor(volume_, balance_, sourceChannels_);
}

GstElement* ChannelMixer::makeFilter()
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
    CapsPtr format(gst_caps_from_string("audio/x-raw,format=F32LE,channels=2,layout=interleaved"));
    g_object_set(caps, "caps", format.get(), nullptr);
    gst_bin_add_many(GST_BIN(bin), in, caps, out, nullptr);
    gst_element_link_many(in, caps, out, nullptr);

    PadPtr sinkPad(gst_element_get_static_pad(in, "sink"));
    gst_pad_add_probe(sinkPad.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &ChannelMixer::OnSourceCaps, this, nullptr);
    PadPtr mixed(gst_element_get_static_pad(caps, "src"));
    gst_pad_add_probe(mixed.get(), GST_PAD_PROBE_TYPE_BUFFER, &ChannelMixer::OnBuffer, this, nullptr);

    PadPtr srcPad(gst_element_get_static_pad(out, "src"));
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", sinkPad.get()));
    gst_element_add_pad(bin, gst_ghost_pad_new("src", srcPad.get()));
    return bin;
}

GstPadProbeReturn ChannelMixer::OnSourceCaps(GstPad*, GstPadProbeInfo* info, gpointer self)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (!event || GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    gint channels = 0;
    if (caps && gst_caps_get_size(caps) > 0 &&
        gst_structure_get_int(gst_caps_get_structure(caps, 0), "channels", &channels)) {
        auto* mixer = static_cast<ChannelMixer*>(self);
        std::lock_guard<std::mutex> lock(mixer->mutex_);
        mixer->sourceChannels_ = channels;
    }
    return GST_PAD_PROBE_OK;
}

// Interleaved float stereo: each output channel is a weighted sum of the two inputs.
GstPadProbeReturn ChannelMixer::OnBuffer(GstPad*, GstPadProbeInfo* info, gpointer self)
{
    const ChannelMix m = static_cast<ChannelMixer*>(self)->current();
    if (IsIdentity(m)) return GST_PAD_PROBE_OK;
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer) return GST_PAD_PROBE_OK;
    buffer = gst_buffer_make_writable(buffer);
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) return GST_PAD_PROBE_OK;
    auto* samples = reinterpret_cast<float*>(map.data);
    const size_t frames = map.size / (2 * sizeof(float));
    for (size_t i = 0; i < frames; ++i) {
        const float left = samples[2 * i];
        const float right = samples[2 * i + 1];
        samples[2 * i] = m.leftFromLeft * left + m.leftFromRight * right;
        samples[2 * i + 1] = m.rightFromLeft * left + m.rightFromRight * right;
    }
    gst_buffer_unmap(buffer, &map);
    return GST_PAD_PROBE_OK;
}

}  // namespace mediagraph
