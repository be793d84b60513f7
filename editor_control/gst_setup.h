#pragma once
// GStreamer is initialised once per process, by whichever part of the editor needs it first.

namespace editor_control {

// Initialises GStreamer unless something else already has. Thread-safe.
void EnsureGstreamer();

}  // namespace editor_control
