#pragma once
// Writes a sound (or a stretch of it) to a WAV file through the WAV writer or to an
// MP3 file through the MP3 writer, chosen by the file's extension. The file is written
// under a temporary name in the same folder and renamed over the target only when it
// is complete, so that a failed save, or a save onto the file being edited, never
// destroys what was there. Runs on the caller's thread; reports progress.

#include "sound.h"

#include <atomic>
#include <functional>
#include <string>

namespace editor_control {

enum class SaveKind { Wav, Mp3 };
// ".wav" (any letter case) gives WAV; every other name MP3.
[[nodiscard]] SaveKind SaveKindForPath(const std::string& path);

struct SaveOptions {
    int mp3BitRate = 128;        // kbit/s, one of the MPEG-1 Layer III rates
    std::string encoderLibrary;  // empty: the installed LAME library
};

struct SaveOutcome {
    std::string error;  // the user's message when saving failed
    bool cancelled = false;
    [[nodiscard]] bool Ok() const { return error.empty() && !cancelled; }
};

// Writes frames [begin, end) of `sound` to `path`. `progress` receives 0 … 100 in rising order.
[[nodiscard]] SaveOutcome SaveSound(const Sound& sound, int64_t begin, int64_t end, const std::string& path,
                                    const SaveOptions& options, const std::function<void(int)>& progress,
                                    const std::atomic<bool>* cancel);

}  // namespace editor_control
