#pragma once
// The audio end of a playback graph: a filter bin that turns every source into float
// stereo and applies the volume and balance to each buffer before it reaches the sink.

#include "mediagraph.h"

#include <gst/gst.h>

#include <mutex>

namespace mediagraph {

// Volume and balance as the streaming threads apply them; set on the UI thread. The
// source's channel count comes from the caps that reach the filter.
class ChannelMixer {
public:
    void setLevels(LONG volume, LONG balance);

    // Builds "audioconvert ! float stereo ! (this mixer) ! audioconvert" as one bin with
    // sink and src pads; nullptr when an element is missing. The mixer must outlive it.
    [[nodiscard]] GstElement* makeFilter();

private:
    [[nodiscard]] ChannelMix current();
    static GstPadProbeReturn OnSourceCaps(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);

    std::mutex mutex_;
    LONG volume_ = kFullVolume;
    LONG balance_ = 0;
    int sourceChannels_ = 2;
};

}  // namespace mediagraph
