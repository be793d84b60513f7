#pragma once
// Decodes a sound file (MP3, WAV, WMA and whatever else GStreamer's decoders read) into
// 16-bit interleaved PCM blocks. Runs on the caller's thread, which should not be the
// user-interface thread; reports progress and can be cancelled.

#include "sound.h"

#include <atomic>
#include <functional>
#include <string>

namespace editor_control {

struct DecodeOptions {
    int rate = 0;      // 0: the file's own sample rate; otherwise resampled to this rate
    int channels = 0;  // 0: the file's own channel count; otherwise mixed to this count
};

struct DecodeOutcome {
    Sound sound;
    std::string error;  // the user's message when decoding failed
    bool cancelled = false;
    [[nodiscard]] bool Ok() const { return error.empty() && !cancelled; }
};

// `progress` receives 0 … 100, each value at most once and in rising order.
[[nodiscard]] DecodeOutcome DecodeFile(const std::string& path, const DecodeOptions& options,
                                       const std::function<void(int)>& progress,
                                       const std::atomic<bool>* cancel);

}  // namespace editor_control
