#pragma once
// What went wrong with a playback graph, kept across its streaming threads: the first
// error GStreamer reports while a file opens or plays, in words a user can read, and
// whether it is an open that failed (the graph's result) or playback that stopped (an
// event). Later errors of the same graph are the same failure seen again and are dropped.

#include "automation.h"

#include <gst/gst.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace mediagraph {

struct GraphError {
    std::string text;  // without the file's path and without debug details
    HRESULT result;    // the open's result: VFW_E_NOT_FOUND, VFW_E_UNSUPPORTED_STREAM, ...
};

// GStreamer's message for an error, as a sentence; the generic text of its code when the
// message names the file.
[[nodiscard]] GraphError ErrorFor(const GError& error, const std::string& file);

class GraphErrors {
public:
    // UI thread, around building the graph.
    void beginOpen();
    // The open succeeded. Returns the notes held back while it ran, and in `stopped` an
    // error that arrived during the open without failing it (playback has then stopped).
    [[nodiscard]] std::vector<std::string> opened(std::optional<GraphError>* stopped);
    // The open failed; `fallback` is the reason when GStreamer gave none. Call it once the
    // streaming threads have ended. The reason the open failed.
    [[nodiscard]] GraphError failed(GraphError fallback);

    // Streaming threads. True when this error stopped playback that had started: the one
    // time it must be announced.
    [[nodiscard]] bool record(GraphError error);
    // A remark about the file (a stream that cannot be played); true when it is to be
    // said now, false when it waits for the open to succeed or is dropped with it.
    [[nodiscard]] bool note(const std::string& text);

    // The error kept for this graph; empty when there is none.
    [[nodiscard]] std::string text();

private:
    enum class Phase { Empty, Opening, Open, Failed };

    std::mutex mutex_;
    Phase phase_ = Phase::Empty;
    std::optional<GraphError> first_;
    std::vector<std::string> notes_;
};

}  // namespace mediagraph
