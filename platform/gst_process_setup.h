#pragma once
// GStreamer's set-up for this process: gst_init and the decoder choice every pipeline of
// the program shares. Header-only: the editor control initialises GStreamer without
// linking the playback graph.

#include <gst/gst.h>

#include <algorithm>
#include <mutex>

namespace mediagraph {

namespace detail {

// The rank of a registered feature, 0 when it is not installed.
inline guint FeatureRank(GstRegistry* registry, const char* name)
{
    GstPluginFeature* feature = gst_registry_lookup_feature(registry, name);
    if (!feature) return 0;
    const guint rank = gst_plugin_feature_get_rank(feature);
    gst_object_unref(feature);
    return rank;
}

}  // namespace detail

// MP3 is decoded by mpg123 where it is installed. Its rank ties with libav's MP3 decoders,
// which then win on name, and libav brings FFmpeg with every codec library it links (about
// 35 MB resident during a take) to decode what mpg123 decodes alike.
inline void PreferMpg123ForMp3()
{
    GstRegistry* registry = gst_registry_get();
    GstPluginFeature* mpg123 = gst_registry_lookup_feature(registry, "mpg123audiodec");
    if (!mpg123) return;
    const guint rival = std::max(detail::FeatureRank(registry, "avdec_mp3"), detail::FeatureRank(registry, "avdec_mp3float"));
    if (gst_plugin_feature_get_rank(mpg123) <= rival) gst_plugin_feature_set_rank(mpg123, rival + 1);
    gst_object_unref(mpg123);
}

// Initialises GStreamer unless something else already has, and makes the decoder choice.
// Thread-safe. Each shared library that calls it keeps its own once-flag (the symbols are
// hidden), so a process may run it more than once: both steps leave a done set-up as it is.
inline void InitializeGstreamer()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gst_is_initialized()) gst_init(nullptr, nullptr);
        PreferMpg123ForMp3();
    });
}

}  // namespace mediagraph
