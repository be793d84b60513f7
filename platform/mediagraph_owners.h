#pragma once
// Owners for the GStreamer and GLib handles the playback graph holds: each releases its
// handle with the matching unref or free call when it goes out of scope.

#include <gst/gst.h>

#include <memory>

namespace mediagraph {

struct GstObjectUnref {
    void operator()(gpointer object) const
    {
        if (object) gst_object_unref(object);
    }
};
using ElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using PadPtr = std::unique_ptr<GstPad, GstObjectUnref>;
using BusPtr = std::unique_ptr<GstBus, GstObjectUnref>;

struct CapsUnref {
    void operator()(GstCaps* caps) const
    {
        if (caps) gst_caps_unref(caps);
    }
};
using CapsPtr = std::unique_ptr<GstCaps, CapsUnref>;

struct SampleUnref {
    void operator()(GstSample* sample) const
    {
        if (sample) gst_sample_unref(sample);
    }
};
using SamplePtr = std::unique_ptr<GstSample, SampleUnref>;

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

}  // namespace mediagraph
